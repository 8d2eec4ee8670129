// Fixed-width fields of IGC lines, shared by the two IGC readers. Each reads exactly its width
// and refuses anything else, so a damaged or short line never reads past its end (a NUL is no
// digit).
#pragma once

#include <cstdint>

namespace cumulor::igc_fields {

// `width` decimal digits.
template <class Char>
bool Digits(const Char* text, int width, std::int32_t& out) {
  std::int32_t value = 0;
  for (int i = 0; i < width; ++i) {
    const Char c = text[i];
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  out = value;
  return true;
}

// `width` characters: digits, or a '-' and digits ("-0037").
template <class Char>
bool SignedDigits(const Char* text, int width, std::int32_t& out) {
  if (text[0] == '-') {
    if (width < 2 || !Digits(text + 1, width - 1, out)) return false;
    out = -out;
    return true;
  }
  return Digits(text, width, out);
}

// "hhmmss" as seconds of the day; false unless hours < 24 and minutes and seconds < 60.
template <class Char>
bool TimeOfDay(const Char* text, std::int32_t& seconds, std::int32_t& h, std::int32_t& m, std::int32_t& s) {
  if (!Digits(text, 2, h) || !Digits(text + 2, 2, m) || !Digits(text + 4, 2, s)) return false;
  if (h > 23 || m > 59 || s > 59) return false;
  seconds = h * 3600 + m * 60 + s;
  return true;
}

// The date of "HFDTE" + ddmmyy or "HFDTEDATE:" + ddmmyy (the form of current recorders). Years
// up to 85 are 20yy, later ones 19yy. False for other lines and for a date that is not one.
template <class Char>
bool HeaderDate(const Char* line, std::int32_t& year, std::int32_t& month, std::int32_t& day) {
  const char* prefix = "HFDTE";
  for (int i = 0; i < 5; ++i)
    if (line[i] != prefix[i]) return false;
  const Char* digits = line + 5;
  const char* longForm = "DATE:";
  bool isLong = true;
  for (int i = 0; i < 5 && isLong; ++i) isLong = digits[i] == longForm[i];
  if (isLong) digits += 5;
  std::int32_t d = 0, mo = 0, y = 0;
  if (!Digits(digits, 2, d) || !Digits(digits + 2, 2, mo) || !Digits(digits + 4, 2, y)) return false;
  if (d < 1 || d > 31 || mo < 1 || mo > 12) return false;
  day = d;
  month = mo;
  year = y <= 85 ? 2000 + y : 1900 + y;
  return true;
}

}  // namespace cumulor::igc_fields
