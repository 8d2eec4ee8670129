#include "cumulor/nav/gps/sentence_parsers.h"

#include <cmath>
#include <cstdint>
#include <cstring>

#include "cumulor/nav/engine/engine_context.h"
#include "cumulor/nav/gps/sentence_scan.h"

namespace cumulor {
namespace {

constexpr double kFeetToMetres = 0.30480370641307;
constexpr double kKnotsToMs = 0.514444444;
constexpr double kKmhToKnots = 0.539968;
constexpr double kMaxSpeedKnots = 10000.0;

std::int16_t ToInt16(double v) {
  if (!std::isfinite(v)) return 0;
  v = std::trunc(v);
  if (v > 32767.0) return 32767;
  if (v < -32768.0) return -32768;
  return static_cast<std::int16_t>(v);
}

std::int16_t ToInt16(std::int32_t v) {
  if (v > 32767) return 32767;
  if (v < -32768) return -32768;
  return static_cast<std::int16_t>(v);
}

float Speed(double knots) {
  if (!std::isfinite(knots) || knots < 0.0) return 0.0f;
  return static_cast<float>(knots > kMaxSpeedKnots ? kMaxSpeedKnots : knots);
}

// Whole degrees 0..359; 360 (and anything that is not a course) gives 0.
std::uint16_t Track(double degrees) {
  if (!std::isfinite(degrees) || degrees < 0.0 || degrees >= 361.0) return 0;
  const int t = static_cast<int>(degrees);
  return static_cast<std::uint16_t>(t % 360);
}

// The text after the five-letter address and its comma; the NUL when the line is shorter.
const char* AfterAddress(const char* line) {
  for (int i = 0; i < 7; ++i)
    if (line[i] == '\0') return line + i;
  return line + 7;
}

// "hhmmss" at the six characters after the address's comma.
bool TimeOfDay(const char* line, std::uint32_t& seconds) {
  const char* t = AfterAddress(line);
  for (int i = 0; i < 6; ++i)
    if (t[i] < '0' || t[i] > '9') return false;
  const int hh = (t[0] - '0') * 10 + (t[1] - '0');
  const int mm = (t[2] - '0') * 10 + (t[3] - '0');
  const int ss = (t[4] - '0') * 10 + (t[5] - '0');
  if (hh > 23 || mm > 59 || ss > 60) return false;
  seconds = static_cast<std::uint32_t>(hh * 3600 + mm * 60 + (ss > 59 ? 59 : ss));
  return true;
}

// The common "new second" step: false when the sentence holds no time.
bool NewSecond(GpsPort& gps) {
  std::uint32_t seconds = 0;
  if (!TimeOfDay(gps.line, seconds)) return false;
  gps.fix.timeOfDay = seconds;
  if (seconds != gps.lastTimeOfDay) {
    gps.newSecond = 1;
    std::memcpy(gps.utcText, AfterAddress(gps.line), 6);
    gps.utcText[6] = '\0';
    gps.lastTimeOfDay = seconds;
  } else {
    gps.newSecond = 0;
  }
  return true;
}

// N (ddmm or dddmm) and the fraction of a minute F into GeoPoint units; false out of range.
bool Coordinate(std::int32_t whole, double fraction, std::int32_t maxDegrees, std::int32_t& out) {
  if (whole < 0 || !(fraction >= 0.0 && fraction < 1.0)) return false;
  const std::int32_t degrees = whole / 100;
  const std::int32_t minutes = whole % 100;
  if (minutes >= 60 || degrees > maxDegrees) return false;
  const std::int64_t units = static_cast<std::int64_t>(degrees) * 36000 + minutes * 600 +
                             static_cast<std::int64_t>(std::trunc(fraction * 600.0));
  if (units > static_cast<std::int64_t>(maxDegrees) * 36000) return false;
  out = static_cast<std::int32_t>(units);
  return true;
}

// A field "ddmm.mmmm" split into N and F.
bool FieldCoordinate(const SentenceFields& f, int i, std::int32_t maxDegrees, std::int32_t& out) {
  if (f.Empty(i)) return false;
  const char* p = f.begin[i];
  const char* end = p + f.length[i];
  std::int32_t whole = 0;
  int digits = 0;
  while (p < end && *p >= '0' && *p <= '9' && digits < 6) {
    whole = whole * 10 + (*p++ - '0');
    ++digits;
  }
  if (digits == 0) return false;
  double fraction = 0.0;
  if (p < end && *p == '.') {
    if (ReadDecimal(p, end, fraction) == 0) fraction = 0.0;
  } else if (p != end) {
    return false;
  }
  return Coordinate(whole, fraction, maxDegrees, out);
}

void SetAltitudeExternal(GpsPort& gps) {
  gps.status.altitudeValid = 1;
  gps.externalAltitude = 1;
}

void SetPressureAltitude(GpsPort& gps, std::int16_t metres) {
  gps.fix.pressureAltitude = metres;
  gps.status.altitude = metres;
}

}  // namespace

std::int16_t FeetToMetres16(double feet) { return ToInt16(feet * kFeetToMetres); }

HRESULT NmeaChecksumOk(GpsPort& gps, const char* line, int max) {
  if (max < 2) return E_FAIL;
  // The body runs from after "$" to the first "*" (a NUL first, or no "*" in the buffer, fails).
  const std::size_t span = strnlen(line + 1, static_cast<std::size_t>(max - 2));
  const auto* star = static_cast<const char*>(std::memchr(line + 1, '*', span));
  if (!star) return E_FAIL;
  const int i = static_cast<int>(star - line);
  // XOR eight bytes at a time, then fold the word's bytes together.
  std::uint64_t wide = 0;
  int k = 1;
  for (; k + 8 <= i; k += 8) {
    std::uint64_t w;
    std::memcpy(&w, line + k, 8);
    wide ^= w;
  }
  wide ^= wide >> 32;
  wide ^= wide >> 16;
  wide ^= wide >> 8;
  unsigned x = static_cast<unsigned>(wide & 0xFF);
  for (; k < i; ++k) x ^= static_cast<unsigned char>(line[k]);
  unsigned value = 0;
  for (int k = 1; k <= 2; ++k) {
    const char c = line[i + k];
    if (c >= '0' && c <= '9') value = value * 16 + static_cast<unsigned>(c - '0');
    else if (c >= 'A' && c <= 'F') value = value * 16 + static_cast<unsigned>(c - 'A' + 10);
    else return E_FAIL;
  }
  if (value != x) return E_FAIL;
  gps.binaryAllowed = 0;
  return S_OK;
}

HRESULT ParseRMC(GpsPort& gps) {
  gps.status.positionValid = 0;
  if (NmeaChecksumOk(gps, gps.line, kSentenceMax) != S_OK) return E_FAIL;
  if (!NewSecond(gps)) return kVoidFix;
  const SentenceFields f(AfterAddress(gps.line));
  if (f.First(1) != 'A') return kVoidFix;
  GeoPoint pos;
  if (!FieldCoordinate(f, 2, 90, pos.lat) || !FieldCoordinate(f, 4, 180, pos.lon)) return kVoidFix;
  if (f.First(3) == 'S') pos.lat = -pos.lat;
  if (f.First(5) == 'W') pos.lon = -pos.lon;
  gps.status.positionValid = 1;
  gps.status.position = pos;
  gps.fix.position = pos;
  double knots = 0.0;
  f.Float(6, knots);
  const float kn = Speed(knots);
  gps.status.groundSpeedKn = kn;
  gps.status.groundSpeedMs = static_cast<float>(kn * kKnotsToMs);
  gps.fix.groundSpeed = kn;
  double track = 0.0;
  f.Float(7, track);
  gps.fix.track = gps.status.track = Track(track);
  if (gps.dateText[0] == '\0' && f.count > 8 && f.length[8] >= 6) {
    const char* d = f.begin[8];
    bool digits = true;
    for (int i = 0; i < 6; ++i) digits = digits && d[i] >= '0' && d[i] <= '9';
    const int day = (d[0] - '0') * 10 + (d[1] - '0');
    const int month = (d[2] - '0') * 10 + (d[3] - '0');
    if (digits && day >= 1 && day <= 31 && month >= 1 && month <= 12) {
      std::memcpy(gps.dateText, d, 6);
      gps.dateText[6] = '\0';
    }
  }
  const std::int32_t manual = gps.manualVariation;
  if (gps.trueNorth) {
    gps.status.variation = 0;
  } else if (manual != 0) {
    gps.status.variation = manual;
  } else {
    double variation = 0.0;
    f.Float(9, variation);
    std::int32_t whole = 0;
    if (std::isfinite(variation) && variation > -360.0 && variation < 360.0) whole = static_cast<std::int32_t>(variation);
    gps.status.variation = f.First(10) == 'E' ? -whole : whole;
  }
  if (!gps.pressureSentence) {
    gps.fix.mark = 1;
    gps.status.mark = 1;
  }
  return S_OK;
}

HRESULT ParseGGA(GpsPort& gps) {
  gps.status.positionValid = 0;
  if (NmeaChecksumOk(gps, gps.line, kSentenceMax) != S_OK) return E_FAIL;
  if (!NewSecond(gps)) return kVoidFix;
  double time = 0, latF = 0, lonF = 0;
  std::int32_t latN = 0, lonN = 0, quality = 0;
  char ns = 0, ew = 0;
  SentenceScan(AfterAddress(gps.line))
      .Float(time).Lit(',')
      .Int(latN).Float(latF).Lit(',').Char(ns).Lit(',')
      .Int(lonN).Float(lonF).Lit(',').Char(ew).Lit(',')
      .Int(quality);
  if (quality == 0) return kVoidFix;
  // The altitude and its unit are taken by field position, so an empty satellite count or
  // dilution (receivers leave them out) does not lose them; an empty altitude stores none.
  const SentenceFields fields(AfterAddress(gps.line));
  double altitude = 0;
  const bool hasAltitude = fields.Float(8, altitude);
  const char unit = fields.First(9);
  GeoPoint pos;
  if (!Coordinate(latN, latF, 90, pos.lat) || !Coordinate(lonN, lonF, 180, pos.lon)) return kVoidFix;
  if (ns == 'S') pos.lat = -pos.lat;
  if (ew == 'W') pos.lon = -pos.lon;
  gps.status.positionValid = 1;
  gps.status.position = pos;
  gps.fix.position = pos;
  if (hasAltitude) {
    const std::int16_t metres = (unit == 'F' || unit == 'f') ? FeetToMetres16(altitude) : ToInt16(altitude);
    gps.fix.gpsAltitude = metres;
    if (!gps.externalAltitude) {
      SetPressureAltitude(gps, metres);
      gps.status.altitudeValid = 1;
      gps.fix.mark = 0;
      gps.status.mark = 0;
    }
  }
  if (!gps.pressureSentence) {
    gps.fix.mark = 1;
    gps.status.mark = 1;
  }
  return S_OK;
}

HRESULT ParseVTG(GpsPort& gps) {
  if (NmeaChecksumOk(gps, gps.line, kSentenceMax) != S_OK) return E_FAIL;
  const SentenceFields f(AfterAddress(gps.line));
  double track = 0.0, knots = 0.0;
  f.Float(0, track);
  f.Float(4, knots);
  const float kn = Speed(knots);
  gps.status.groundSpeedKn = kn;
  gps.status.groundSpeedMs = static_cast<float>(kn * kKnotsToMs);
  gps.fix.groundSpeed = kn;
  gps.fix.track = gps.status.track = track == 360.0 ? 0 : Track(track);
  return S_OK;
}

HRESULT ParseRMZ(GpsPort& gps) {
  if (NmeaChecksumOk(gps, gps.line, kSentenceMax) != S_OK) return E_FAIL;
  const char* first = AfterAddress(gps.line);
  if (*first == ',' || *first == '*' || *first == '\0') return E_FAIL;
  std::int32_t feet = 0, dimension = 0;
  char unit = 0;
  SentenceScan(AfterAddress(gps.line)).Int(feet).Lit(',').Char(unit).Lit(',').Int(dimension);
  const std::int16_t metres = FeetToMetres16(feet);
  gps.fix.pressureAltitude = metres;
  gps.fix.gpsAltitude = metres;
  gps.status.altitude = metres;
  gps.status.pressureValid = 1;
  gps.status.pressureAltitude = metres;
  gps.status.altitudeValid = 1;
  gps.status.mark = 0;
  return S_OK;
}

HRESULT ParsePCAID(GpsPort& gps) {
  gps.status.altitudeValid = 0;
  if (NmeaChecksumOk(gps, gps.line, kSentenceMax) != S_OK) return E_FAIL;
  char letter = 0;
  std::int32_t altitude = 0;
  SentenceScan(AfterAddress(gps.line)).Char(letter).Lit(',').Int(altitude);
  gps.pressureSentence = 1;
  SetPressureAltitude(gps, ToInt16(altitude));
  gps.status.pressureValid = 1;
  gps.status.pressureAltitude = gps.fix.pressureAltitude;
  gps.fix.mark = letter == 'L' ? 1 : 0;
  SetAltitudeExternal(gps);
  return S_OK;
}

HRESULT ParsePGCS1(GpsPort& gps) {
  gps.status.altitudeValid = 0;
  gps.pgcsSeen = 1;
  if (gps.line[6] != '1') return E_FAIL;
  if (NmeaChecksumOk(gps, gps.line, kSentenceMax) != S_OK) return E_FAIL;
  std::int32_t version = 0;
  std::uint32_t unused1 = 0, altitude = 0, unused2 = 0, marker = 0;
  SentenceScan(gps.line + 6).Int(version).Lit(',').Hex(unused1).Lit(',').Hex(altitude).Lit(',')
      .Hex(unused2).Lit(',').Hex(marker);
  gps.pressureSentence = 1;
  SetPressureAltitude(gps, static_cast<std::int16_t>(static_cast<std::uint16_t>(altitude & 0xFFFFu)));
  gps.status.pressureValid = 1;
  gps.status.pressureAltitude = gps.fix.pressureAltitude;
  gps.fix.mark = gps.pgcsMarkPending;
  gps.status.mark = gps.pgcsMarkPending;
  gps.pgcsMarkPending = marker == 1 ? 1 : 0;
  SetAltitudeExternal(gps);
  return S_OK;
}

HRESULT ParseLXWP0(GpsPort& gps) {
  const SentenceFields f(AfterAddress(gps.line));
  gps.fix.mark = (f.Empty(0) || f.First(0) == 'Y') ? 1 : 0;
  double kmh = 0.0, altitude = 0.0, vario = 0.0;
  f.Float(1, kmh);
  f.Float(2, altitude);
  f.Float(3, vario);
  gps.fix.airspeed = Speed(kmh * kKmhToKnots);
  SetPressureAltitude(gps, ToInt16(altitude));
  // The vario is sent in m/s, the unit of the fix.
  gps.fix.verticalSpeed = (std::isfinite(vario) && std::fabs(vario) < 1000.0) ? static_cast<float>(vario) : 0.0f;
  gps.status.mark = gps.fix.mark;
  SetAltitudeExternal(gps);
  return S_OK;
}

HRESULT ParsePFSR(GpsPort& gps) {
  gps.status.altitudeValid = 0;
  std::int32_t altitude = 0, unused = 0;
  char letter = 0;
  SentenceScan(AfterAddress(gps.line)).Int(altitude).Lit(',').Char(letter).Lit(',').Int(unused);
  SetPressureAltitude(gps, ToInt16(altitude));
  gps.fix.mark = letter == 'Y' ? 1 : 0;
  gps.status.mark = gps.fix.mark;
  SetAltitudeExternal(gps);
  return S_OK;
}

HRESULT ParsePZAN1(GpsPort& gps) {
  gps.status.altitudeValid = 0;
  if (NmeaChecksumOk(gps, gps.line, kSentenceMax) != S_OK) return E_FAIL;
  std::int32_t altitude = 0;
  SentenceScan(AfterAddress(gps.line)).Int(altitude);
  SetPressureAltitude(gps, ToInt16(altitude));
  gps.fix.mark = 1;
  gps.status.mark = 1;
  SetAltitudeExternal(gps);
  return S_OK;
}

HRESULT ParseQcmAltitude(GpsPort& gps, const char* fields) {
  gps.status.altitudeValid = 0;
  if (NmeaChecksumOk(gps, gps.line, kSentenceMax) != S_OK) return E_FAIL;
  std::int32_t unused = 0, mark = 0, decimetres = 0;
  SentenceScan(fields).Int(unused).Lit(',').Int(mark).Lit(',').Int(decimetres);
  SetPressureAltitude(gps, ToInt16(decimetres / 10));
  gps.fix.mark = static_cast<std::uint8_t>(mark & 0xFF);
  gps.status.mark = gps.fix.mark;
  gps.status.altitudeValid = 1;
  return S_OK;
}

HRESULT ParseHeading(GpsPort& gps) {
  if (NmeaChecksumOk(gps, gps.line, kSentenceMax) != S_OK) return E_FAIL;
  double heading = 0.0;
  SentenceScan scan(AfterAddress(gps.line));
  scan.Float(heading);
  if (scan.Count() == 0) return S_OK;
  gps.compassHeading = static_cast<float>(heading);
  if (gps.app) gps.app->compassPresent = 1;
  return S_OK;
}

}  // namespace cumulor
