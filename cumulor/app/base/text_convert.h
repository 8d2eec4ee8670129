// Character-by-character conversions between 8-bit and wide text, and trimming.
//
// No code page is involved: widening keeps each byte's value (so ISO-8859-1 text maps exactly), and
// narrowing keeps the low byte of each wide character. Destinations are the caller's buffers and
// must have room for what the function writes (stated per function).
#pragma once

#include <cstdint>

#include "platform/base/types.h"

namespace cumulor {

// Copies text including its NUL into destination (strlen(text) + 1 elements); returns destination.
WCHAR* NarrowToWide(WCHAR* destination, const char* text);
// Copies at most n characters, stopping at the NUL, and always terminates (up to n + 1 elements).
WCHAR* NarrowToWideN(WCHAR* destination, const char* text, std::int32_t n);
// As NarrowToWide; returns the number of characters copied (the NUL not counted).
std::int32_t NarrowToWideLen(WCHAR* destination, const char* text);

// Keeps the low byte of each character, NUL included.
char* WideToNarrow(char* destination, const WCHAR* text);
// Exactly n characters of text (a fixed-width field), then a NUL: n + 1 bytes written.
char* WideToNarrowN(char* destination, const WCHAR* text, std::int32_t n);

// Widens text into destination (at most strlen(text) + 1 elements), except that a backslash with
// three characters after it becomes one character whose code is their value as a three-digit
// decimal number ("\065" is "A", "\176" the degree sign). The digits are not checked. A backslash
// with fewer than three characters after it is copied as it is; nothing past the NUL is read.
WCHAR* UnescapeText(WCHAR* destination, const char* text);

// Overwrite trailing blanks (only ' ') with NUL; return the new length.
std::int32_t TrimTrailingSpaces(char* text);
std::int32_t TrimTrailingSpacesW(WCHAR* text);

}  // namespace cumulor
