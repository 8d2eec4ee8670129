// Conversion of a recorded flight stream into IGC lines, and the G lines of its binary data.
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

#include "cumulor/nav/volkslogger/vl_flight.h"
#include "cumulor/nav/volkslogger/vl_stream.h"
#include "platform/files/files.h"

namespace cumulor {
namespace {

using namespace vlstream;

constexpr char kAllowed[] =
    " \"#%&'()+-./0123456789:;<=>?@ABCDEFGHIJKLMNOPQRSTUVWXYZ[]_`abcdefghijklmnopqrstuvwxyz{|}";
constexpr char kGAlphabet[] = "0123456789@ABCDEFGHIJKLMNOPQRSTUVWXYZ`abcdefghijklmnopqrstuvwxyz";

// Characters outside the IGC set become blanks, trailing blanks go (a one-character text stays).
std::string Clean(std::string text) {
  for (char& c : text) {
    if (c == 0 || !std::strchr(kAllowed, c)) c = ' ';
  }
  if (text.size() > 1) {
    while (!text.empty() && text.back() == ' ') text.pop_back();
  }
  return text;
}

std::string Text(const std::uint8_t* data, std::int32_t length, std::size_t limit) {
  std::string text;
  for (std::int32_t i = 0; i < length && text.size() < limit && data[i] != 0; ++i) text.push_back(static_cast<char>(data[i]));
  return text;
}

struct DeclPoint {
  bool present = false;
  std::string name;
  std::int32_t latitude = 0, longitude = 0;  // 1/60000 degree
};

DeclPoint ReadPoint(const std::uint8_t* data, std::int32_t length) {
  DeclPoint point;
  if (length < 13) return point;
  point.present = true;
  point.name = Text(data, 6, 6);
  while (!point.name.empty() && point.name.back() == ' ') point.name.pop_back();
  point.latitude = ((data[7] & 0x7F) << 16) | (data[8] << 8) | data[9];
  if (data[7] & 0x80) point.latitude = -point.latitude;
  point.longitude = (data[10] << 16) | (data[11] << 8) | data[12];
  if (data[6] & 0x80) point.longitude = -point.longitude;
  return point;
}

struct Header {
  std::string pilotPieces[4];
  std::string gliderType, gliderId, competitionId, competitionClass;
  bool hasTimeZone = false;
  std::int32_t timeZoneMinutes = 0;
  bool hasDeclaration = false, hasTaskDate = false, hasTaskNumber = false;
  std::int64_t declarationSeconds = 0;  // seconds since the flight start, when marked
  bool declarationMarked = false;
  std::int32_t turnpointCount = 0, taskNumber = 0;
  std::uint8_t taskDate[3] = {};
  DeclPoint takeoff, start, finish, landing, turnpoints[12];
  std::string recorderId, datum = "000", hardware, firmware, fixAccuracy = "000", recorderType;
  bool hasTime = false;
  std::int64_t startSeconds = 0;  // running time at the flight's first record
  bool hasFirstFix = false;
  std::int32_t firstLongitude = 0;
};

struct Writer {
  HANDLE file;
  bool failed = false;
  void Line(const char* format, ...) __attribute__((format(printf, 2, 3))) {
    char buffer[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    if (FAILED(IgcWriteText(file, buffer))) failed = true;
  }
};

std::string Base36Serial(std::int32_t serial) {
  if (serial > 46655) serial = 46655;
  std::string text(3, '0');
  for (int i = 2; i >= 0; --i) {
    const int digit = serial % 36;
    text[static_cast<std::size_t>(i)] = static_cast<char>(digit < 10 ? '0' + digit : 'A' + digit - 10);
    serial /= 36;
  }
  return text;
}

void SixDigitTime(std::int64_t seconds, char* out) {
  std::int64_t rest = seconds % 86400;
  if (rest < 0) rest += 86400;
  std::snprintf(out, 8, "%02d%02d%02d", static_cast<int>(rest / 3600), static_cast<int>(rest / 60 % 60),
                static_cast<int>(rest % 60));
}

void Date(std::int64_t seconds, std::int32_t& day, std::int32_t& month, std::int32_t& year) {
  std::int64_t days = seconds / 86400;
  if (seconds % 86400 < 0) --days;
  CivilFromDays(days, year, month, day);
}

// First pass: the header values, the start time and the covered length.
void CollectHeader(const std::uint8_t* data, std::int32_t length, std::int32_t version, Header& header,
                   std::int32_t& covered) {
  std::int32_t format = 0;
  std::int64_t accumulated = 0;
  covered = 0;
  for (std::int32_t at = 0; at < length;) {
    Record record;
    if (!RecordAt(data, length, at, format, 42, record)) {
      covered = length;  // a record that passes the end: the data as far as it goes
      return;
    }
    const std::uint8_t* p = data + at;
    if (IsFinalFix(p, record.kind)) {
      covered = at + record.size;
      return;
    }
    switch (record.kind) {
      case kStart:
        format = p[0] & 0x1F;
        if (format > 1) {
          covered = at;
          return;
        }
        break;
      case kEnd:
        covered = at + record.size;
        return;
      case kTime:
        accumulated += record.seconds;
        if (!header.hasTime) {
          header.hasTime = true;
          const std::int32_t yy = Bcd(p[5]);
          const std::int64_t days = DaysFromCivil(yy < 80 ? 2000 + yy : 1900 + yy, Bcd(p[6]), Bcd(p[7]));
          const std::int64_t secondOfDay = (p[2] << 16) | (p[3] << 8) | p[4];
          header.startSeconds = days * 86400 + secondOfDay - accumulated;
        }
        break;
      case kFullFix:
      case kDiffFix:
        accumulated += record.seconds;
        if (!header.hasFirstFix && record.kind == kFullFix && (p[0] & 0x10)) {
          header.hasFirstFix = true;
          header.firstLongitude = (p[6] << 16) | (p[7] << 8) | p[8];
          if (p[9] & 0x80) header.firstLongitude = -header.firstLongitude;
        }
        break;
      case kTimedVariable:
      case kVariable: {
        if (record.kind == kTimedVariable) accumulated += record.seconds;
        const std::uint8_t* d = record.data;
        const std::int32_t n = record.dataLength;
        switch (record.subType) {
          case 1: case 2: case 3: case 4:
            header.pilotPieces[record.subType - 1] = Text(d, n, 40);
            break;
          case 5: header.gliderType = Text(d, n, 50); break;
          case 6: header.gliderId = Text(d, n, 50); break;
          case 7: header.competitionId = Text(d, n, 50); break;
          case 8: header.competitionClass = Text(d, n, 50); break;
          case 9:
            if (n >= 1) {
              header.hasTimeZone = true;
              header.timeZoneMinutes = static_cast<std::int8_t>(d[0]) * 15;
            }
            break;
          case 0x10:
            header.hasDeclaration = true;
            if (n >= 1) header.turnpointCount = d[0];
            header.declarationMarked = true;
            header.declarationSeconds = accumulated;
            break;
          case 0x11:
            if (n >= 3) {
              header.hasTaskDate = true;
              std::memcpy(header.taskDate, d, 3);
            }
            break;
          case 0x12:
            if (n >= 2) {
              header.hasTaskNumber = true;
              header.taskNumber = (d[0] << 8) | d[1];
              if (version >= 422) {
                header.declarationMarked = true;
                header.declarationSeconds = accumulated;
              }
            }
            break;
          case 0x20: header.takeoff = ReadPoint(d, n); break;
          case 0x21: header.start = ReadPoint(d, n); break;
          case 0x22: header.finish = ReadPoint(d, n); break;
          case 0x23: header.landing = ReadPoint(d, n); break;
          case 0x50:
            if (n >= 8) {
              char text[16];
              header.recorderId = Base36Serial((d[0] << 8) | d[1]);
              std::snprintf(text, sizeof text, "%03u", d[3]);
              header.datum = text;
              std::snprintf(text, sizeof text, "%0X.%0X", d[4] >> 4, d[4] & 0x0F);
              header.hardware = text;
              std::snprintf(text, sizeof text, "%0X.%0X", d[5] >> 4, d[5] & 0x0F);
              header.firmware = text;
              std::snprintf(text, sizeof text, "%03u", d[7]);
              header.fixAccuracy = text;
              if (version >= 421) header.recorderType = "GARRECHT INGENIEURGESELLSCHAFT,VOLKSLOGGER 1.0";
            }
            break;
          default:
            if (record.subType >= 0x31 && record.subType <= 0x3C) header.turnpoints[record.subType - 0x31] = ReadPoint(d, n);
            break;
        }
        break;
      }
      default:
        break;
    }
    at += record.size;
  }
  covered = length;
}

void WritePosition(char* out, std::size_t size, std::int32_t latitude, std::int32_t longitude) {
  std::uint32_t lat = static_cast<std::uint32_t>(latitude < 0 ? -static_cast<std::int64_t>(latitude) : latitude);
  std::uint32_t lon = static_cast<std::uint32_t>(longitude < 0 ? -static_cast<std::int64_t>(longitude) : longitude);
  if (lat > 90u * 60000u) lat = 90u * 60000u;
  if (lon > 180u * 60000u) lon = 180u * 60000u;
  std::snprintf(out, size, "%02u%05u%c%03u%05u%c", lat / 60000, lat % 60000, latitude < 0 ? 'S' : 'N', lon / 60000,
                lon % 60000, longitude < 0 ? 'W' : 'E');
}

long PressureAltitude(std::int32_t value) {
  const double p = value * 0.2685546875;
  double altitude;
  if (p > 226.32063973467166) {
    altitude = (1 - std::pow(p / 1013.25, 0.19026323650848356)) * 44330.76923076923;
  } else if (p > 0) {
    altitude = 11000 + 6341.620029163533 * std::log(226.32063973467166 / p);
  } else {
    altitude = 99999;  // no pressure at all: the top of the column
  }
  if (altitude > 99999) altitude = 99999;
  return static_cast<long>(altitude);
}

}  // namespace

HRESULT IgcWriteText(HANDLE file, const char* text) {
  const DWORD size = static_cast<DWORD>(std::strlen(text));
  DWORD written = 0;
  if (!WriteFile(file, text, size, &written, nullptr) || written != size) return E_FAIL;
  return 0;
}

HRESULT ConvertFlightToIgc(HANDLE file, std::int32_t version, const std::uint8_t* data, std::int32_t length,
                           bool optionalHeaders, std::int32_t& covered) {
  covered = 0;
  if (!data || length <= 0) return E_FAIL;
  if (version == 0) version = 424;
  Header h;
  CollectHeader(data, length, version, h, covered);
  Writer w{file};

  std::string pilot;
  for (const std::string& piece : h.pilotPieces) {
    pilot += piece;
    if (version < 413) pilot += ' ';
  }
  pilot = Clean(pilot);
  const std::string gliderType = Clean(h.gliderType), gliderId = Clean(h.gliderId);
  const std::string competitionId = Clean(h.competitionId), competitionClass = Clean(h.competitionClass);

  std::string timeZone;
  if (h.hasTimeZone) {
    std::int32_t minutes = h.timeZoneMinutes;
    if ((version == 420 || version == 421) && h.hasFirstFix) {
      minutes = static_cast<std::int32_t>(std::lround(h.firstLongitude / 60000.0 / 15.0)) * 60;
    }
    char text[24];
    const std::int32_t magnitude = minutes < 0 ? -minutes : minutes;
    std::snprintf(text, sizeof text, "UTC%c%02d:%02d", minutes < 0 ? '-' : '+', magnitude / 60, magnitude % 60);
    timeZone = text;
  }
  std::int32_t day = 0, month = 0, year = 0;
  if (h.hasTime) Date(h.startSeconds, day, month, year);
  char flightDate[16];
  std::snprintf(flightDate, sizeof flightDate, "%02d%02d%02d", day, month, year % 100);

  // Header lines.
  const std::string recorderId = h.recorderId.empty() ? "000" : h.recorderId;
  if (version >= 413 && version <= 415) {
    w.Line("AGCS%s  :%01d.%02d created by DATA-GCS version:%01d.%02d\r\n", recorderId.c_str(), version / 100,
           version % 100, version / 100, version % 100);
  } else {
    w.Line("AGCS%s\r\n", recorderId.c_str());
  }
  w.Line("HFDTE%s\r\n", flightDate);
  w.Line("HFFXA%s\r\n", h.fixAccuracy.c_str());
  auto field = [&](const char* present, const char* empty, const std::string& value) {
    if (value.empty() && optionalHeaders) {
      w.Line("%s\r\n", empty);
    } else {
      w.Line("%s%s\r\n", present, value.c_str());
    }
  };
  field("HFPLTPILOT:", "HOPLTPILOT:", pilot);
  field("HFGTYGLIDERTYPE:", "HOGTYGLIDERTYPE:", gliderType);
  field("HFGIDGLIDERID:", "HOGIDGLIDERID:", gliderId);
  w.Line("HFDTM%sGPSDATUM:WGS84\r\n", h.datum.c_str());
  w.Line("HFRFWFIRMWAREVERSION:%s\r\n", h.firmware.c_str());
  w.Line("HFRHWHARDWAREVERSION:%s\r\n", h.hardware.c_str());
  if (version >= 421 && !h.recorderType.empty()) w.Line("HFFTYFR TYPE:%s\r\n", h.recorderType.c_str());
  if (!competitionId.empty()) w.Line("HFCIDCOMPETITIONID:%s\r\n", competitionId.c_str());
  if (!competitionClass.empty()) w.Line("HFCCLCOMPETITIONCLASS:%s\r\n", competitionClass.c_str());
  if (!timeZone.empty()) w.Line("HFTZNTIMEZONE:%s\r\n", timeZone.c_str());
  const bool oldFormat = version >= 413 && version <= 415;
  const bool withNoise = h.hardware.compare("3.3") >= 0;
  if (!oldFormat && !withNoise) {
    w.Line("I013638FXA\r\n");
  } else {
    w.Line("I023638FXA3941ENL\r\n");
  }
  if (version >= 416 && optionalHeaders) w.Line("LCONV-VER:%01d.%02d\r\n", version / 100, version % 100);

  // Task lines.
  const bool declared = h.hasDeclaration && (version >= 414 || h.hasTaskDate || h.hasTaskNumber);
  if (declared && h.declarationMarked && h.hasTime) {
    const std::int64_t declTime = h.startSeconds + h.declarationSeconds;
    std::int32_t dd = 0, dm = 0, dy = 0;
    Date(declTime, dd, dm, dy);
    char declText[8];
    SixDigitTime(declTime, declText);
    std::uint32_t td = static_cast<std::uint32_t>(day), tm = static_cast<std::uint32_t>(month),
                  ty = static_cast<std::uint32_t>(year % 100);
    if (h.hasTaskDate) {
      td = h.taskDate[0];
      tm = h.taskDate[1];
      ty = h.taskDate[2];
    }
    if (version >= 422) td = tm = ty = 0;
    if (td > 31) td = 31;
    if (tm > 12) tm = 12;
    if (ty > 99) ty = 99;
    const std::uint32_t taskNumber = h.taskNumber > 9999 ? 9999u : static_cast<std::uint32_t>(h.taskNumber);
    const std::int32_t count = h.turnpointCount > 12 ? 12 : h.turnpointCount;
    w.Line("C%02d%02d%02d%s%02u%02u%02u%04u%02u\r\n", dd, dm, dy % 100, declText, td, tm, ty, taskNumber,
           static_cast<unsigned>(count));
    auto pointLine = [&](const DeclPoint& point, const char* label) {
      char position[32];
      WritePosition(position, sizeof position, point.latitude, point.longitude);
      const std::string name = Clean(point.name);
      if (version >= 413) {
        w.Line("C%s%s\r\n", position, name.c_str());
      } else {
        w.Line("C%s%s:%s\r\n", position, label, name.c_str());
      }
    };
    pointLine(h.takeoff, "Takeoff");
    pointLine(h.start, "Start  ");
    for (std::int32_t i = 0; i < count; ++i) {
      char label[16];
      std::snprintf(label, sizeof label, "TP%02u   ", static_cast<unsigned>(i + 1));
      pointLine(h.turnpoints[i], label);
    }
    pointLine(h.finish, "Finish ");
    pointLine(h.landing, "Landing");
  }

  // Second pass: fixes and events.
  std::int32_t format = 0;
  std::int64_t running = h.startSeconds;
  std::int32_t latitude = 0, longitude = 0;
  for (std::int32_t at = 0; at < length;) {
    Record record;
    if (!RecordAt(data, length, at, format, 42, record)) break;
    const std::uint8_t* p = data + at;
    if (record.kind == kEnd) break;
    if (record.kind == kStart) {
      format = p[0] & 0x1F;
      if (format > 1) break;
    }
    running += record.seconds;
    char time[8];
    SixDigitTime(running, time);
    if (record.kind == kTimedVariable && record.subType == 0x60) {
      w.Line("E%sPEVEVENTBUTTON PRESSED\r\n", time);
    } else if (record.kind == kTimedVariable && record.subType == 0x61) {
      w.Line("LGCSTKF%sTAKEOFF DETECTED\r\n", time);
    } else if (record.kind == kFullFix || record.kind == kDiffFix) {
      std::int32_t altitudeValue = 0, accuracyValue = 0, noiseValue = 0;
      if (record.kind == kFullFix) {
        latitude = p[5] + 256 * p[4] + 65536 * (p[3] & 0x7F);
        if (p[3] & 0x80) latitude = -latitude;
        longitude = 65536 * p[6] + 256 * p[7] + p[8];
        if (p[9] & 0x80) longitude = -longitude;
        altitudeValue = p[10] + 16 * (p[9] & 0x70);
        accuracyValue = p[9] & 0x0F;
        noiseValue = format == 0 ? 0 : p[11];
      } else {
        std::int32_t dLat = p[4] + 256 * (p[3] & 0x07);
        if (p[3] & 0x80) dLat = -dLat;
        std::int32_t dLon = p[5] + 32 * (p[3] & 0x78);
        if (p[6] & 0x80) dLon = -dLon;
        latitude += dLat;
        longitude += dLon;
        altitudeValue = p[7] + 16 * (p[6] & 0x70);
        accuracyValue = p[6] & 0x0F;
        noiseValue = p[8];
      }
      const bool valid = (p[0] & 0x10) != 0;
      const std::int32_t pressure = p[1] + (p[0] & 0x0F) * 256;
      long gpsAltitude = (altitudeValue - 100) * 10L;
      if (version >= 413 && version <= 419 && !valid) gpsAltitude = 0;
      const unsigned accuracy = static_cast<unsigned>(accuracyValue * 33.333333366666665);
      char position[32];
      WritePosition(position, sizeof position, latitude, longitude);
      std::string line = "B";
      char part[64];
      std::snprintf(part, sizeof part, "%s%s%c%05ld%05ld%03u", time, position, valid ? 'A' : 'V',
                    PressureAltitude(pressure), gpsAltitude, accuracy);
      line += part;
      if (oldFormat) line += "999";
      if (withNoise) {
        double noise = 4.0 * noiseValue;
        if (version >= 423) {
          if (noise < 500) {
            noise = noise / 2;
          } else if (noise < 750) {
            noise = (noise - 375) * 2;
          } else {
            noise = (noise - 750) * 1.5 + 750;
          }
        }
        if (noise > 999) noise = 999;
        std::snprintf(part, sizeof part, "%03u", static_cast<unsigned>(noise));
        line += part;
      }
      line += "\r\n";
      if (FAILED(IgcWriteText(file, line.c_str()))) w.failed = true;
      if (IsFinalFix(p, record.kind)) break;
    }
    at += record.size;
  }
  return w.failed ? E_FAIL : 0;
}

HRESULT WriteGRecords(HANDLE file, const std::uint8_t* data, std::int32_t length) {
  bool failed = false;
  std::string line;
  std::uint8_t group[3];
  std::int32_t pending = 0;
  auto encode = [&]() {
    line += kGAlphabet[group[0] >> 2];
    line += kGAlphabet[((group[0] & 3) << 4) | (group[1] >> 4)];
    line += kGAlphabet[((group[1] & 15) << 2) | (group[2] >> 6)];
    line += kGAlphabet[group[2] & 63];
  };
  auto flush = [&]() {
    const std::string text = "G" + line + "\r\n";
    if (FAILED(IgcWriteText(file, text.c_str()))) failed = true;
    line.clear();
  };
  for (std::int32_t i = 0; data && i < length; ++i) {
    group[pending++] = data[i];
    if (pending == 3) {
      encode();
      pending = 0;
      if (line.size() == 72) flush();
    }
  }
  if (pending > 0 || !line.empty()) {
    while (pending < 3) group[pending++] = 0xFF;
    encode();
    flush();
  }
  return failed ? E_FAIL : 0;
}

}  // namespace cumulor
