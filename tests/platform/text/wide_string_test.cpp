#include "platform/text/wide_string.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <string>

#include "platform/text/utf.h"

namespace {

using ce::text::WideView;

TEST(WideString, CompareAndSearch) {
  EXPECT_GT(wcscmp(u"\uffff", u"a"), 0);  // units compare unsigned
  EXPECT_LT(wcscmp(u"ab", u"abc"), 0);
  EXPECT_EQ(wcsncmp(u"abcX", u"abcY", 3), 0);
  EXPECT_EQ(_wcsicmp(u"\u00c9COLE Ma\u00ffor", u"\u00e9cole MA\u0178OR"), 0);
  EXPECT_LT(_wcsicmp(u"apple", u"Banana"), 0);
  EXPECT_EQ(_wcsnicmp(u"KEY=1", u"key=2", 4), 0);
  EXPECT_EQ(lstrcmpiW(u"Home", u"HOME"), 0);
  EXPECT_LT(lstrcmpW(nullptr, u""), 0);
  EXPECT_EQ(lstrcmpW(nullptr, nullptr), 0);

  const WCHAR* text = u"\\themes\\qvga\\skin.xml";
  EXPECT_EQ(wcsrchr(text, u'\\') - text, 12);
  EXPECT_EQ(wcschr(text, u'q') - text, 8);
  EXPECT_EQ(wcschr(text, 0), text + wcslen(text));
  EXPECT_EQ(wcsstr(text, u"skin") - text, 13);
  EXPECT_EQ(wcsstr(text, u"skins"), nullptr);
  EXPECT_EQ(wcsspn(u"  \tx", u" \t"), 3u);
  EXPECT_EQ(wcscspn(u"abc,def", u",;"), 3u);

  WCHAR fields[] = u"a,,b;c";
  std::u16string seen;
  for (WCHAR* t = wcstok(fields, u",;"); t; t = wcstok(nullptr, u",;")) seen += std::u16string(t) + u"|";
  EXPECT_EQ(seen, u"a|b|c|");
}

TEST(WideString, CopiesStayInsideTheirBuffers) {
  WCHAR buffer[8];
  for (WCHAR& c : buffer) c = u'#';
  wcsncpy(buffer, u"ab", 4);
  EXPECT_EQ(std::u16string(buffer, 5), std::u16string(u"ab\0\0#", 5));
  buffer[3] = u'#';
  wcsncpy(buffer, u"abcdef", 3);  // no terminator when the source is longer
  EXPECT_EQ(std::u16string(buffer, 4), u"abc#");

  EXPECT_EQ(WideView(lstrcpynW(buffer, u"0123456789", 5)), u"0123");
  EXPECT_EQ(WideView(lstrcpynW(buffer, nullptr, 5)), u"");
  EXPECT_EQ(lstrlenW(nullptr), 0);
  wcscpy(buffer, u"ab");
  wcsncat(buffer, u"cdef", 2);
  EXPECT_EQ(WideView(buffer), u"abcd");
  EXPECT_EQ(WideView(lstrcatW(buffer, u"e")), u"abcde");

  WCHAR* copy = _wcsdup(u"dup");
  EXPECT_EQ(WideView(copy), u"dup");
  std::free(copy);
}

TEST(WideString, CaseMapping) {
  WCHAR text[] = u"stra\u00dfe \u00e9t\u00e9 \u0434\u0430 \u00ff";
  EXPECT_EQ(WideView(_wcsupr(text)), u"STRA\u00dfE \u00c9T\u00c9 \u0414\u0410 \u0178");
  EXPECT_EQ(WideView(_wcslwr(text)), u"stra\u00dfe \u00e9t\u00e9 \u0434\u0430 \u00ff");
  EXPECT_EQ(towupper(u'\u00e0'), u'\u00c0');
  EXPECT_EQ(towlower(u'Z'), u'z');
  EXPECT_EQ(towupper(static_cast<WCHAR>(0xD800)), 0xD800);
  auto* one = CharUpperW(reinterpret_cast<LPWSTR>(static_cast<std::uintptr_t>(u'\u00fc')));
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(one), 0xDCu);
  EXPECT_TRUE(iswalpha(u'\u00e9'));
  EXPECT_FALSE(iswdigit(u'\u0663'));
  EXPECT_TRUE(iswspace(u'\t'));
}

TEST(WideString, Numbers) {
  EXPECT_EQ(_wtoi(u"  -42abc"), -42);
  EXPECT_EQ(_wtoi(u"99999999999"), INT_MAX);
  EXPECT_EQ(_wtoi(u"x"), 0);
  EXPECT_EQ(_wtoi64(u"12345678901"), 12345678901LL);
  EXPECT_DOUBLE_EQ(_wtof(u" 3.5e2m"), 350.0);
  EXPECT_DOUBLE_EQ(_wtof(u"1,5"), 1.0);  // the decimal point is always '.'

  WCHAR* end = nullptr;
  const WCHAR* text = u"  0x1Fz";
  EXPECT_EQ(wcstol(text, &end, 16), 31);
  EXPECT_EQ(end - text, 6);
  EXPECT_EQ(wcstol(u"3000000000", nullptr, 10), INT32_MAX);
  EXPECT_EQ(wcstol(u"-3000000000", nullptr, 10), INT32_MIN);
  EXPECT_EQ(wcstoul(u"-1", nullptr, 10), 0xFFFFFFFFu);
  EXPECT_EQ(wcstoul(u"4294967296", nullptr, 10), 0xFFFFFFFFu);
  const WCHAR* real = u"12.5\u00b0";
  EXPECT_DOUBLE_EQ(wcstod(real, &end), 12.5);
  EXPECT_EQ(end - real, 4);

  WCHAR buffer[72];
  EXPECT_EQ(WideView(_itow(-255, buffer, 10)), u"-255");
  EXPECT_EQ(WideView(_itow(-255, buffer, 16)), u"ffffff01");
  EXPECT_EQ(WideView(_ultow(255, buffer, 2)), u"11111111");
  EXPECT_EQ(WideView(_ltow(0, buffer, 36)), u"0");
  EXPECT_EQ(WideView(_i64tow(INT64_MIN, buffer, 10)), u"-9223372036854775808");
}

}  // namespace
