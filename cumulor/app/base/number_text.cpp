#include "cumulor/app/base/number_text.h"

#include <locale.h>

#include <cfloat>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

namespace cumulor {

namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

constexpr std::size_t kFormatBuffer = 64;

// The value of an unsigned decimal number text that lies outside the finite doubles' range:
// the nearest double when it rounds to one (a tiny number becomes 0 or a subnormal), else the
// largest double, so the 10-digit text of the largest double reads back as itself.
double OutOfRangeValue(const std::string& number) {
  static const locale_t c_locale = newlocale(LC_ALL_MASK, "C", nullptr);
  const double value = strtod_l(number.c_str(), nullptr, c_locale);
  return std::isinf(value) ? DBL_MAX : value;
}

// Writes an ASCII text into a wide buffer of kFormatBuffer elements.
void Widen(WCHAR* buffer, const char* text, std::size_t n) {
  if (n >= kFormatBuffer) n = kFormatBuffer - 1;
  for (std::size_t i = 0; i < n; ++i) buffer[i] = static_cast<unsigned char>(text[i]);
  buffer[n] = 0;
}

double UnitDivisor(std::int32_t unit) {
  switch (unit) {
    case kUnitNauticalMiles:
      return 1852.0;
    case kUnitStatuteMiles:
      return 1609.0;
    default:
      return 1000.0;
  }
}

void FormatDistanceInto(WCHAR* buffer, double metres, std::int32_t precision, std::int32_t unit) {
  double value = metres / UnitDivisor(unit);
  int decimals;
  if (precision == kPrecisionAuto) {
    decimals = std::trunc(value) < 10.0 ? 1 : 0;
  } else if (precision == kPrecisionOneDecimal) {
    decimals = 1;
  } else if (precision == kPrecisionTwoDecimals) {
    decimals = 2;
  } else {
    return;
  }
  char text[400];  // room for any double in fixed notation; the buffer keeps the first 63
  auto r = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
  if (r.ec != std::errc()) r.ptr = text;
  Widen(buffer, text, static_cast<std::size_t>(r.ptr - text));
}

}  // namespace

DynString IntToString(std::int32_t value) {
  char text[16];
  auto r = std::to_chars(text, text + sizeof text, value);
  DynString s;
  s.AssignBytes(text, static_cast<std::int32_t>(r.ptr - text));
  return s;
}

DynString DoubleToString(double value) {
  char text[kFormatBuffer];
  auto r = std::to_chars(text, text + sizeof text, value, std::chars_format::general, 10);
  DynString s;
  s.AssignBytes(text, r.ec == std::errc() ? static_cast<std::int32_t>(r.ptr - text) : 0);
  return s;
}

std::int32_t TruncToInt(double value) {
  if (std::isnan(value)) return 0;
  if (value >= 2147483647.0) return INT_MAX;
  if (value <= -2147483648.0) return INT_MIN;
  return static_cast<std::int32_t>(value);
}

std::int32_t RoundToNearestInt(double value) { return TruncToInt(value < 0 ? value - 0.5 : value + 0.5); }

std::int32_t TextToInt(const char* text) {
  if (!text) return 0;
  const char* p = text;
  while (IsSpace(*p)) ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') negative = *p++ == '-';
  std::int64_t value = 0;
  for (; *p >= '0' && *p <= '9'; ++p) {
    value = value * 10 + (*p - '0');
    if (value > static_cast<std::int64_t>(INT_MAX) + 1) value = static_cast<std::int64_t>(INT_MAX) + 1;
  }
  if (negative) value = -value;
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<std::int32_t>(value);
}

double TextToDouble(const char* text) {
  if (!text) return 0.0;
  const char* p = text;
  while (IsSpace(*p)) ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') negative = *p++ == '-';
  if (*p == '+' || *p == '-') return 0.0;  // a second sign is not a number
  double value = 0.0;
  const auto r = std::from_chars(p, p + std::strlen(p), value, std::chars_format::general);
  if (r.ec == std::errc::result_out_of_range) value = OutOfRangeValue(std::string(p, r.ptr));
  return negative ? -value : value;
}

void BytesToText(const BYTE* bytes, std::int32_t count, DynString& out) {
  out = IntToString(count < 0 ? 0 : count);
  for (std::int32_t i = 0; i < count; ++i) {
    out.AppendChar(',');
    out.AppendString(IntToString(bytes[i]));
  }
  out.Terminate();
}

bool TextToBytes(BYTE* destination, std::int32_t count, const char* text) {
  if (!text) return false;
  // Work on at most 2047 characters, up to the first CR.
  char buffer[2048];
  std::size_t n = 0;
  while (n < sizeof buffer - 1 && text[n] && text[n] != '\r') {
    buffer[n] = text[n];
    ++n;
  }
  buffer[n] = 0;

  // Split into fields at ",".
  char* field = buffer;
  auto nextField = [&]() -> char* {
    if (!field) return nullptr;
    char* current = field;
    char* comma = std::strchr(field, ',');
    if (comma) {
      *comma = 0;
      field = comma + 1;
    } else {
      field = nullptr;
    }
    return current;
  };

  if (count < 0) return false;
  char* first = nextField();
  if (TextToInt(first) != count) return false;
  for (std::int32_t i = 0; i < count; ++i) {
    char* f = nextField();
    if (!f) return false;
    std::int32_t v = TextToInt(f);
    if (v > 255) return false;
    destination[i] = static_cast<BYTE>(v);
  }
  return true;
}

NumberFormatUnits& FormatUnits() {
  static NumberFormatUnits units;
  return units;
}

const WCHAR* FormatAltitude(std::int32_t metres) {
  thread_local WCHAR buffer[kFormatBuffer];
  bool feet = FormatUnits().altitude == kUnitFeet;
  std::int64_t value = feet ? static_cast<std::int64_t>(std::trunc(metres * 3.2808)) : metres;
  char text[kFormatBuffer];
  auto r = std::to_chars(text, text + 32, value);
  std::strcpy(r.ptr, feet ? "ft" : "m");
  Widen(buffer, text, std::strlen(text));
  return buffer;
}

const WCHAR* FormatDistance(double metres, std::int32_t precision) {
  thread_local WCHAR buffer[kFormatBuffer];
  FormatDistanceInto(buffer, metres, precision, FormatUnits().distance);
  return buffer;
}

const WCHAR* FormatDistanceInUnit(double metres, std::int32_t precision, std::int32_t unit) {
  thread_local WCHAR buffer[kFormatBuffer];
  FormatDistanceInto(buffer, metres, precision, unit);
  return buffer;
}

}  // namespace cumulor
