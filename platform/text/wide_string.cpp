#include "platform/text/wide_string.h"

#include <locale.h>
#include <wctype.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// Unicode case and classes come from the host's C.UTF-8 locale (plain C when it is missing).
locale_t Locale() {
  static locale_t locale = [] {
    locale_t l = newlocale(LC_ALL_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
    return l ? l : newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  }();
  return locale;
}

WCHAR Upper(WCHAR c) {
  if (c < 0x80) return (c >= 'a' && c <= 'z') ? static_cast<WCHAR>(c - 32) : c;
  if (c >= 0xD800 && c <= 0xDFFF) return c;
  wint_t u = towupper_l(c, Locale());
  return u <= 0xFFFF ? static_cast<WCHAR>(u) : c;
}

WCHAR Lower(WCHAR c) {
  if (c < 0x80) return (c >= 'A' && c <= 'Z') ? static_cast<WCHAR>(c + 32) : c;
  if (c >= 0xD800 && c <= 0xDFFF) return c;
  wint_t l = towlower_l(c, Locale());
  return l <= 0xFFFF ? static_cast<WCHAR>(l) : c;
}

bool Surrogate(WCHAR c) { return c >= 0xD800 && c <= 0xDFFF; }

// The ASCII head of a wide text, for the host's number parsers; stops at the first other character.
std::string AsciiHead(const WCHAR* s) {
  std::string out;
  if (!s) return out;
  for (; *s && *s < 0x80; ++s) out += static_cast<char>(*s);
  return out;
}

template <class T>
T* FindChar(T* s, WCHAR c) {
  for (;; ++s) {
    if (*s == c) return s;
    if (!*s) return nullptr;
  }
}

template <class T>
T* FindLastChar(T* s, WCHAR c) {
  T* found = nullptr;
  for (;; ++s) {
    if (*s == c) found = s;
    if (!*s) return found;
  }
}

template <class T>
T* FindText(T* s, const WCHAR* find) {
  if (!*find) return s;
  for (; *s; ++s) {
    std::size_t k = 0;
    while (find[k] && s[k] == find[k]) ++k;
    if (!find[k]) return s;
  }
  return nullptr;
}

template <class T>
T* FindAny(T* s, const WCHAR* set) {
  for (; *s; ++s) {
    if (FindChar(set, *s) != nullptr) return s;
  }
  return nullptr;
}

bool InSet(const WCHAR* set, WCHAR c) { return c != 0 && FindChar(set, c) != nullptr; }

WCHAR* Token(WCHAR* s, const WCHAR* delimiters, WCHAR** context) {
  if (!s) s = *context;
  if (!s) return nullptr;
  while (*s && InSet(delimiters, *s)) ++s;
  if (!*s) {
    *context = nullptr;
    return nullptr;
  }
  WCHAR* start = s;
  while (*s && !InSet(delimiters, *s)) ++s;
  if (*s) {
    *s = 0;
    *context = s + 1;
  } else {
    *context = nullptr;
  }
  return start;
}

template <class U>
WCHAR* ToText(U magnitude, bool negative, WCHAR* buffer, int radix) {
  if (!buffer) return buffer;
  if (radix < 2 || radix > 36) {
    buffer[0] = 0;
    return buffer;
  }
  WCHAR digits[72];
  int n = 0;
  do {
    unsigned d = static_cast<unsigned>(magnitude % static_cast<U>(radix));
    digits[n++] = static_cast<WCHAR>(d < 10 ? '0' + d : 'a' + d - 10);
    magnitude /= static_cast<U>(radix);
  } while (magnitude != 0);
  WCHAR* p = buffer;
  if (negative) *p++ = '-';
  while (n > 0) *p++ = digits[--n];
  *p = 0;
  return buffer;
}

template <class S, class U>
WCHAR* SignedToText(S value, WCHAR* buffer, int radix) {
  if (radix == 10 && value < 0) return ToText<U>(U(0) - static_cast<U>(value), true, buffer, radix);
  return ToText<U>(static_cast<U>(value), false, buffer, radix);
}

long long Clamp(long long v, long long lo, long long hi) { return v < lo ? lo : v > hi ? hi : v; }

}  // namespace

std::size_t wcslen(const WCHAR* s) {
  std::size_t n = 0;
  while (s[n]) ++n;
  return n;
}

WCHAR* wcscpy(WCHAR* dest, const WCHAR* src) {
  std::size_t i = 0;
  do dest[i] = src[i];
  while (src[i++]);
  return dest;
}

