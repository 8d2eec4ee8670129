// The flight directory and the short IGC file names.
#include <cstring>

#include "cumulor/nav/volkslogger/vl_flight.h"
#include "cumulor/nav/volkslogger/vl_stream.h"

namespace cumulor {
namespace {

using namespace vlstream;

RecorderTime TimeFromSeconds(std::int64_t seconds) {
  std::int64_t days = seconds / 86400;
  std::int64_t rest = seconds % 86400;
  if (rest < 0) {
    rest += 86400;
    --days;
  }
  RecorderTime time;
  std::int32_t year = 0, month = 0, day = 0;
  CivilFromDays(days, year, month, day);
  time.year = year - 1900;
  time.month = month - 1;
  time.day = day;
  time.hour = static_cast<std::int32_t>(rest / 3600);
  time.minute = static_cast<std::int32_t>(rest / 60 % 60);
  time.second = static_cast<std::int32_t>(rest % 60);
  return time;
}

char Base36(std::int32_t value) {
  return static_cast<char>(value < 10 ? '0' + value : 'A' + value - 10);
}

std::int32_t Be24(const std::uint8_t* p) { return (p[0] << 16) | (p[1] << 8) | p[2]; }

}  // namespace

void MakeIgcFileName(FlightDirEntry& entry, std::int32_t flightOfDay) {
  char name[16] = {};
  const std::int32_t year = (entry.start.year + 1900) % 10;
  name[0] = static_cast<char>('0' + (year < 0 ? -year : year));
  name[1] = Base36((entry.start.month + 1) % 36);
  name[2] = Base36(entry.start.day % 36);
  name[3] = 'A';
  std::int32_t serial = entry.serial > 46655 ? 46655 : entry.serial;
  for (int i = 6; i >= 4; --i) {
    name[i] = Base36(serial % 36);
    serial /= 36;
  }
  name[7] = flightOfDay >= 0 && flightOfDay < 36 ? Base36(flightOfDay) : '_';
  std::memcpy(name + 8, ".IGC", 4);
  for (int i = 0; i < 16; ++i) entry.igcName[i] = static_cast<WCHAR>(name[i]);
}

std::int32_t ParseFlightDirectory(FlightDirectory& directory, const std::uint8_t* data, std::int32_t length) {
  directory.count = 0;
  if (!data || length < 0) return -1;
  FlightDirEntry entry;
  std::int32_t version = 0;
  std::int64_t running = 0;
  std::int32_t flightOfDay = 0;
  for (std::int32_t at = 0; at < length;) {
    Record record;
    if (!RecordAt(data, length, at, version, 7, record)) return -1;
    const std::uint8_t* p = data + at;
    if (IsFinalFix(p, record.kind)) return 0;
    switch (record.kind) {
      case kStart:
        entry = FlightDirEntry{};
        version = p[0] & 0x1F;
        if (version > 1) return -1;
        break;
      case kTime: {
        const std::int32_t yy = Bcd(p[5]);
        const std::int64_t days = DaysFromCivil(yy < 80 ? 2000 + yy : 1900 + yy, Bcd(p[6]), Bcd(p[7]));
        running = days * 86400 + Be24(p + 2);
        break;
      }
      case kTimedVariable:
      case kVariable:
        running += record.kind == kTimedVariable ? record.seconds : 0;
        if (record.subType >= 1 && record.subType <= 4) {
          char* piece = entry.pilot[record.subType - 1];
          const std::int32_t n = record.dataLength < 16 ? record.dataLength : 16;
          std::memcpy(piece, record.data, static_cast<std::size_t>(n));
          piece[n] = 0;
        } else if (record.subType == 0x61) {
          entry.takeoff = 1;
        } else if (record.subType == 0x50 && record.dataLength >= 2) {
          entry.serial = static_cast<std::uint16_t>((record.data[0] << 8) | record.data[1]);
        }
        break;
      case kEnd: {
        if (directory.count >= kMaxDirectoryFlights) return -1;
        const std::int64_t start = running - Be24(p + 4);
        entry.duration = Be24(p + 1);
        entry.start = TimeFromSeconds(start);
        entry.end = TimeFromSeconds(start + entry.duration);
        if (directory.count > 0) {
          const RecorderTime& before = directory.entries[directory.count - 1].start;
          const bool sameDate = before.year == entry.start.year && before.month == entry.start.month &&
                                before.day == entry.start.day;
          flightOfDay = sameDate ? flightOfDay + 1 : 1;
        } else {
          flightOfDay = 1;
        }
        MakeIgcFileName(entry, flightOfDay);
        directory.entries[directory.count++] = entry;
        break;
      }
      default:
        break;  // fixes and padding are skipped by their lengths
    }
    at += record.size;
  }
  return 0;
}

}  // namespace cumulor
