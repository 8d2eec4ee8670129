// The search record of a point table and its matching rules. The point lists fill it (a search
// text, a number, or a direction with a range) and the table's filter reads it.
// Text matching: a prefix of the upper-cased candidate; a name (or, failing that, its code)
// compared without case over the shorter of the two lengths; "*text" for the text anywhere in the
// name or the upper-cased code. A search of one character compares that character exactly.
// Candidates of any length are compared in place (nothing is copied).
#pragma once

#include <cstdint>

namespace cumulor {

inline constexpr int kSearchTextChars = 127;

struct SearchRecord {
  std::int32_t mode = 0;                      // the last mode set by SetSearchMode
  std::uint8_t modeSet = 0;
  char16_t text[kSearchTextChars + 1] = {};   // as entered
  char narrow[kSearchTextChars + 1] = {};     // 8-bit; after a leading "*" the needle
  std::int32_t length = 0;                    // characters of `narrow`
  std::uint8_t substring = 0;                 // "*text": the text anywhere (the wildcard mode)
  bool numberMode = false;                    // codes read as a number equal to `number`
  bool prefixMode = false;                    // names starting with the text
  bool directionMode = false;                 // points within `maxDistance` around `direction`
  std::int32_t number = 0;
  std::uint32_t maxDistance = 0x7FFFFFFF;     // metres
  std::uint32_t firstWord = 0x7FFFFFFF;
  std::int32_t direction = 0;                 // degrees
};

// Inline mode values of SetSearchMode.
inline constexpr std::int32_t kSearchByDirection = 1;

// Empty text, every mode off, the maximum distance and the first word 0x7FFFFFFF, direction 0.
void SearchRecordReset(SearchRecord& search);
// Stores at most 127 characters of the text (null: empty). A lone "*" empties the search; "*"
// followed by text searches for that text anywhere.
void SetSearchText(SearchRecord& search, const char16_t* text);
// A search by direction: the points less than `range` metres away whose bearing differs from
// `direction` (degrees) by less than 30 degrees.
void SetSearchMode(SearchRecord& search, std::int32_t direction, std::uint32_t range);

// The upper-cased text's first `length` characters equal the search; an empty text never matches.
bool MatchPrefix(const SearchRecord& search, const char* text);
// An empty name or search matches; see the header comment for the rest. `code` may be null.
bool MatchName(const SearchRecord& search, const char* name, const char* code);
// The same rules for one text (no code); a null text never matches.
bool MatchNameOrCode(const SearchRecord& search, const char* text);

}  // namespace cumulor
