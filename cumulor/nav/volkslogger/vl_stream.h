// Walking the recorder's binary record stream: record kinds, their lengths (bounded by the data)
// and the calendar arithmetic of its running time.
#pragma once

#include <cstdint>

namespace cumulor::vlstream {

enum Kind : std::uint8_t {
  kTimedVariable = 0x00,
  kVariable = 0x20,
  kStart = 0x40,
  kEnd = 0x60,
  kFullFix = 0x80,
  kTime = 0xA0,
  kPadding = 0xC0,
  kDiffFix = 0xE0,
};

struct Record {
  std::uint8_t kind = 0;
  std::int32_t size = 0;
  // Variable records: sub-type, data and its length (-1 sub-type when the record has none).
  std::int32_t subType = -1;
  const std::uint8_t* data = nullptr;
  std::int32_t dataLength = 0;
  std::int32_t seconds = 0;  // seconds to add to the running time
};

// The record at `at` of the stream; false when it would pass `length`. `endSize` is the size of
// an end record in this stream (7 in the directory, 42 in a flight with its security bytes).
bool RecordAt(const std::uint8_t* data, std::int32_t length, std::int32_t at, std::int32_t version,
              std::int32_t endSize, Record& record);
// True for a fix record whose byte 2 has bit 7 set (the end of the stream).
bool IsFinalFix(const std::uint8_t* record, std::uint8_t kind);

std::int64_t DaysFromCivil(std::int64_t year, std::int32_t month, std::int32_t day);
void CivilFromDays(std::int64_t days, std::int32_t& year, std::int32_t& month, std::int32_t& day);
std::int32_t Bcd(std::uint8_t byte);

}  // namespace cumulor::vlstream
