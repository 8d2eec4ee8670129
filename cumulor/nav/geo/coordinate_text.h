// Coordinate and altitude texts of the waypoint, airspace and IGC formats, read into GeoPoint units
// (36000 a degree, west and south negative) and feet. Every parser stops at the text's NUL (or at
// `length` where one is given) and answers 0 for unreadable or out-of-range text.
#pragma once

#include <cstdint>

#include "cumulor/app/base/geo_point.h"
#include "platform/base/types.h"

namespace cumulor {

// "1650ft" -> 1650, "504.0m" -> 1654: a number, feet when an F appears anywhere, else metres
// (x 3.2808, rounded with RoundToInt). Upper-cases the text in place. 0 when no number is read.
int ParseAltitude(WCHAR* text, std::int32_t& out);

// Fixed columns "DDMM.mmmN" (latitude, letter at index 8) and "DDDMM.mmmE" (longitude, index 9).
// S or W negates. Refused above 90 or 180 degrees, or when the text ends before the letter.
int ParseLatText(const char* text, std::int32_t& out);
int ParseLonText(const char* text, std::int32_t& out);

// "%c%d:%lf": hemisphere letter, whole degrees, decimal minutes ("E013:20.5", "N52:30.25").
// Refused past 90 (latitude) or 180 (longitude) degrees.
int ParseLonDegMin(const WCHAR* text, std::int32_t& out);
int ParseLatDegMin(const WCHAR* text, std::int32_t& out);

// "52:30:00 N", "013:20.500E", "52:30:05.5n": degrees, minutes, then seconds (decimals kept to a
// tenth) or decimal minutes, then the hemisphere letter in either case, with or without a blank
// before it. `next` receives the index after the letter (0 on failure). Reads at most `length`
// characters.
int ParseDegMinSec(const char* text, int length, int& next, std::int32_t& out);

// The IGC B-record position "DDMMmmmNDDDMMmmmE". Always returns 0; a text that does not hold the
// position, or a position past 90 or 180 degrees, gives {0, 0}, which the IGC readers drop as no
// position.
int ParseIgcLatLon(const WCHAR* text, GeoPoint& out);

// Cuts a wide path at its last backslash (made NUL) and returns its index; -1 when there is none.
int StripFileName(WCHAR* path);

}  // namespace cumulor
