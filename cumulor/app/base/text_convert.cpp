#include "cumulor/app/base/text_convert.h"

namespace cumulor {

WCHAR* NarrowToWide(WCHAR* destination, const char* text) {
  NarrowToWideLen(destination, text);
  return destination;
}

WCHAR* NarrowToWideN(WCHAR* destination, const char* text, std::int32_t n) {
  std::int32_t i = 0;
  for (; i < n && text[i]; ++i) destination[i] = static_cast<unsigned char>(text[i]);
  destination[i] = 0;
  return destination;
}

std::int32_t NarrowToWideLen(WCHAR* destination, const char* text) {
  std::int32_t i = 0;
  for (; text[i]; ++i) destination[i] = static_cast<unsigned char>(text[i]);
  destination[i] = 0;
  return i;
}

char* WideToNarrow(char* destination, const WCHAR* text) {
  std::int32_t i = 0;
  for (; text[i]; ++i) destination[i] = static_cast<char>(text[i] & 0xFF);
  destination[i] = 0;
  return destination;
}

char* WideToNarrowN(char* destination, const WCHAR* text, std::int32_t n) {
  std::int32_t i = 0;
  for (; i < n; ++i) destination[i] = static_cast<char>(text[i] & 0xFF);
  destination[i < 0 ? 0 : i] = 0;
  return destination;
}

WCHAR* UnescapeText(WCHAR* destination, const char* text) {
  WCHAR* out = destination;
  const char* p = text;
  while (*p) {
    if (*p == '\\' && p[1] && p[2] && p[3]) {
      int code = (static_cast<unsigned char>(p[1]) - 48) * 100 + (static_cast<unsigned char>(p[2]) - 48) * 10 +
                 (static_cast<unsigned char>(p[3]) - 48);
      *out++ = static_cast<WCHAR>(code);
      p += 4;
    } else {
      *out++ = static_cast<unsigned char>(*p++);
    }
  }
  *out = 0;
  return destination;
}

namespace {
template <class Ch>
std::int32_t TrimBlanks(Ch* text) {
  std::int32_t n = 0;
  while (text[n]) ++n;
  while (n > 0 && text[n - 1] == Ch(' ')) text[--n] = 0;
  return n;
}
}  // namespace

std::int32_t TrimTrailingSpaces(char* text) { return TrimBlanks(text); }
std::int32_t TrimTrailingSpacesW(WCHAR* text) { return TrimBlanks(text); }

}  // namespace cumulor
