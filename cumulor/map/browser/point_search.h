// The search text of the waypoint lists and its matching rules: a prefix of the upper-cased
// candidate, a name (or, failing that, its code) compared without case over the shorter of the
// two lengths, and "*text" for the text anywhere in the name or the upper-cased code. A search
// of one character compares that character exactly. Candidates of any length are compared in
// place (nothing is copied).
#pragma once

#include <cstdint>

namespace cumulor {

inline constexpr int kSearchTextChars = 127;

struct PointSearch {
  std::int32_t mode = 0;
  std::uint8_t modeSet = 0;
  char16_t text[kSearchTextChars + 1] = {};   // as entered
  char narrow[kSearchTextChars + 1] = {};     // 8-bit; after a leading "*" the needle
  std::int32_t length = 0;                    // characters of `narrow`
  std::uint8_t substring = 0;                 // "*text": the text anywhere
};

// Stores at most 127 characters of the text (null: empty). A lone "*" empties the search; "*"
// followed by text searches for that text anywhere.
void SetSearchText(PointSearch& search, const char16_t* text);
void SetSearchMode(PointSearch& search, std::int32_t mode);

// The upper-cased text's first `length` characters equal the search; an empty text never matches.
bool MatchPrefix(const PointSearch& search, const char* text);
// An empty name or search matches; see the header comment for the rest. `code` may be null.
bool MatchName(const PointSearch& search, const char* name, const char* code);
// The same rules for one text (no code); a null text never matches.
bool MatchNameOrCode(const PointSearch& search, const char* text);

}  // namespace cumulor
