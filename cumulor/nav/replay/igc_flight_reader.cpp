#include "cumulor/nav/replay/igc_flight_reader.h"

#include <cstring>

#include "cumulor/app/base/text_file.h"
#include "cumulor/nav/geo/coordinate_text.h"
#include "cumulor/nav/geo/geodesy.h"
#include "cumulor/nav/replay/igc_fields.h"

namespace cumulor {
namespace {

using igc_fields::Digits;
using igc_fields::SignedDigits;

constexpr double kKmhToKnots = 0.539968;
constexpr double kMsToKnots = 1.9438444;
constexpr double kRadToDeg = 57.2957795131;
constexpr std::int32_t kMinLines = 100;
constexpr std::int32_t kMinLinesAfterHeader = 20;
constexpr std::int32_t kLineMax = 512;

bool StartsWith(const char* line, const char* prefix) { return std::strncmp(line, prefix, std::strlen(prefix)) == 0; }

// The line without its line end and a closing Ctrl-Z, cut at kLineMax - 1 characters.
void LineCopy(const TextLines& lines, std::int32_t i, char* out) {
  const char* text = lines.LineText(i);
  std::int32_t n = 0;
  const std::int32_t length = lines.LineLength(i);
  for (; n < length && n < kLineMax - 1 && text[n] != '\0'; ++n) out[n] = text[n];
  while (n > 0 && (out[n - 1] == '\r' || out[n - 1] == '\n' || out[n - 1] == 0x1A)) --n;
  out[n] = '\0';
}

// The text after the first ':' into `out` (at most size - 1 characters); nothing without a ':'.
void HeaderValue(const char* line, char* out, std::size_t size) {
  const char* colon = std::strchr(line, ':');
  if (!colon) return;
  std::size_t n = 0;
  for (const char* p = colon + 1; *p != '\0' && n + 1 < size; ++p) out[n++] = *p;
  out[n] = '\0';
}

std::int16_t Altitude16(std::int32_t metres) {
  return static_cast<std::int16_t>(metres < -32768 ? -32768 : metres > 32767 ? 32767 : metres);
}

// The file's lines; a CR alone also ends a line (files written with CR line ends).
TextLines ReadIgcLines(const WCHAR* path) {
  SourceBuffer source;
  LoadFileBuffer(path, source);
  if (!source.loaded) return TextLines{};
  const std::int32_t size = source.bytes.Size();
  std::uint8_t* bytes = source.bytes.Data();
  for (std::int32_t i = 0; i < size; ++i)
    if (bytes[i] == '\r' && (i + 1 >= size || bytes[i + 1] != '\n')) bytes[i] = '\n';
  return SplitTextLines(bytes, size);
}

}  // namespace

int ReadIgcFlight(const WCHAR* path, DynArray<GpsFix>& fixes, FlightInfo& info) {
  fixes.SetSize(0);
  TextLines lines = ReadIgcLines(path);
  if (!lines.Loaded() || lines.LineCount() < kMinLines) return 0;

  info = FlightInfo{};
  info.fixInterval = 1000;
  std::int32_t n = 0;
  for (; path[n] != 0 && n < 77; ++n) info.sourceFile[n] = path[n];
  info.sourceFile[n] = 0;

  char line[kLineMax];
  bool ownLog = false;
  bool tas = false;
  std::int32_t first = 0;
  for (; first < lines.LineCount(); ++first) {
    LineCopy(lines, first, line);
    if (line[0] == 'B') break;
    if (StartsWith(line, "AQCM")) {
      ownLog = true;
    } else if (StartsWith(line, "HFDTE")) {
      std::int32_t y = 0, m = 0, d = 0;
      if (igc_fields::HeaderDate(line, y, m, d)) {
        info.year = static_cast<std::uint16_t>(y);
        info.month = static_cast<std::uint16_t>(m);
        info.day = static_cast<std::uint16_t>(d);
      }
    } else if (StartsWith(line, "HFPLTP")) {
      HeaderValue(line, info.pilot, sizeof info.pilot);
    } else if (StartsWith(line, "HFGTYG")) {
      HeaderValue(line, info.gliderType, sizeof info.gliderType);
    } else if (StartsWith(line, "HFGIDG")) {
      HeaderValue(line, info.gliderId, sizeof info.gliderId);
    } else if (StartsWith(line, "HFCIDC")) {
      HeaderValue(line, info.competitionId, sizeof info.competitionId);
    } else if (line[0] == 'I' && ownLog && std::strstr(line, "TAS")) {
      tas = true;
    }
  }
  const std::int32_t remaining = lines.LineCount() - first;
  if (remaining < kMinLinesAfterHeader) return 0;
  if (fixes.SetSize(remaining) != S_OK) return 0;

  std::int32_t stored = 0;
  int result = 1;
  for (std::int32_t i = first; i < lines.LineCount(); ++i) {
    LineCopy(lines, i, line);
    if (line[0] != 'B') continue;
    // A record too short for its altitudes, or with a time or altitude that is no number, is
    // damage: the reading ends there.
    std::int32_t length = 0;
    while (length < 35 && line[length] != '\0') ++length;
    std::int32_t seconds = 0, h = 0, m = 0, s = 0, pressure = 0, gps = 0;
    if (length < 35 || !igc_fields::TimeOfDay(line + 1, seconds, h, m, s) || !SignedDigits(line + 25, 5, pressure) ||
        !SignedDigits(line + 30, 5, gps)) {
      result = 0;
      break;
    }
    GpsFix fix{};
    WCHAR wide[18];
    for (int k = 0; k < 17; ++k) wide[k] = static_cast<unsigned char>(line[7 + k]);
    wide[17] = 0;
    ParseIgcLatLon(wide, fix.position);
    if (fix.position.lon == 0 && fix.position.lat == 0) continue;  // no position: dropped
    std::uint32_t time = static_cast<std::uint32_t>(seconds);
    if (stored > 0 && time < fixes[stored - 1].timeOfDay) time += 86400;
    fix.timeOfDay = time;
    fix.mark = tas ? 1 : 0;
    fix.pressureAltitude = Altitude16(pressure);
    fix.gpsAltitude = Altitude16(gps);
    if (ownLog) {
      std::int32_t track = 0, speed = 0;
      if (Digits(line + 35, 3, track) && Digits(line + 38, 3, speed)) {
        fix.track = static_cast<std::uint16_t>(track % 360);
        fix.groundSpeed = static_cast<float>(speed * kKmhToKnots);
      }
      std::int32_t airspeed = 0, vario = 0;
      if (tas && Digits(line + 41, 3, airspeed) && SignedDigits(line + 44, 3, vario)) {
        fix.airspeed = static_cast<float>(airspeed * kKmhToKnots);
        fix.verticalSpeed = static_cast<float>(vario) / 10.0f;
      } else {
        fix.airspeed = fix.groundSpeed;
      }
    } else if (stored > 0) {
      const GpsFix& previous = fixes[stored - 1];
      double bearing = 0.0;
      GeoBearing(bearing, previous.position, fix.position);
      std::int32_t degrees = static_cast<std::int32_t>(bearing * kRadToDeg) % 360;
      fix.track = static_cast<std::uint16_t>(degrees < 0 ? degrees + 360 : degrees);
      if (fix.timeOfDay > previous.timeOfDay) {
        const double distance = GeoDistance(previous.position, fix.position);
        fix.groundSpeed = fix.airspeed =
            static_cast<float>(distance / static_cast<double>(fix.timeOfDay - previous.timeOfDay) * kMsToKnots);
      }
    }
    fixes[stored++] = fix;
  }
  fixes.SetSize(stored);
  if (stored >= 4) info.fixInterval = static_cast<std::int32_t>(fixes[3].timeOfDay - fixes[2].timeOfDay);
  return result;
}

}  // namespace cumulor