WCHAR* wcsncpy(WCHAR* dest, const WCHAR* src, std::size_t count) {
  std::size_t i = 0;
  for (; i < count && src[i]; ++i) dest[i] = src[i];
  for (; i < count; ++i) dest[i] = 0;
  return dest;
}

WCHAR* wcscat(WCHAR* dest, const WCHAR* src) {
  wcscpy(dest + wcslen(dest), src);
  return dest;
}

WCHAR* wcsncat(WCHAR* dest, const WCHAR* src, std::size_t count) {
  WCHAR* d = dest + wcslen(dest);
  std::size_t i = 0;
  for (; i < count && src[i]; ++i) d[i] = src[i];
  d[i] = 0;
  return dest;
}

WCHAR* _wcsdup(const WCHAR* s) {
  if (!s) return nullptr;
  std::size_t bytes = (wcslen(s) + 1) * sizeof(WCHAR);
  auto* copy = static_cast<WCHAR*>(std::malloc(bytes));
  if (copy) std::memcpy(copy, s, bytes);
  return copy;
}

int wcscmp(const WCHAR* a, const WCHAR* b) { return wcsncmp(a, b, SIZE_MAX); }

int wcsncmp(const WCHAR* a, const WCHAR* b, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
    if (!a[i]) return 0;
  }
  return 0;
}

int _wcsicmp(const WCHAR* a, const WCHAR* b) { return _wcsnicmp(a, b, SIZE_MAX); }

int _wcsnicmp(const WCHAR* a, const WCHAR* b, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    WCHAR x = Lower(a[i]), y = Lower(b[i]);
    if (x != y) return x < y ? -1 : 1;
    if (!x) return 0;
  }
  return 0;
}

WCHAR* wcschr(WCHAR* s, WCHAR c) { return FindChar(s, c); }
const WCHAR* wcschr(const WCHAR* s, WCHAR c) { return FindChar(s, c); }
WCHAR* wcsrchr(WCHAR* s, WCHAR c) { return FindLastChar(s, c); }
const WCHAR* wcsrchr(const WCHAR* s, WCHAR c) { return FindLastChar(s, c); }
WCHAR* wcsstr(WCHAR* s, const WCHAR* find) { return FindText(s, find); }
const WCHAR* wcsstr(const WCHAR* s, const WCHAR* find) { return FindText(s, find); }
WCHAR* wcspbrk(WCHAR* s, const WCHAR* set) { return FindAny(s, set); }
const WCHAR* wcspbrk(const WCHAR* s, const WCHAR* set) { return FindAny(s, set); }

std::size_t wcsspn(const WCHAR* s, const WCHAR* set) {
  std::size_t n = 0;
  while (InSet(set, s[n])) ++n;
  return n;
}

std::size_t wcscspn(const WCHAR* s, const WCHAR* set) {
  std::size_t n = 0;
  while (s[n] && !InSet(set, s[n])) ++n;
  return n;
}

WCHAR* wcstok(WCHAR* s, const WCHAR* delimiters) {
  thread_local WCHAR* context = nullptr;
  return Token(s, delimiters, &context);
}

WCHAR* wcstok(WCHAR* s, const WCHAR* delimiters, WCHAR** context) { return Token(s, delimiters, context); }

WCHAR towupper(WCHAR c) { return Upper(c); }
WCHAR towlower(WCHAR c) { return Lower(c); }
int iswdigit(WCHAR c) { return c >= '0' && c <= '9'; }
int iswxdigit(WCHAR c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }
int iswspace(WCHAR c) { return !Surrogate(c) && iswspace_l(c, Locale()) != 0; }
int iswalpha(WCHAR c) { return !Surrogate(c) && iswalpha_l(c, Locale()) != 0; }
int iswalnum(WCHAR c) { return iswdigit(c) || iswalpha(c); }
int iswupper(WCHAR c) { return !Surrogate(c) && iswupper_l(c, Locale()) != 0; }
int iswlower(WCHAR c) { return !Surrogate(c) && iswlower_l(c, Locale()) != 0; }

WCHAR* _wcsupr(WCHAR* s) {
  for (WCHAR* p = s; *p; ++p) *p = Upper(*p);
  return s;
}

WCHAR* _wcslwr(WCHAR* s) {
  for (WCHAR* p = s; *p; ++p) *p = Lower(*p);
  return s;
}

int _wtoi(const WCHAR* s) { return static_cast<int>(Clamp(_wtoi64(s), INT32_MIN, INT32_MAX)); }
LONG _wtol(const WCHAR* s) { return _wtoi(s); }

LONGLONG _wtoi64(const WCHAR* s) {
  std::string head = AsciiHead(s);
  return std::strtoll(head.c_str(), nullptr, 10);
}

