#include "cumulor/nav/volkslogger/vl_stream.h"

namespace cumulor::vlstream {

bool RecordAt(const std::uint8_t* data, std::int32_t length, std::int32_t at, std::int32_t version,
              std::int32_t endSize, Record& record) {
  record = Record{};
  if (at < 0 || at >= length) return false;
  const std::uint8_t* p = data + at;
  const std::int32_t left = length - at;
  record.kind = static_cast<std::uint8_t>(p[0] & 0xE0);
  switch (record.kind) {
    case kTimedVariable:
      if (left < 2) return false;
      record.size = 3 + p[1];
      if (record.size > left) return false;
      record.seconds = p[2];
      if (p[1] >= 1) {
        record.subType = p[3];
        record.data = p + 4;
        record.dataLength = p[1] - 1;
      }
      return true;
    case kVariable:
      if (left < 2) return false;
      record.size = 2 + p[1];
      if (record.size > left) return false;
      if (p[1] >= 1) {
        record.subType = p[2];
        record.data = p + 3;
        record.dataLength = p[1] - 1;
      }
      return true;
    case kStart:
    case kPadding:
      record.size = 1;
      return true;
    case kEnd:
      record.size = endSize;
      return record.size <= left;
    case kFullFix:
      record.size = version == 0 ? 11 : 12;
      break;
    case kTime:
      record.size = 8;
      if (record.size > left) return false;
      record.seconds = p[1];
      return true;
    case kDiffFix:
      record.size = 9;
      break;
    default:
      return false;
  }
  if (record.size > left) return false;
  record.seconds = p[2] & 0x7F;
  return true;
}

bool IsFinalFix(const std::uint8_t* record, std::uint8_t kind) {
  return (kind == kFullFix || kind == kDiffFix) && (record[2] & 0x80) != 0;
}

std::int64_t DaysFromCivil(std::int64_t year, std::int32_t month, std::int32_t day) {
  year -= month <= 2;
  const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
  const std::int64_t yoe = year - era * 400;
  const std::int64_t doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void CivilFromDays(std::int64_t days, std::int32_t& year, std::int32_t& month, std::int32_t& day) {
  days += 719468;
  const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const std::int64_t doe = days - era * 146097;
  const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const std::int64_t mp = (5 * doy + 2) / 153;
  day = static_cast<std::int32_t>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<std::int32_t>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<std::int32_t>(yoe + era * 400 + (month <= 2));
}

std::int32_t Bcd(std::uint8_t byte) { return (byte >> 4) * 10 + (byte & 0x0F); }

}  // namespace cumulor::vlstream
