// The C library's and the window system's wide string functions over WCHAR (UTF-16).
//
// They are overloads beside the host library's wchar_t functions of the same names. Case mapping
// and character classes follow Unicode (not only ASCII); comparisons are ordinal, on UTF-16 units.
// Number conversions read ASCII digits, with '.' as the decimal point whatever the host locale.
#pragma once

#include <cstddef>
// The host's declarations come first, so that std:: names keep meaning only the wchar_t forms.
#include <cstdlib>
#include <cwchar>
#include <cwctype>
#include <string>

#include "platform/base/types.h"

// Length, copy, concatenation.
std::size_t wcslen(const WCHAR* s);
WCHAR* wcscpy(WCHAR* dest, const WCHAR* src);
WCHAR* wcsncpy(WCHAR* dest, const WCHAR* src, std::size_t count);  // pads with NULs; no terminator when src is longer
WCHAR* wcscat(WCHAR* dest, const WCHAR* src);
WCHAR* wcsncat(WCHAR* dest, const WCHAR* src, std::size_t count);  // appends at most count, then a terminator
WCHAR* _wcsdup(const WCHAR* s);                                     // free() the result

// Comparison: <0, 0 or >0.
int wcscmp(const WCHAR* a, const WCHAR* b);
int wcsncmp(const WCHAR* a, const WCHAR* b, std::size_t count);
int _wcsicmp(const WCHAR* a, const WCHAR* b);
int _wcsnicmp(const WCHAR* a, const WCHAR* b, std::size_t count);

// Search.
WCHAR* wcschr(WCHAR* s, WCHAR c);
const WCHAR* wcschr(const WCHAR* s, WCHAR c);
WCHAR* wcsrchr(WCHAR* s, WCHAR c);
const WCHAR* wcsrchr(const WCHAR* s, WCHAR c);
WCHAR* wcsstr(WCHAR* s, const WCHAR* find);
const WCHAR* wcsstr(const WCHAR* s, const WCHAR* find);
WCHAR* wcspbrk(WCHAR* s, const WCHAR* set);
const WCHAR* wcspbrk(const WCHAR* s, const WCHAR* set);
std::size_t wcsspn(const WCHAR* s, const WCHAR* set);
std::size_t wcscspn(const WCHAR* s, const WCHAR* set);
// The device's two-argument form keeps its position per thread; the three-argument form in *context.
WCHAR* wcstok(WCHAR* s, const WCHAR* delimiters);
WCHAR* wcstok(WCHAR* s, const WCHAR* delimiters, WCHAR** context);

// Case and character classes.
WCHAR towupper(WCHAR c);
WCHAR towlower(WCHAR c);
int iswdigit(WCHAR c);  // '0'..'9'
int iswxdigit(WCHAR c);
int iswspace(WCHAR c);
int iswalpha(WCHAR c);
int iswalnum(WCHAR c);
int iswupper(WCHAR c);
int iswlower(WCHAR c);
WCHAR* _wcsupr(WCHAR* s);  // in place; returns s
WCHAR* _wcslwr(WCHAR* s);

// Numbers. _wtoi and _wtol saturate at the 32-bit limits; wcstol/wcstoul give the 32-bit limits
// on overflow as the device's long does.
int _wtoi(const WCHAR* s);
LONG _wtol(const WCHAR* s);
LONGLONG _wtoi64(const WCHAR* s);
double _wtof(const WCHAR* s);
LONG wcstol(const WCHAR* s, WCHAR** end, int base);
ULONG wcstoul(const WCHAR* s, WCHAR** end, int base);
double wcstod(const WCHAR* s, WCHAR** end);
// Digits in lower case; a negative value has a '-' only in base 10 (other bases show the bits).
// The buffer must hold 33 characters (65 for _i64tow) in base 2.
WCHAR* _itow(int value, WCHAR* buffer, int radix);
WCHAR* _ltow(LONG value, WCHAR* buffer, int radix);
WCHAR* _ultow(ULONG value, WCHAR* buffer, int radix);
WCHAR* _i64tow(LONGLONG value, WCHAR* buffer, int radix);

// The window system's forms: null pointers are accepted (lstrlenW(nullptr) is 0, a null compares
// below any text). lstrcpynW copies at most count - 1 characters and always terminates.
int lstrlenW(LPCWSTR s);
LPWSTR lstrcpyW(LPWSTR dest, LPCWSTR src);
LPWSTR lstrcpynW(LPWSTR dest, LPCWSTR src, int count);
LPWSTR lstrcatW(LPWSTR dest, LPCWSTR src);
int lstrcmpW(LPCWSTR a, LPCWSTR b);
int lstrcmpiW(LPCWSTR a, LPCWSTR b);
// A pointer whose high word is zero carries one character in its low word, converted and returned
// the same way; otherwise the text is converted in place.
LPWSTR CharUpperW(LPWSTR s);
LPWSTR CharLowerW(LPWSTR s);
DWORD CharUpperBuffW(LPWSTR s, DWORD count);
DWORD CharLowerBuffW(LPWSTR s, DWORD count);

// The window system's names without the W, as a program built for wide text calls them.
inline int lstrlen(LPCWSTR s) { return lstrlenW(s); }
inline LPWSTR lstrcpy(LPWSTR dest, LPCWSTR src) { return lstrcpyW(dest, src); }
inline LPWSTR lstrcpyn(LPWSTR dest, LPCWSTR src, int count) { return lstrcpynW(dest, src, count); }
inline LPWSTR lstrcat(LPWSTR dest, LPCWSTR src) { return lstrcatW(dest, src); }
inline int lstrcmp(LPCWSTR a, LPCWSTR b) { return lstrcmpW(a, b); }
inline int lstrcmpi(LPCWSTR a, LPCWSTR b) { return lstrcmpiW(a, b); }
inline LPWSTR CharUpper(LPWSTR s) { return CharUpperW(s); }
inline LPWSTR CharLower(LPWSTR s) { return CharLowerW(s); }
