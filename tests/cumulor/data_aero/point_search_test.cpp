// The waypoint lists' search text and matching rules, with names and codes longer than any
// fixed buffer.
#include <gtest/gtest.h>

#include <string>

#include "cumulor/data/aero/point_search.h"

namespace cumulor {
namespace {

SearchRecord Search(const char16_t* text) {
  SearchRecord s;
  SetSearchText(s, text);
  return s;
}

TEST(PointSearch, SearchText) {
  SearchRecord s = Search(u"*");
  EXPECT_EQ(s.length, 0);
  EXPECT_EQ(s.substring, 0);
  s = Search(u"*ab");
  EXPECT_EQ(s.length, 2);
  EXPECT_EQ(s.substring, 1);
  EXPECT_STREQ(s.narrow, "ab");
  const std::u16string longText(300, u'X');
  s = Search(longText.c_str());
  EXPECT_EQ(s.length, kSearchTextChars);
  EXPECT_EQ(s.text[kSearchTextChars], 0);
  s = Search(nullptr);
  EXPECT_EQ(s.length, 0);
  SetSearchMode(s, 270, 75000);
  EXPECT_TRUE(s.directionMode);
  EXPECT_EQ(s.modeSet, 1);
  EXPECT_EQ(s.direction, 270);
  EXPECT_EQ(s.maxDistance, 75000u);
}

TEST(PointSearch, Matching) {
  const std::string longName = std::string(200, 'Q') + "ab";
  struct {
    const char16_t* search;
    const char* name;
    const char* code;
    bool name_match;
  } cases[] = {
      {u"*", "ANYTHING", "X", true},              // a lone star lists all
      {u"*ab", "Kabul", nullptr, true},           // the needle in the name
      {u"*ab", "KABUL", nullptr, false},          // names are searched as they are
      {u"*AB", "Zell", "LOWAB", true},            // or in the upper-cased code
      {u"*AB", "Zell", "lowab", true},
      {u"*ab", "Zell", nullptr, false},           // no code: no match
      {u"*ab", longName.c_str(), nullptr, true},  // a long name, no buffer
      {u"ABCD", "ab", nullptr, true},             // a name shorter than the search: its prefix
      {u"ABCD", "abx", nullptr, false},
      {u"EDMA", "Augsburg", "EDMA", true},        // the code over the same length
      {u"EDM", "Augsburg", "ED", false},          // a code shorter than the compared length
      {u"A", "Augsburg", nullptr, true},          // one character: exact
      {u"a", "Augsburg", nullptr, false},
      {u"XY", "", nullptr, true},                 // an empty name matches
  };
  for (const auto& c : cases) {
    const SearchRecord s = Search(c.search);
    EXPECT_EQ(MatchName(s, c.name, c.code), c.name_match) << std::string(c.name) << " / " << s.narrow;
  }
  EXPECT_TRUE(MatchPrefix(Search(u"AUG"), "augsburg"));
  EXPECT_FALSE(MatchPrefix(Search(u"AUGSBURGER"), "augsburg"));
  EXPECT_FALSE(MatchPrefix(Search(u""), ""));
  EXPECT_TRUE(MatchPrefix(Search(u"QQQ"), longName.c_str()));
  EXPECT_TRUE(MatchNameOrCode(Search(u"*AB"), "kabul"));   // the upper-cased copy
  EXPECT_TRUE(MatchNameOrCode(Search(u"aug"), "AU"));
  EXPECT_FALSE(MatchNameOrCode(Search(u"aug"), nullptr));
  EXPECT_TRUE(MatchNameOrCode(Search(u"K"), "Kabul"));
}

}  // namespace
}  // namespace cumulor
