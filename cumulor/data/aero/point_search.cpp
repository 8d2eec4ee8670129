#include "cumulor/data/aero/point_search.h"

#include <algorithm>
#include <cstring>

namespace cumulor {
namespace {

unsigned char Upper(char c) {
  const auto u = static_cast<unsigned char>(c);
  return u >= 'a' && u <= 'z' ? static_cast<unsigned char>(u - 'a' + 'A') : u;
}

// The first n characters of a and b equal without case (a shorter text differs at its end).
bool EqualNoCase(const char* a, const char* b, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i) {
    if (Upper(a[i]) != Upper(b[i])) return false;
    if (a[i] == '\0') return true;
  }
  return true;
}

// The needle occurs in the text, exactly or in the upper-cased text.
bool Contains(const char* text, const char* needle, bool upperText) {
  const std::size_t n = std::strlen(needle);
  for (const char* start = text; *start; ++start) {
    std::size_t i = 0;
    while (i < n && start[i] != '\0' &&
           (upperText ? Upper(start[i]) : static_cast<unsigned char>(start[i])) == static_cast<unsigned char>(needle[i]))
      ++i;
    if (i == n) return true;
  }
  return n == 0;
}

}  // namespace

void SetSearchText(SearchRecord& search, const char16_t* text) {
  std::int32_t n = 0;
  if (text)
    for (; n < kSearchTextChars && text[n]; ++n) search.text[n] = text[n];
  search.text[n] = 0;
  for (std::int32_t i = 0; i <= n; ++i)
    search.narrow[i] = search.text[i] < 0x100 ? static_cast<char>(search.text[i]) : '?';
  search.length = n;
  search.substring = 0;
  if (n > 0 && search.text[0] == u'*') {
    // The needle is the text after the star; a lone star shows everything.
    std::memmove(search.narrow, search.narrow + 1, static_cast<std::size_t>(n));
    search.length = n - 1;
    search.substring = search.length > 0 ? 1 : 0;
  }
}

void SearchRecordReset(SearchRecord& search) { search = SearchRecord{}; }

void SetSearchMode(SearchRecord& search, std::int32_t direction, std::uint32_t range) {
  search.mode = kSearchByDirection;
  search.modeSet = 1;
  search.directionMode = true;
  search.direction = direction;
  search.maxDistance = range;
}

bool MatchPrefix(const SearchRecord& search, const char* text) {
  if (!text || !*text) return false;
  for (std::int32_t i = 0; i < search.length; ++i) {
    if (text[i] == '\0') return false;
    if (Upper(text[i]) != static_cast<unsigned char>(search.narrow[i])) return false;
  }
  return true;
}

bool MatchName(const SearchRecord& search, const char* name, const char* code) {
  if (!name || !*name || search.length == 0) return true;
  if (search.length == 1) return name[0] == search.narrow[0];
  if (search.substring) {
    if (Contains(name, search.narrow, false)) return true;
    return code && *code && Contains(code, search.narrow, true);
  }
  const std::size_t n = std::min(std::strlen(name), static_cast<std::size_t>(search.length));
  if (EqualNoCase(name, search.narrow, n)) return true;
  return code && EqualNoCase(code, search.narrow, n);
}

bool MatchNameOrCode(const SearchRecord& search, const char* text) {
  if (!text) return false;
  if (search.length == 1) return text[0] == search.narrow[0];
  if (search.substring) return Contains(text, search.narrow, false) || Contains(text, search.narrow, true);
  const std::size_t n = std::min(std::strlen(text), static_cast<std::size_t>(search.length));
  return EqualNoCase(text, search.narrow, n);
}

}  // namespace cumulor
