// Number-to-text and text-to-number helpers, the byte-block text of the settings document, and the
// unit formatting of altitudes and distances.
#pragma once

#include <atomic>
#include <cstdint>

#include "cumulor/app/base/dyn_string.h"
#include "platform/base/types.h"

namespace cumulor {

// Signed decimal form.
DynString IntToString(std::int32_t value);
// The value with 10 significant digits: fixed notation where it fits ("50", "-10", "47.1234567"),
// exponent notation otherwise ("1e-05"); no trailing zeros or decimal point.
DynString DoubleToString(double value);

// Truncates towards zero; NaN gives 0 and out-of-range values saturate.
std::int32_t TruncToInt(double value);
// Rounds to the nearest integer, halves away from zero; NaN gives 0 and out-of-range values saturate.
std::int32_t RoundToNearestInt(double value);

// The standard conversions of a text (atoi, atof): leading white space, a sign, the longest number
// prefix; 0 when there is none. Independent of the process locale. Out-of-range integers saturate;
// a number beyond the largest double reads as the largest double (or its negative).
std::int32_t TextToInt(const char* text);
double TextToDouble(const char* text);

// The count in decimal, then each byte in decimal, all separated by ","; an empty block is "0".
void BytesToText(const BYTE* bytes, std::int32_t count, DynString& out);
// True when the text's first field equals count and count further fields were stored into
// destination. Fields end at ",", NUL or CR (a CR ends the text); at most 2047 characters are read;
// each field is converted with TextToInt and stored as one byte; a field above 255 stops the parse
// (false, bytes already stored stay). A first field that differs from count, or a negative count,
// changes nothing (false).
bool TextToBytes(BYTE* destination, std::int32_t count, const char* text);

// Unit codes of the settings: altitude 1 m, 2 ft; distance 5 km, 6 nm, 8 statute miles.
inline constexpr std::int32_t kUnitMetres = 1;
inline constexpr std::int32_t kUnitFeet = 2;
inline constexpr std::int32_t kUnitKilometres = 5;
inline constexpr std::int32_t kUnitNauticalMiles = 6;
inline constexpr std::int32_t kUnitStatuteMiles = 8;

// The altitude and distance units the formatters below use. The application record's unit setters
// store their unit here as well; the defaults are those of a fresh record.
struct NumberFormatUnits {  // read by any thread, written by the unit setters
  std::atomic<std::int32_t> altitude{kUnitMetres};
  std::atomic<std::int32_t> distance{kUnitKilometres};
};
NumberFormatUnits& FormatUnits();

// "%d%s": whole metres with "m", or truncate(metres x 3.2808) with "ft" when the altitude unit is
// feet. The text lives in a buffer that the next call on the same thread overwrites.
const WCHAR* FormatAltitude(std::int32_t metres);

// Precision codes of FormatDistance.
inline constexpr std::int32_t kPrecisionAuto = 0;
inline constexpr std::int32_t kPrecisionOneDecimal = 10;
inline constexpr std::int32_t kPrecisionTwoDecimals = 100;
// The distance in the current distance unit, without the unit: precision 0 automatic (one decimal
// below 10 whole units, none from 10 up), 10 one decimal, 100 two decimals; any other precision
// leaves the buffer as the previous call left it. An unknown unit is taken as kilometres. One
// buffer per thread, overwritten by the next call.
const WCHAR* FormatDistance(double metres, std::int32_t precision);
// The same with the unit given; a buffer of its own.
const WCHAR* FormatDistanceInUnit(double metres, std::int32_t precision, std::int32_t unit);

}  // namespace cumulor
