#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "cumulor/app/base/text_convert.h"

namespace cumulor {
namespace {

// The text in a heap block of exactly its size, so that a read past its NUL is caught.
std::unique_ptr<char[]> Exact(const std::string& text) {
  auto block = std::make_unique<char[]>(text.size() + 1);
  std::memcpy(block.get(), text.c_str(), text.size() + 1);
  return block;
}

TEST(TextConvert, NarrowAndWideKeepCharacterValues) {
  WCHAR wide[16];
  EXPECT_EQ(NarrowToWideLen(wide, "A\xB0\xFFz"), 4);
  EXPECT_EQ(std::u16string(wide), u"A\u00B0\u00FFz");
  NarrowToWideN(wide, "abcdef", 3);
  EXPECT_EQ(std::u16string(wide), u"abc");
  NarrowToWideN(wide, "ab", 5);
  EXPECT_EQ(std::u16string(wide), u"ab");

  char narrow[16];
  WideToNarrow(narrow, u"\u00E9\u20ACx");  // the euro sign keeps its low byte 0xAC
  EXPECT_STREQ(narrow, "\xE9\xACx");
  WideToNarrowN(narrow, u"GLIDER", 3);
  EXPECT_STREQ(narrow, "GLI");
}

TEST(TextConvert, UnescapeTextDecodesThreeDigitsAndNeverReadsPastTheEnd) {
  struct Case {
    std::string text;
    std::u16string wide;
  } cases[] = {
      {"\\065", u"A"},
      {"Temp 20\\176C", u"Temp 20\u00B0C"},
      {"\\382ber", u"\u017Eber"},  // codes above 255 are how wide characters are written
      {"a\\", u"a\\"},             // fewer than three characters after the backslash: kept as is
      {"a\\1", u"a\\1"},
      {"a\\12", u"a\\12"},
      {"\\\\\\\\", u"\u1314"},     // digits are not checked: (92 - 48) x 111 = 4884
  };
  for (const Case& c : cases) {
    auto text = Exact(c.text);
    auto wide = std::make_unique<WCHAR[]>(c.text.size() + 1);
    UnescapeText(wide.get(), text.get());
    EXPECT_EQ(std::u16string(wide.get()), c.wide) << c.text;
  }
}

TEST(TextConvert, TrimTrailingBlanksOnly) {
  char text[] = "Name \t  ";
  EXPECT_EQ(TrimTrailingSpaces(text), 6);
  EXPECT_STREQ(text, "Name \t");
  WCHAR wide[] = u"   ";
  EXPECT_EQ(TrimTrailingSpacesW(wide), 0);
  EXPECT_EQ(wide[0], 0);
}

}  // namespace
}  // namespace cumulor
