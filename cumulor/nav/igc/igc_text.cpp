#include "cumulor/nav/igc/igc_text.h"

#include <cstdio>

#include "cumulor/data/points/point_db.h"
#include "cumulor/nav/gps/gps_port.h"
#include "platform/base/errors.h"
#include "platform/files/files.h"

namespace cumulor {
namespace {

struct Parts {
  std::int32_t degrees, minutes, thousandths;
};

Parts Split(std::int32_t value, std::int32_t maxDegrees) {
  std::int64_t a = value < 0 ? -static_cast<std::int64_t>(value) : value;
  if (a > static_cast<std::int64_t>(maxDegrees) * 36000) a = static_cast<std::int64_t>(maxDegrees) * 36000;
  Parts p;
  p.degrees = static_cast<std::int32_t>(a / 36000);
  p.minutes = static_cast<std::int32_t>((a - p.degrees * 36000LL) / 600);
  p.thousandths = static_cast<std::int32_t>((a - (p.degrees * 60LL + p.minutes) * 600) * 10 / 6);
  return p;
}

bool TwoDigits(const char* t, int& out) {
  if (t[0] < '0' || t[0] > '9' || t[1] < '0' || t[1] > '9') return false;
  out = (t[0] - '0') * 10 + (t[1] - '0');
  return true;
}

struct FlagLetter {
  WCHAR letter;
  std::uint32_t bit;
};
constexpr FlagLetter kFlagLetters[] = {{u'H', 0x40}, {u'A', 0x02}, {u'L', 0x08},  {u'T', 0x01},  {u'M', 0x04},
                                       {u'S', 0x10}, {u'F', 0x20}, {u'W', 0x100}, {u'I', 0x1000}};

bool IsBlank(WCHAR c) { return c == u' ' || c == u'\t'; }

// A signed decimal integer at text; false when there is none.
bool WideInt(const WCHAR* text, std::int32_t& out) {
  while (IsBlank(*text)) ++text;
  bool negative = false;
  if (*text == u'-' || *text == u'+') negative = *text++ == u'-';
  if (*text < u'0' || *text > u'9') return false;
  std::int64_t v = 0;
  while (*text >= u'0' && *text <= u'9') {
    if (v < 100000000) v = v * 10 + (*text - u'0');
    ++text;
  }
  out = static_cast<std::int32_t>(negative ? -v : v);
  return true;
}

}  // namespace

const char* FormatIgcLatLon(const GeoPoint& point) {
  thread_local char text[64];
  const Parts lat = Split(point.lat, 90);
  const Parts lon = Split(point.lon, 180);
  std::snprintf(text, sizeof text, "%02d%02d%03d%c%03d%02d%03d%c", lat.degrees, lat.minutes, lat.thousandths,
                point.lat < 0 ? 'S' : 'N', lon.degrees, lon.minutes, lon.thousandths, point.lon < 0 ? 'W' : 'E');
  return text;
}

void FormatLatLonText(WCHAR* buffer, std::int32_t value, bool isLatitude, int style) {
  const Parts p = Split(value, isLatitude ? 90 : 180);
  const char letter = isLatitude ? (value < 0 ? 'S' : 'N') : (value < 0 ? 'W' : 'E');
  char text[64];
  if (style == 0) {
    std::snprintf(text, sizeof text, "%02d:%02d.%03d%c", p.degrees, p.minutes, p.thousandths, letter);
  } else if (isLatitude) {
    std::snprintf(text, sizeof text, "%02d%02d.%04d%c", p.degrees, p.minutes, p.thousandths * 10, letter);
  } else {
    std::snprintf(text, sizeof text, "%03d%02d.%04d%c", p.degrees, p.minutes, p.thousandths * 10, letter);
  }
  int i = 0;
  for (; text[i] != '\0' && i < 15; ++i) buffer[i] = static_cast<unsigned char>(text[i]);
  buffer[i] = 0;
}

HRESULT NmeaDateTimeToSystemTime(const GpsPort& gps, SYSTEMTIME& out) {
  int day, month, year, hour, minute, second;
  if (!TwoDigits(gps.dateText, day) || !TwoDigits(gps.dateText + 2, month) || !TwoDigits(gps.dateText + 4, year))
    return E_FAIL;
  if (!TwoDigits(gps.utcText, hour) || !TwoDigits(gps.utcText + 2, minute) || !TwoDigits(gps.utcText + 4, second))
    return E_FAIL;
  if (hour == 0 && minute == 0 && second == 0) return E_FAIL;
  if (day < 1 || day > 31 || month < 1 || month > 12 || hour > 23 || minute > 59 || second > 59) return E_FAIL;
  out = SYSTEMTIME{};
  out.wYear = static_cast<WORD>(2000 + year);
  out.wMonth = static_cast<WORD>(month);
  out.wDay = static_cast<WORD>(day);
  out.wHour = static_cast<WORD>(hour);
  out.wMinute = static_cast<WORD>(minute);
  out.wSecond = static_cast<WORD>(second);
  out.wMilliseconds = 0;
  out.wDayOfWeek = 65535;
  return S_OK;
}

namespace {

// ReadTextLine's work over `next`, which takes the next byte into its argument and answers 1, or
// answers 0 at the end of the file and -1 when a read fails.
template <class NextByte>
HRESULT ReadLineOf(NextByte next, WCHAR* buffer, std::int32_t bufferBytes, std::int32_t& count) {
  count = 1;
  if (bufferBytes < 2 * static_cast<std::int32_t>(sizeof(WCHAR))) return E_FAIL;
  const std::int32_t capacity = bufferBytes / static_cast<std::int32_t>(sizeof(WCHAR));
  std::int32_t stored = 0;
  for (;;) {
    unsigned char c = 0;
    const int got = next(c);
    if (got < 0) return E_FAIL;
    if (got == 0) {
      if (stored == 0) return E_FAIL;
      break;
    }
    if (stored >= capacity - 1) return E_FAIL;
    buffer[stored++] = c;
    if (c == '\n') break;
  }
  buffer[stored] = 0;
  count = stored + 1;
  return S_OK;
}

}  // namespace

HRESULT ReadTextLine(HANDLE file, WCHAR* buffer, std::int32_t bufferBytes, std::int32_t& count) {
  return ReadLineOf(
      [file](unsigned char& c) {
        DWORD got = 0;
        if (!ReadFile(file, &c, 1, &got, nullptr)) return -1;
        return got == 0 ? 0 : 1;
      },
      buffer, bufferBytes, count);
}

HRESULT ReadTextLine(HANDLE file, LineReadAhead& ahead, WCHAR* buffer, std::int32_t bufferBytes, std::int32_t& count) {
  count = 1;
  if (bufferBytes < 2 * static_cast<std::int32_t>(sizeof(WCHAR))) return E_FAIL;
  // The next byte without taking it: 1 with the byte, 0 at the end of the file, -1 on a failure.
  auto peek = [file, &ahead](unsigned char& c) {
    if (ahead.start >= ahead.end) {
      DWORD got = 0;
      if (!ReadFile(file, ahead.bytes, sizeof ahead.bytes, &got, nullptr)) return -1;
      ahead.start = 0;
      ahead.end = static_cast<std::int32_t>(got);
      if (got == 0) return 0;
    }
    c = ahead.bytes[ahead.start];
    return 1;
  };
  const std::int32_t capacity = bufferBytes / static_cast<std::int32_t>(sizeof(WCHAR));
  std::int32_t stored = 0;
  bool any = false;
  for (;;) {
    unsigned char c = 0;
    const int got = peek(c);
    if (got < 0) return E_FAIL;
    if (got == 0) {
      if (!any) return E_FAIL;
      break;
    }
    ++ahead.start;
    any = true;
    // A line longer than the buffer is cut; the rest of it up to its end is passed over.
    if (stored < capacity - 1) buffer[stored++] = c;
    if (c == '\n') break;
    if (c == '\r') {
      // CR LF, or a CR alone (files written with CR line ends).
      unsigned char following = 0;
      const int more = peek(following);
      if (more < 0) return E_FAIL;
      if (more > 0 && following == '\n') {
        ++ahead.start;
        if (stored < capacity - 1) buffer[stored++] = following;
      }
      break;
    }
  }
  buffer[stored] = 0;
  count = stored + 1;
  return S_OK;
}

void WaypointFlagLetters(std::uint32_t flags, WCHAR* buffer) {
  int n = 0;
  for (const FlagLetter& f : kFlagLetters)
    if (flags & f.bit) buffer[n++] = f.letter;
  buffer[n] = 0;
}

HRESULT ParseWaypointFlagLetters(const WCHAR* text, std::uint32_t& flags) {
  flags = 0;
  for (; *text != 0; ++text)
    for (const FlagLetter& f : kFlagLetters)
      if (*text == f.letter) flags |= f.bit;
  return S_OK;
}

std::int32_t ParseDecimalField(const WCHAR* text, std::int32_t length, std::int32_t& used, std::int32_t& value) {
  std::int64_t v = 0;
  bool negative = false;
  std::int32_t i = 0;
  for (; i < length && text[i] != 0 && text[i] != u','; ++i) {
    const WCHAR c = text[i];
    if (c >= u'0' && c <= u'9') {
      if (v < 100000000000LL) v = v * 10 + (c - u'0');
    } else if (c == u'-') {
      negative = true;
    } else if (c == u'+') {
      negative = false;
    }
  }
  if (i >= 2 && text[i - 2] == u'.') v /= 10;
  if (v > 2147483647LL) v = 2147483647LL;
  value = static_cast<std::int32_t>(negative ? -v : v);
  used = i;
  return i;
}

HRESULT ParseWaypointOption(GpsPort& gps, const WCHAR* text, WaypointRecord& waypoint) {
  while (IsBlank(*text)) ++text;
  if (*text == 0) return E_FAIL;
  for (; *text != 0; ++text) {
    std::int32_t n = 0;
    if ((*text == u'V' || *text == u'v') && WideInt(text + 1, n)) {
      if (n > -46 && n < 46) gps.manualVariation = n;
    } else if ((*text == u'Z' || *text == u'z') && WideInt(text + 1, n)) {
      if (n >= 0 && n <= 65535) waypoint.zoomLimit = static_cast<std::uint16_t>(n);
    }
  }
  return S_OK;
}

}  // namespace cumulor
