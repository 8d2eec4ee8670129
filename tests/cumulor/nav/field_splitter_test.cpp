#include "cumulor/nav/geo/field_splitter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace cumulor {
namespace {

template <class Splitter>
std::vector<std::string> Split(Splitter& s, const char* text) {
  std::vector<std::string> fields;
  for (char* f = s.Next(text); f != nullptr; f = s.Next(nullptr)) fields.emplace_back(f);
  return fields;
}

TEST(FieldSplitter, FieldsEmptyFieldsAndEnds) {
  ShortSplitter s;
  using V = std::vector<std::string>;
  EXPECT_EQ(Split(s, "a,,b"), (V{"a", ",b", "b"}));
  EXPECT_EQ(Split(s, "$GPRMC,123519,A\r\n"), (V{"$GPRMC", "123519", "A"}));
  EXPECT_EQ(Split(s, "a,"), (V{"a", ""}));
  EXPECT_EQ(Split(s, ""), (V{""}));
  EXPECT_EQ(Split(s, ",x"), (V{",x", "x"}));
  // After the last field every call answers null.
  EXPECT_EQ(s.Next(nullptr), nullptr);
  ShortSplitter fresh;
  EXPECT_EQ(fresh.Next(nullptr), nullptr);
}

TEST(FieldSplitter, LongTextIsCutToTheBuffer) {
  const std::string text(5000, 'x');
  ShortSplitter s;
  EXPECT_EQ(std::string(TokenizeShort(s, text.c_str())).size(), 255u);
  LongSplitter l;
  EXPECT_EQ(std::string(TokenizeLong(l, text.c_str())).size(), 2047u);
}

TEST(FieldSplitter, SplittersAreIndependent) {
  ShortSplitter a, b;
  EXPECT_STREQ(TokenizeShort(a, "1,2,3"), "1");
  EXPECT_STREQ(TokenizeShort(b, "x,y"), "x");
  EXPECT_STREQ(TokenizeShort(a, nullptr), "2");
  EXPECT_STREQ(TokenizeShort(b, nullptr), "y");
  EXPECT_STREQ(TokenizeShort(a, nullptr), "3");
}

}  // namespace
}  // namespace cumulor
