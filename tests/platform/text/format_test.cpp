#include "platform/text/format.h"

#include <gtest/gtest.h>

#include <cstdarg>
#include <functional>

#include "platform/text/utf.h"

namespace {

using ce::text::Format;
using ce::text::FormatChecked;

struct Case {
  std::u16string expected;
  std::function<std::u16string()> run;
};

std::string Show(const std::u16string& s) { return ce::text::ToUtf8(s); }

TEST(Format, WideConversionsAsTheDevicePrintsThem) {
  const Case cases[] = {
      {u"wide|narrow|0XC0000005|-1234567890123",
       [] { return Format(u"%s|%hs|%#.8X|%I64d", u"wide", "narrow", 0xC0000005u, -1234567890123LL); }},
      {u"abc def", [] { return Format(u"%S %ls", "abc", u"def"); }},
      {u"\u00e9x\u00e9\u20ac", [] { return Format(u"%c%C%hc%hc", u'\u00e9', 'x', '\xe9', '\x80'); }},
      {u"05:07.042N", [] { return Format(u"%02d:%02d.%03d%c", 5, 7, 42, u'N'); }},
      {u"2024-03-09 07:05:00 100%\r\n",
       [] { return Format(u"%04d-%02d-%02d %02d:%02d:%02d %03d%%\r\n", 2024, 3, 9, 7, 5, 0, 100); }},
      {u"(null) (null)", [] { return Format(u"%s %hs", static_cast<const WCHAR*>(nullptr), static_cast<const char*>(nullptr)); }},
      {u"0X0000FF00", [] { return Format(u"%#.8X", 0xFF00); }},
      {u"0", [] { return Format(u"%#x", 0); }},
      {u"FFFFFFFF 4294967295 -1", [] { return Format(u"%X %u %d", -1, -1, 0xFFFFFFFFu); }},
      {u"4464 -1 12345678901", [] { return Format(u"%hd %ld %I64u", 70000, -1L, 12345678901ULL); }},
      // A 64-bit value read by a 32-bit conversion keeps its low 32 bits, as on the device.
      {u"1", [] { return Format(u"%d", 0x100000001LL); }},
      {u"100% y", [] { return Format(u"100%% %y"); }},
      // A missing argument prints nothing instead of reading memory.
      {u"a= b=", [] { return Format(u"a=%d b=%s"); }},
      {u"0000001A", [] { return Format(u"%p", reinterpret_cast<void*>(0x1A)); }},
      {u"ab", [] { return Format(u"%s", std::u16string(u"ab")); }},
  };
  for (const Case& c : cases) EXPECT_EQ(Show(c.run()), Show(c.expected));
}

TEST(Format, WidthPrecisionAndFlags) {
  struct Row {
    const char16_t* format;
    double real;  // used when the format is a floating one
    int value;
    const char16_t* expected;
  };
  const Row rows[] = {
      {u"[%5d]", 0, 42, u"[   42]"},       {u"[%-5d]", 0, 42, u"[42   ]"},
      {u"[%05d]", 0, -42, u"[-0042]"},     {u"[%+d]", 0, 5, u"[+5]"},
      {u"[% d]", 0, 5, u"[ 5]"},           {u"[%.3d]", 0, 7, u"[007]"},
      {u"[%08.3d]", 0, 7, u"[     007]"},  {u"[%.0d]", 0, 0, u"[]"},
      {u"[%#o]", 0, 8, u"[010]"},          {u"[%#x]", 0, 255, u"[0xff]"},
      {u"[%#010x]", 0, 255, u"[0x000000ff]"}, {u"[%-+6d]", 0, 3, u"[+3    ]"},
      {u"[%0X]", 0, 10, u"[A]"},           {u"[%c]", 0, 'A', u"[A]"},
      {u"[%3c]", 0, 'A', u"[  A]"},        {u"[%-3c]", 0, 'A', u"[A  ]"},
      {u"[%f]", 1.5, 0, u"[1.500000]"},    {u"[%.1f]", 3.14159, 0, u"[3.1]"},
      {u"[%.2lf]", -0.005, 0, u"[-0.01]"}, {u"[%05.1f]", 3.14159, 0, u"[003.1]"},
      {u"[%-8.2f]", 2.0, 0, u"[2.00    ]"}, {u"[%+.0f]", 2.5, 0, u"[+3]"},
      {u"[%.2f]", 0.125, 0, u"[0.13]"},    {u"[%.0f]", 0.4, 0, u"[0]"},
      {u"[%.1f]", 9.96, 0, u"[10.0]"},     {u"[%#.0f]", 3.0, 0, u"[3.]"},
      {u"[%e]", 12345.678, 0, u"[1.234568e+004]"}, {u"[%.2E]", 0.000123, 0, u"[1.23E-004]"},
      {u"[%g]", 0.0001, 0, u"[0.0001]"},   {u"[%g]", 0.00001, 0, u"[1e-005]"},
      {u"[%g]", 123456789.0, 0, u"[1.23457e+008]"}, {u"[%g]", 100.0, 0, u"[100]"},
      {u"[%.20f]", 0.1, 0, u"[0.10000000000000001000]"}, {u"[%010.3f]", -1.5, 0, u"[-00001.500]"},
  };
  for (const Row& r : rows) {
    std::u16string_view f(r.format);
    bool real = f.find_first_of(u"efgEG") != std::u16string_view::npos;
    std::u16string got = real ? Format(f, r.real) : Format(f, r.value);
    EXPECT_EQ(Show(got), Show(r.expected)) << Show(std::u16string(f));
  }
  EXPECT_EQ(Format(u"[%*d|%-*d]", 4, 7, 3, 1), u"[   7|1  ]");
  EXPECT_EQ(Format(u"[%*d]", -3, 7), u"[7  ]");
  EXPECT_EQ(Format(u"[%.*s|%6s|%-6s|%06hs]", 2, u"abcdef", u"ab", u"ab", "12"), u"[ab|    ab|ab    |000012]");
  // A precision bounds the read of a text that has no terminator.
  const char field[4] = {'A', 'B', 'C', 'D'};
  EXPECT_EQ(Format(u"%.4hs", static_cast<const char*>(field)), u"ABCD");
  // So does an array argument.
  EXPECT_EQ(Format(u"[%hs]", field), u"[ABCD]");
  const WCHAR wide[3] = {u'x', u'y', u'z'};
  EXPECT_EQ(Format(u"[%5s]", wide), u"[  xyz]");
}

TEST(Format, EightBitFormatsHaveTheirOwnWidths) {
  EXPECT_EQ(Format("%s|%S|%ls|%hs|%c|%C", "a\xe9", u"\u20ac\u0100", u"w", "n", 'x', u'\u00fc'),
            "a\xe9|\x80?|w|n|x|\xfc");
  EXPECT_EQ(Format("%I64d %lld %ld", -5LL, 6LL, 7L), "-5 6 7");
}

TEST(FormatChecked, MismatchedTranslationStaysUnformatted) {
  struct Row {
    const char16_t* format;
    std::function<std::u16string(std::u16string_view)> run;
  };
  const Row bad[] = {
      {u"Place %s at %d", [](auto f) { return FormatChecked(f, u"Home"); }},         // too few
      {u"Error %s", [](auto f) { return FormatChecked(f, 5); }},                     // %s given an int
      {u"Code %d", [](auto f) { return FormatChecked(f, u"x"); }},                   // %d given a text
      {u"Name %s", [](auto f) { return FormatChecked(f, "narrow"); }},              // wide wanted
      {u"Speed %f", [](auto f) { return FormatChecked(f, 3); }},                     // int for %f
      {u"Value %d", [](auto f) { return FormatChecked(f, 0x123456789LL); }},         // value lost in 32 bits
      {u"Width %*d", [](auto f) { return FormatChecked(f, u"a", 3); }},
      {u"Unknown %y", [](auto f) { return FormatChecked(f, 1); }},
      {u"50% off", [](auto f) { return FormatChecked(f); }},                         // "% o" wants a number
      {u"Ends in %", [](auto f) { return FormatChecked(f); }},
      {u"%n", [](auto f) { return FormatChecked(f, static_cast<int*>(nullptr)); }},
  };
  for (const Row& r : bad) EXPECT_EQ(Show(r.run(r.format)), Show(r.format));

  EXPECT_EQ(FormatChecked(u"%s: %d (%hs) %.1f %%", u"Home", 3, "x", 1.25), u"Home: 3 (x) 1.3 %");
  EXPECT_EQ(FormatChecked(u"no value"), u"no value");
  EXPECT_EQ(FormatChecked(u"only %d", 1, 2), u"only 1");  // extra arguments are harmless
  EXPECT_EQ(FormatChecked(u"%c%d", 'A', 4294967295ULL), u"A-1");
  EXPECT_EQ(FormatChecked("%s %S", "a", u"b"), "a b");
  EXPECT_EQ(FormatChecked("%s", u"b"), "%s");
}

int Forward(WCHAR* buffer, std::size_t count, const WCHAR* format, ...) {
  va_list args;
  va_start(args, format);
  int n = _vsnwprintf(buffer, count, format, args);
  va_end(args);
  return n;
}

std::string Forward8(const char* format, ...) {
  char buffer[64];
  va_list args;
  va_start(args, format);
  _vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  return buffer;
}

TEST(Format, VaListFormsTakeTypesFromTheFormat) {
  WCHAR buffer[64];
  EXPECT_EQ(Forward(buffer, 64, u"%s/%hs/%I64d/%c/%.2f/%*d", u"w", "n", 1LL << 40, u'z', 2.5, 3, 1), 28);
  EXPECT_EQ(ce::text::WideView(buffer), u"w/n/1099511627776/z/2.50/  1");
  EXPECT_EQ(Forward8("%S %s %u %p", u"w", "n", 7u, reinterpret_cast<void*>(0xABC)), "w n 7 00000ABC");
}

TEST(Format, BuffersAreNeverOverrun) {
  WCHAR small[6];
  EXPECT_EQ(swprintf(small, u"%s", u"0123456789"), -1);
  EXPECT_EQ(ce::text::WideView(small), u"01234");
  EXPECT_EQ(swprintf(small, u"%d", 42), 2);
  EXPECT_EQ(ce::text::WideView(small), u"42");

  // A text reformatted into its own buffer, each time the text so far plus one more item.
  WCHAR report[64] = u"Se ha";
  swprintf(report, u"%s.Codigo:%#.8X", report, 0xC0000005u);
  swprintf(report, u"%s.Thread:%#.8X", report, 0x1Au);
  EXPECT_EQ(ce::text::WideView(report), u"Se ha.Codigo:0XC0000005.Thread:0X0000001A");

  WCHAR big[32];
  WCHAR* p = big;
  EXPECT_EQ(swprintf(p, u"%d-%s", 7, u"x"), 3);
  EXPECT_EQ(swprintf(big, 4, u"%s", u"abcdef"), -1);
  EXPECT_EQ(ce::text::WideView(big), u"abc");
  EXPECT_EQ(_snwprintf(big, 4, u"%s", u"abcd"), -1);  // no room for the terminator: cut, terminated
  EXPECT_EQ(ce::text::WideView(big), u"abc");
  EXPECT_EQ(_snwprintf(big, 4, u"%s", u"ab"), 2);

  char narrow[4];
  EXPECT_EQ(sprintf(narrow, "%s", "abcdef"), -1);
  EXPECT_STREQ(narrow, "abc");
  EXPECT_EQ(_snprintf(narrow, 4, "%d", 12), 2);
  EXPECT_STREQ(narrow, "12");

  std::u16string longText(2000, u'x');
  static WCHAR window[2048];
  EXPECT_EQ(wsprintfW(window, u"%s", longText.c_str()), 1023);
  EXPECT_EQ(ce::text::WideLength(window), 1023u);
  EXPECT_EQ(wsprintf(window, u"%d", 5), 1);
}

}  // namespace
