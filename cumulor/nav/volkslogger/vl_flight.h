// The recorder's flight directory and the conversion of a recorded flight (its compact binary
// record stream and security block) into an IGC file.
#pragma once

#include <cstdint>

#include "platform/base/errors.h"
#include "platform/base/types.h"

namespace cumulor {

struct RecorderTime {
  std::int32_t second = 0, minute = 0, hour = 0, day = 0;
  std::int32_t month = 0;  // 0 to 11
  std::int32_t year = 0;   // since 1900
};

struct FlightDirEntry {
  std::uint16_t serial = 0;
  RecorderTime start, end;
  std::int32_t duration = 0;  // seconds
  std::int32_t takeoff = 0;   // 1 when the flight holds a takeoff-detected event
  char pilot[4][17] = {};
  WCHAR igcName[16] = {};
};

constexpr std::int32_t kMaxDirectoryFlights = 50;

struct FlightDirectory {
  FlightDirEntry entries[kMaxDirectoryFlights];
  std::int32_t count = 0;
};

// Walks the directory stream: 0, or -1 for more than 50 flights, an unknown record kind, a
// record format version above 1 or a record that passes the data's end.
std::int32_t ParseFlightDirectory(FlightDirectory& directory, const std::uint8_t* data, std::int32_t length);
// The short IGC name "YMDAsssF.IGC" of `entry` with its flight-of-the-day number, stored in the
// entry.
void MakeIgcFileName(FlightDirEntry& entry, std::int32_t flightOfDay);

// Writes the A, H, I, C, B, E and L lines of the flight in `data` to `file` (version 0 means
// 424). `covered` gets the length the G lines must cover: up to the end record and its 41
// security bytes, never beyond `length`. 0, or E_FAIL when a line could not be written (the
// conversion still runs to its end).
HRESULT ConvertFlightToIgc(HANDLE file, std::int32_t version, const std::uint8_t* data, std::int32_t length,
                           bool optionalHeaders, std::int32_t& covered);
// The G lines of `length` bytes; 0 or E_FAIL when a line could not be written.
HRESULT WriteGRecords(HANDLE file, const std::uint8_t* data, std::int32_t length);
// Writes `text` (8-bit); E_FAIL when the write is short.
HRESULT IgcWriteText(HANDLE file, const char* text);

}  // namespace cumulor
