#include "platform/text/codepage.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/base/errors.h"
#include "platform/kernel/last_error.h"

namespace {

using ce::text::FromCodePage;
using ce::text::ToCodePage;

TEST(CodePage, SingleByteCodePagesRoundTripEveryByte) {
  std::string all;
  for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
  for (UINT cp : {UINT{CP_ACP}, UINT{1252}, UINT{28591}}) {
    WCHAR wide[256];
    ASSERT_EQ(MultiByteToWideChar(cp, 0, all.data(), 255, wide, 256), 255) << cp;
    char back[256];
    BOOL used = TRUE;
    ASSERT_EQ(WideCharToMultiByte(cp, 0, wide, 255, back, 256, nullptr, &used), 255);
    EXPECT_EQ(std::string(back, 255), all) << cp;
    EXPECT_FALSE(used);
  }
  std::u16string w = FromCodePage("\x80\x81\x8a\x9f\xe9", 1252);
  EXPECT_EQ(w, u"\u20ac\u0081\u0160\u0178\u00e9");
  EXPECT_EQ(FromCodePage("\x80\x9f", 28591), u"\u0080\u009f");
  EXPECT_EQ(ToCodePage(u"\u20ac\u0080", 28591), "?\x80");
  EXPECT_EQ(ToCodePage(u"\u20ac\u0080", 1252), "\x80?");
}

TEST(CodePage, SizesTerminatorsAndErrors) {
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "ab", -1, nullptr, 0), 3);
  WCHAR wide[3] = {u'x', u'x', u'x'};
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "ab", -1, wide, 3), 3);
  EXPECT_EQ(wide[2], 0);
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "ab", 2, wide, 3), 2);  // no terminator asked for

  SetLastError(0);
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "abc", -1, wide, 3), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  char narrow[2];
  SetLastError(0);
  EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, u"abc", -1, narrow, 2, nullptr, nullptr), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, u"\u00e9", -1, nullptr, 0, nullptr, nullptr), 3);

  struct Bad {
    UINT cp;
    const char* text;
    int length;
  };
  for (const Bad& b : {Bad{1250, "a", 1}, Bad{CP_ACP, nullptr, 1}, Bad{CP_ACP, "a", 0}, Bad{CP_ACP, "a", -2}}) {
    SetLastError(0);
    EXPECT_EQ(MultiByteToWideChar(b.cp, 0, b.text, b.length, wide, 3), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  }
  SetLastError(0);
  BOOL used = FALSE;
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, u"a", 1, narrow, 2, nullptr, &used), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST(CodePage, DefaultCharacter) {
  char out[8] = {};
  BOOL used = FALSE;
  EXPECT_EQ(WideCharToMultiByte(1252, 0, u"?a\u0100", 3, out, 8, nullptr, &used), 3);
  EXPECT_EQ(std::string(out, 3), "?a?");
  EXPECT_TRUE(used);
  EXPECT_EQ(WideCharToMultiByte(1252, 0, u"?a\u0100", 3, out, 8, "*", &used), 3);
  EXPECT_EQ(std::string(out, 3), "?a*");
  EXPECT_EQ(WideCharToMultiByte(1252, 0, u"?", 1, out, 8, "*", &used), 1);
  EXPECT_FALSE(used);
}

TEST(CodePage, InvalidUtf8) {
  struct Row {
    std::string bytes;
    std::u16string text;
  };
  const Row rows[] = {
      {"a\xff" "b", u"a\ufffd" "b"},
      {"\xc3", u"\ufffd"},                 // cut sequence
      {"\xc0\xaf", u"\ufffd\ufffd"},       // over-long form
      {"\xed\xa0\x80", u"\ufffd\ufffd\ufffd"},  // encoded surrogate
      {"\xf0\x9f\x98\x80", u"\U0001F600"},
  };
  for (const Row& r : rows) {
    WCHAR wide[8];
    int n = MultiByteToWideChar(CP_UTF8, 0, r.bytes.data(), static_cast<int>(r.bytes.size()), wide, 8);
    EXPECT_EQ(std::u16string(wide, n > 0 ? n : 0), r.text);
    bool valid = r.text.find(u'\ufffd') == std::u16string::npos;
    SetLastError(0);
    n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, r.bytes.data(), static_cast<int>(r.bytes.size()), wide, 8);
    EXPECT_EQ(n > 0, valid);
    if (!valid) {
      EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_UNICODE_TRANSLATION));
    }
  }
  const WCHAR lone[] = {u'a', 0xD800, u'b'};
  char out[8];
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, lone, 3, out, 8, nullptr, nullptr), 5);
  EXPECT_EQ(std::string(out, 5), "a\xef\xbf\xbd" "b");
  EXPECT_EQ(WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, lone, 3, out, 8, nullptr, nullptr), 0);
}

}  // namespace