double _wtof(const WCHAR* s) { return wcstod(s, nullptr); }

LONG wcstol(const WCHAR* s, WCHAR** end, int base) {
  std::string head = AsciiHead(s);
  char* stop = nullptr;
  errno = 0;
  long long v = std::strtoll(head.c_str(), &stop, base);
  if (end) *end = const_cast<WCHAR*>(s) + (stop - head.c_str());
  long long clamped = Clamp(v, INT32_MIN, INT32_MAX);
  if (clamped != v) errno = ERANGE;
  return static_cast<LONG>(clamped);
}

ULONG wcstoul(const WCHAR* s, WCHAR** end, int base) {
  std::string head = AsciiHead(s);
  char* stop = nullptr;
  errno = 0;
  unsigned long long v = std::strtoull(head.c_str(), &stop, base);
  if (end) *end = const_cast<WCHAR*>(s) + (stop - head.c_str());
  bool range = errno == ERANGE;
  std::size_t sign = head.find_first_not_of(" \t\n\v\f\r");
  bool negative = sign != std::string::npos && head[sign] == '-';
  if (negative) {
    unsigned long long magnitude = 0 - v;
    if (!range && magnitude <= UINT32_MAX) return static_cast<ULONG>(0u - static_cast<std::uint32_t>(magnitude));
  } else if (!range && v <= UINT32_MAX) {
    return static_cast<ULONG>(v);
  }
  errno = ERANGE;
  return UINT32_MAX;
}

double wcstod(const WCHAR* s, WCHAR** end) {
  std::string head = AsciiHead(s);
  char* stop = nullptr;
  double v = strtod_l(head.c_str(), &stop, Locale());
  if (end) *end = const_cast<WCHAR*>(s) + (stop - head.c_str());
  return v;
}

WCHAR* _itow(int value, WCHAR* buffer, int radix) { return SignedToText<int, unsigned>(value, buffer, radix); }
WCHAR* _ltow(LONG value, WCHAR* buffer, int radix) { return SignedToText<LONG, ULONG>(value, buffer, radix); }
WCHAR* _ultow(ULONG value, WCHAR* buffer, int radix) { return ToText<ULONG>(value, false, buffer, radix); }
WCHAR* _i64tow(LONGLONG value, WCHAR* buffer, int radix) {
  return SignedToText<LONGLONG, ULONGLONG>(value, buffer, radix);
}

int lstrlenW(LPCWSTR s) { return s ? static_cast<int>(wcslen(s)) : 0; }

LPWSTR lstrcpyW(LPWSTR dest, LPCWSTR src) {
  if (!dest || !src) return nullptr;
  return wcscpy(dest, src);
}

LPWSTR lstrcpynW(LPWSTR dest, LPCWSTR src, int count) {
  if (!dest || count <= 0) return dest;
  int i = 0;
  for (; src && i < count - 1 && src[i]; ++i) dest[i] = src[i];
  dest[i] = 0;
  return dest;
}

LPWSTR lstrcatW(LPWSTR dest, LPCWSTR src) {
  if (!dest || !src) return nullptr;
  return wcscat(dest, src);
}

int lstrcmpW(LPCWSTR a, LPCWSTR b) {
  if (!a || !b) return (a ? 1 : 0) - (b ? 1 : 0);
  return wcscmp(a, b);
}

int lstrcmpiW(LPCWSTR a, LPCWSTR b) {
  if (!a || !b) return (a ? 1 : 0) - (b ? 1 : 0);
  return _wcsicmp(a, b);
}

LPWSTR CharUpperW(LPWSTR s) {
  auto bits = reinterpret_cast<std::uintptr_t>(s);
  if ((bits >> 16) == 0) return reinterpret_cast<LPWSTR>(static_cast<std::uintptr_t>(Upper(static_cast<WCHAR>(bits))));
  return _wcsupr(s);
}

LPWSTR CharLowerW(LPWSTR s) {
  auto bits = reinterpret_cast<std::uintptr_t>(s);
  if ((bits >> 16) == 0) return reinterpret_cast<LPWSTR>(static_cast<std::uintptr_t>(Lower(static_cast<WCHAR>(bits))));
  return _wcslwr(s);
}

DWORD CharUpperBuffW(LPWSTR s, DWORD count) {
  if (!s) return 0;
  for (DWORD i = 0; i < count; ++i) s[i] = Upper(s[i]);
  return count;
}

DWORD CharLowerBuffW(LPWSTR s, DWORD count) {
  if (!s) return 0;
  for (DWORD i = 0; i < count; ++i) s[i] = Lower(s[i]);
  return count;
}
