#include "cumulor/nav/geo/coordinate_text.h"

#include "cumulor/app/base/number_text.h"
#include "cumulor/nav/geo/geodesy.h"
#include "platform/text/scan.h"
#include "platform/text/wide_string.h"

namespace cumulor {
namespace {

bool IsDigit(int c) { return c >= '0' && c <= '9'; }

// Reads `count` digits at text[pos..]; false when the text ends or holds another character there.
bool ReadDigits(const char* text, int pos, int count, std::int32_t& value) {
  value = 0;
  for (int i = 0; i < count; ++i) {
    const char c = text[pos + i];
    if (!IsDigit(c)) return false;  // also stops at the NUL
    value = value * 10 + (c - '0');
  }
  return true;
}

// DDMM.mmmH with `degreeDigits` degree digits; the letter follows the thousandths.
int ParseFixedColumns(const char* text, int degreeDigits, std::int32_t limit, char negative, std::int32_t& out) {
  if (text == nullptr) return 0;
  std::int32_t degrees = 0, minutes = 0, thousandths = 0;
  if (!ReadDigits(text, 0, degreeDigits, degrees)) return 0;
  if (!ReadDigits(text, degreeDigits, 2, minutes)) return 0;
  if (text[degreeDigits + 2] != '.') return 0;
  if (!ReadDigits(text, degreeDigits + 3, 3, thousandths)) return 0;
  const char letter = text[degreeDigits + 6];
  if (letter == '\0') return 0;
  std::int32_t value = (degrees * 60 + minutes) * 600 + thousandths * 36 / 60;
  if (value > limit) return 0;
  if (letter == negative) value = -value;
  out = value;
  return 1;
}

int ParseLetterDegMin(const WCHAR* text, WCHAR negative, std::int32_t maxDegrees, std::int32_t& out) {
  if (text == nullptr) return 0;
  WCHAR letter = 0;
  int degrees = 0;
  double minutes = 0;
  if (swscanf(text, u"%c%d:%lf", &letter, &degrees, &minutes) != 3) return 0;
  if (degrees < 0 || degrees > maxDegrees || !(minutes >= 0.0 && minutes < 60.0)) return 0;
  std::int32_t value = degrees * 36000 + RoundToInt(minutes * 36000 * 0.016666666666666666);
  if (value > maxDegrees * 36000) return 0;  // past the pole or the 180th meridian
  if (letter == negative) value = -value;
  out = value;
  return 1;
}

}  // namespace

int ParseAltitude(WCHAR* text, std::int32_t& out) {
  if (text == nullptr) return 0;
  double value = 0;
  if (swscanf(text, u"%lf", &value) != 1) return 0;
  _wcsupr(text);
  if (wcschr(static_cast<const WCHAR*>(text), u'F') != nullptr) {
    out = TruncToInt(value);
  } else {
    out = RoundToInt(value * 3.2808);
  }
  return 1;
}

int ParseLatText(const char* text, std::int32_t& out) { return ParseFixedColumns(text, 2, 3240000, 'S', out); }
int ParseLonText(const char* text, std::int32_t& out) { return ParseFixedColumns(text, 3, 6480000, 'W', out); }

int ParseLonDegMin(const WCHAR* text, std::int32_t& out) { return ParseLetterDegMin(text, u'W', 180, out); }
int ParseLatDegMin(const WCHAR* text, std::int32_t& out) { return ParseLetterDegMin(text, u'S', 90, out); }

int ParseDegMinSec(const char* text, int length, int& next, std::int32_t& out) {
  next = 0;
  if (text == nullptr) return 0;
  int i = 0;

  // Degrees: digits up to ':', other characters skipped.
  std::int32_t degrees = 0;
  for (;; ++i) {
    if (i >= length || text[i] == '\0') return 0;
    const char c = text[i];
    if (c == ':') break;
    if (IsDigit(c)) {
      degrees = degrees * 10 + (c - '0');
      if (degrees > 179) return 0;
    }
  }
  ++i;

  // Minutes: digits up to ':' (seconds follow) or '.' (decimal minutes follow).
  std::int32_t minutes = 0;
  bool seconds = false;
  for (;; ++i) {
    if (i >= length || text[i] == '\0') return 0;
    const char c = text[i];
    if (c == ':' || c == '.') {
      seconds = c == ':';
      break;
    }
    if (IsDigit(c)) {
      minutes = minutes * 10 + (c - '0');
      if (minutes > 59) return 0;
    }
  }
  ++i;

  // Fraction: digits counted up to the hemisphere letter (either case); a carriage return fails.
  // Seconds may carry decimals after a point ("05.5" is 5.5 s); tenths of a second are kept.
  std::int32_t fraction = 0;
  int digits = 0;
  bool afterPoint = false;
  std::int32_t tenthOfSecond = 0;
  int decimals = 0;
  char letter = 0;
  for (;; ++i) {
    if (i >= length || text[i] == '\0' || text[i] == '\r') return 0;
    const char c = text[i];
    const char upper = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    if (upper == 'E' || upper == 'N' || upper == 'S' || upper == 'W') {
      letter = upper;
      break;
    }
    if (seconds && c == '.') {
      if (afterPoint) return 0;
      afterPoint = true;
    } else if (IsDigit(c)) {
      if (afterPoint) {
        if (decimals++ == 0) tenthOfSecond = c - '0';
      } else {
        if (++digits > 6) return 0;
        fraction = fraction * 10 + (c - '0');
      }
    }
  }
  ++i;

  std::int32_t tenths = 0;
  if (seconds) {
    tenths = fraction * 10 + tenthOfSecond;
  } else if (digits == 1) {
    tenths = fraction * 60;
  } else if (digits == 2) {
    tenths = fraction * 6;
  } else if (digits == 3) {
    tenths = fraction * 6 / 10;
  } else {
    return 0;
  }
  if (tenths > 599) return 0;

  std::int32_t value = tenths + (minutes + degrees * 60) * 600;
  if (letter == 'W' || letter == 'S') value = -value;
  out = value;
  next = i;
  return 1;
}

int ParseIgcLatLon(const WCHAR* text, GeoPoint& out) {
  out = GeoPoint{};
  if (text == nullptr) return 0;
  // "DDMMmmmHDDDMMmmmH": every digit where a digit belongs (a blank inside the minutes would move
  // the point tens of kilometres) and a hemisphere letter N or S, then E or W.
  auto digits = [text](int from, int count, std::int32_t& value) {
    value = 0;
    for (int i = from; i < from + count; ++i) {
      if (text[i] < u'0' || text[i] > u'9') return false;  // also stops at the end of the text
      value = value * 10 + (text[i] - u'0');
    }
    return true;
  };
  std::int32_t latDeg = 0, latMin = 0, latThou = 0, lonDeg = 0, lonMin = 0, lonThou = 0;
  if (!digits(0, 2, latDeg) || !digits(2, 2, latMin) || !digits(4, 3, latThou)) return 0;
  const WCHAR ns = text[7];
  if (ns != u'N' && ns != u'S') return 0;
  if (!digits(8, 3, lonDeg) || !digits(11, 2, lonMin) || !digits(13, 3, lonThou)) return 0;
  const WCHAR ew = text[16];
  if (ew != u'E' && ew != u'W') return 0;
  if (latMin > 59 || lonMin > 59) return 0;
  std::int32_t lat = (latDeg * 60 + latMin) * 600 + latThou * 6 / 10;
  std::int32_t lon = (lonDeg * 60 + lonMin) * 600 + lonThou * 6 / 10;
  // A position past the pole or the 180th meridian is none.
  if (lat > 90 * 36000 || lon > 180 * 36000) return 0;
  if (ns == u'S') lat = -lat;
  if (ew == u'W') lon = -lon;
  out.lat = lat;
  out.lon = lon;
  return 0;
}

int StripFileName(WCHAR* path) {
  if (path == nullptr || path[0] == 0) return -1;
  int last = -1;
  for (int i = 0; path[i] != 0; ++i) {
    if (path[i] == u'\\') last = i;
  }
  if (last >= 0) path[last] = 0;
  return last;
}

}  // namespace cumulor
