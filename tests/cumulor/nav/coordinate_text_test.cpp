#include "cumulor/nav/geo/coordinate_text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

namespace cumulor {
namespace {

// The text in a heap block of exactly its length plus the NUL, so that AddressSanitizer reports any
// read beyond the text.
std::unique_ptr<char[]> Exact(const char* text) {
  const std::size_t n = std::strlen(text) + 1;
  auto block = std::make_unique<char[]>(n);
  std::memcpy(block.get(), text, n);
  return block;
}

std::unique_ptr<WCHAR[]> ExactWide(const char* text) {
  const std::size_t n = std::strlen(text) + 1;
  auto block = std::make_unique<WCHAR[]>(n);
  for (std::size_t i = 0; i < n; ++i) block[i] = static_cast<unsigned char>(text[i]);
  return block;
}

TEST(ParseLatLonText, FixedColumns) {
  struct Case {
    const char* text;
    bool latitude;
    int ok;
    std::int32_t value;
  };
  const Case cases[] = {
      {"5130.500N", true, 1, (51 * 60 + 30) * 600 + 500 * 36 / 60},
      {"5130.500S", true, 1, -((51 * 60 + 30) * 600 + 300)},
      {"9000.000N", true, 1, 3240000},
      {"9000.002N", true, 0, 0},  // beyond the pole
      {"01320.999E", false, 1, (13 * 60 + 20) * 600 + 999 * 36 / 60},
      {"01320.999W", false, 1, -((13 * 60 + 20) * 600 + 599)},
      {"18000.000E", false, 1, 6480000},
      {"18000.100E", false, 0, 0},
      {"5130.500X", true, 1, (51 * 60 + 30) * 600 + 300},  // any other letter keeps the sign
      {"5130.500", true, 0, 0},                            // ends before the letter
      {"5130", true, 0, 0},
      {"", true, 0, 0},
      {"51x0.500N", true, 0, 0},   // not a digit
      {"5130,500N", true, 0, 0},   // no point
      {"01320.999", false, 0, 0},  // longitude without its letter
  };
  for (const Case& c : cases) {
    auto text = Exact(c.text);
    std::int32_t out = 12345;
    const int ok = c.latitude ? ParseLatText(text.get(), out) : ParseLonText(text.get(), out);
    EXPECT_EQ(ok, c.ok) << c.text;
    if (ok) {
      EXPECT_EQ(out, c.value) << c.text;
    }
  }
}

TEST(ParseDegMinSec, SecondsAndDecimalMinutes) {
  struct Case {
    const char* text;
    int ok;
    std::int32_t value;
    int next;
  };
  const Case cases[] = {
      {"52:30:00 N", 1, 1890000, 10},
      {"013:20.5E", 1, 480300, 9},
      {"013:20.50E", 1, 13 * 36000 + 20 * 600 + 50 * 6, 10},
      {"013:20.500W 52:30:00 N", 1, -(13 * 36000 + 20 * 600 + 300), 11},
      {"52:30:59 S", 1, -(52 * 36000 + 30 * 600 + 590), 10},
      {"179:59:59 E", 1, 179 * 36000 + 59 * 600 + 590, 11},
      // Decimal seconds are seconds, kept to the tenth; the letter in either case, with or
      // without a blank before it.
      {"52:30:05.5N", 1, 52 * 36000 + 30 * 600 + 55, 11},
      {"52:30:05.59 n", 1, 52 * 36000 + 30 * 600 + 55, 13},
      {"52:30:59.9 s", 1, -(52 * 36000 + 30 * 600 + 599), 12},
      {"013:20.5e", 1, 480300, 9},
      {"013:20:00 w", 1, -(13 * 36000 + 20 * 600), 11},
      {"52:30:05.5.5N", 0, 0, 0},  // two decimal points
      {"180:00:00 E", 0, 0, 0},  // degrees above 179
      {"52:60:00 N", 0, 0, 0},   // minutes above 59
      {"52:30:60 N", 0, 0, 0},   // seconds above 59
      {"52:30.5000N", 0, 0, 0},  // four decimal digits
      {"52:30:00 \r", 0, 0, 0},  // carriage return before the letter
      {"52:30:00 ", 0, 0, 0},    // text ends before the letter
      {"52:30", 0, 0, 0},
      {"52", 0, 0, 0},
      {"", 0, 0, 0},
      {"99999999999999:1:1N", 0, 0, 0},
  };
  for (const Case& c : cases) {
    auto text = Exact(c.text);
    int next = -1;
    std::int32_t out = 0;
    EXPECT_EQ(ParseDegMinSec(text.get(), static_cast<int>(std::strlen(c.text)), next, out), c.ok) << c.text;
    EXPECT_EQ(next, c.next) << c.text;
    if (c.ok) {
      EXPECT_EQ(out, c.value) << c.text;
    }
  }
  // The length bounds the scan even when the text goes on.
  int next = -1;
  std::int32_t out = 0;
  EXPECT_EQ(ParseDegMinSec("52:30:00 N", 9, next, out), 0);
  EXPECT_EQ(ParseDegMinSec("52:30:00 N", 10, next, out), 1);
}

TEST(ParseDegMinWide, LetterDegreesMinutes) {
  struct Case {
    const char* text;
    bool longitude;
    int ok;
    std::int32_t value;
  };
  const Case cases[] = {
      {"E013:20.5", true, 1, 13 * 36000 + 20 * 600 + 300},
      {"W013:20.5", true, 1, -(13 * 36000 + 12300)},
      {"N52:30.25", false, 1, 52 * 36000 + 18150},
      {"S52:30.25", false, 1, -(52 * 36000 + 18150)},
      {"E013", true, 0, 0},
      {"E013:", true, 0, 0},
      {"E:20.5", true, 0, 0},
      {"N95:00.0", false, 0, 0},
      // Nothing past the pole or the 180th meridian, up to exactly there.
      {"N90:00.0", false, 1, 90 * 36000},
      {"N90:00.5", false, 0, 0},
      {"S90:30.0", false, 0, 0},
      {"W180:00.0", true, 1, -180 * 36000},
      {"E180:00.1", true, 0, 0},
      {"E180:59.0", true, 0, 0},
      {"E013:75.0", true, 0, 0},
      {"", true, 0, 0},
  };
  for (const Case& c : cases) {
    auto text = ExactWide(c.text);
    std::int32_t out = 0;
    const int ok = c.longitude ? ParseLonDegMin(text.get(), out) : ParseLatDegMin(text.get(), out);
    EXPECT_EQ(ok, c.ok) << c.text;
    if (ok) {
      EXPECT_EQ(out, c.value) << c.text;
    }
  }
}

TEST(ParseAltitude, FeetOrMetres) {
  struct Case {
    const char* text;
    int ok;
    std::int32_t feet;
  };
  const Case cases[] = {
      {"1650ft", 1, 1650}, {"504.0m", 1, 1654}, {"504.0M", 1, 1654}, {"1650.9F", 1, 1650},
      {"-20m", 1, -65},    {"0", 1, 0},         {"m", 0, 0},         {"", 0, 0},
  };
  for (const Case& c : cases) {
    auto text = ExactWide(c.text);
    std::int32_t out = 777;
    EXPECT_EQ(ParseAltitude(text.get(), out), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(out, c.feet) << c.text;
    }
  }
}

TEST(ParseIgcLatLon, BRecordPosition) {
  GeoPoint p{1, 1};
  auto text = ExactWide("5206343N00006198WA0058700558");
  EXPECT_EQ(ParseIgcLatLon(text.get(), p), 0);
  EXPECT_EQ(p.lat, (52 * 60 + 6) * 600 + 343 * 6 / 10);
  EXPECT_EQ(p.lon, -((0 * 60 + 6) * 600 + 198 * 6 / 10));
  auto south = ExactWide("3357123S15112345E");
  ParseIgcLatLon(south.get(), p);
  EXPECT_EQ(p.lat, -((33 * 60 + 57) * 600 + 123 * 6 / 10));
  EXPECT_EQ(p.lon, (151 * 60 + 12) * 600 + 345 * 6 / 10);
  auto edge = ExactWide("9000000S18000000W");
  ParseIgcLatLon(edge.get(), p);
  EXPECT_EQ(p, (GeoPoint{-180 * 36000, -90 * 36000}));
  // A short or damaged record, or one past the pole or the 180th meridian, gives no position.
  for (const char* bad : {"5206343N000", "", "ABCDEFGHIJKLMNOPQ", "9100000N00600000E", "9000010N00600000E",
                          "5206343N18000010E", "5206343N99959999W",
                          "52 6343N00006198W", "5206 43N00006198W", "5206343X00006198W", "5206343N00006198Q",
                          "5260343N00006198W", "5206343N000 6198W"}) {
    auto t = ExactWide(bad);
    p = GeoPoint{5, 5};
    ParseIgcLatLon(t.get(), p);
    EXPECT_EQ(p, GeoPoint{}) << bad;
  }
}

TEST(StripFileName, CutsAtLastBackslash) {
  std::u16string path = u"\\Program Files\\Cumulor\\Cumulor.exe";
  EXPECT_EQ(StripFileName(path.data()), 22);
  EXPECT_EQ(std::u16string(path.c_str()), u"\\Program Files\\Cumulor");
  std::u16string bare = u"Cumulor.exe";
  EXPECT_EQ(StripFileName(bare.data()), -1);
  EXPECT_EQ(bare, u"Cumulor.exe");
  std::u16string empty;
  EXPECT_EQ(StripFileName(empty.data()), -1);
  EXPECT_EQ(StripFileName(nullptr), -1);
}

}  // namespace
}  // namespace cumulor
