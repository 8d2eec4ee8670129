#include <gtest/gtest.h>

#include <cfloat>
#include <clocale>
#include <string>

#include "cumulor/app/base/number_text.h"

namespace cumulor {
namespace {

std::string Narrow(const WCHAR* w) {
  std::string s;
  while (*w) s += static_cast<char>(*w++);
  return s;
}

TEST(NumberText, IntAndDoubleTexts) {
  EXPECT_STREQ(IntToString(-2147483647 - 1).CStr(), "-2147483648");
  EXPECT_EQ(IntToString(5).Size(), 2);
  struct Case {
    double value;
    const char* text;
  } cases[] = {
      {50.0, "50"},          {-10.0, "-10"},           {0.0, "0"},
      {47.123456789, "47.12345679"}, {1.0 / 3, "0.3333333333"}, {1e-5, "1e-05"},
      {12345678901.0, "1.23456789e+10"},
  };
  for (const Case& c : cases) EXPECT_STREQ(DoubleToString(c.value).CStr(), c.text) << c.value;

  // The extremes read back as themselves: 10 digits of the largest double lie just above it.
  for (double v : {DBL_MAX, -DBL_MAX, DBL_TRUE_MIN, 0.0}) {
    EXPECT_EQ(TextToDouble(DoubleToString(v).CStr()), v) << DoubleToString(v).CStr();
  }
  EXPECT_EQ(TextToDouble("1e999"), DBL_MAX);
  EXPECT_EQ(TextToDouble("-1e999"), -DBL_MAX);
  EXPECT_EQ(TextToDouble("1e-999"), 0.0);
}

TEST(NumberText, TextToNumberLikeTheStandardConversions) {
  struct IntCase {
    const char* text;
    std::int32_t value;
  } ints[] = {{"  42abc", 42}, {"-17", -17}, {"+8", 8}, {"x1", 0}, {"", 0}, {"99999999999", 2147483647},
              {"-99999999999", -2147483647 - 1}};
  for (const IntCase& c : ints) EXPECT_EQ(TextToInt(c.text), c.value) << c.text;
  struct DoubleCase {
    const char* text;
    double value;
  } doubles[] = {{" 50.5", 50.5}, {"-10", -10.0}, {"1e3x", 1000.0}, {"abc", 0.0}, {"--1", 0.0}};
  for (const DoubleCase& c : doubles) EXPECT_DOUBLE_EQ(TextToDouble(c.text), c.value) << c.text;
  // Independent of the process locale (a decimal comma locale must not change the reading).
  if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8")) {
    EXPECT_DOUBLE_EQ(TextToDouble("2.5"), 2.5);
    EXPECT_STREQ(DoubleToString(2.5).CStr(), "2.5");
    std::setlocale(LC_NUMERIC, "C");
  }
}

TEST(NumberText, ByteBlockTextRoundTripsAndRefusesBadBlocks) {
  DynString text;
  const BYTE two[] = {7, 200};
  BytesToText(two, 2, text);
  EXPECT_STREQ(text.CStr(), "2,7,200");
  BytesToText(nullptr, 0, text);
  EXPECT_STREQ(text.CStr(), "0");

  struct Case {
    std::int32_t count;
    const char* text;
    bool result;
    BYTE stored[3];
  } cases[] = {
      {2, "2,7,200", true, {7, 200, 9}},
      {0, "0", true, {9, 9, 9}},
      {3, "3,1,2", false, {1, 2, 9}},        // one field short: false, what was read stays
      {3, "2,1,2", false, {9, 9, 9}},        // the count differs: nothing changes
      {2, "2,1,256", false, {1, 9, 9}},      // a field above 255 stops the parse
      {2, "2,4,5\r,6", true, {4, 5, 9}},     // a CR ends the text
      {-1, "-1", false, {9, 9, 9}},          // a negative count is refused even when it matches
  };
  for (const Case& c : cases) {
    BYTE bytes[3] = {9, 9, 9};
    EXPECT_EQ(TextToBytes(bytes, c.count, c.text), c.result) << c.text;
    for (int i = 0; i < 3; ++i) EXPECT_EQ(bytes[i], c.stored[i]) << c.text << " byte " << i;
  }
  // Only the first 2047 characters are looked at.
  std::string longText = "1," + std::string(2100, '0') + "5";
  BYTE one = 9;
  EXPECT_TRUE(TextToBytes(&one, 1, longText.c_str()));
  EXPECT_EQ(one, 0);
}

TEST(NumberText, AltitudeAndDistanceInTheCurrentUnits) {
  NumberFormatUnits& units = FormatUnits();
  units.altitude = kUnitMetres;
  EXPECT_EQ(Narrow(FormatAltitude(1234)), "1234m");
  units.altitude = kUnitFeet;
  EXPECT_EQ(Narrow(FormatAltitude(1000)), "3280ft");
  EXPECT_EQ(Narrow(FormatAltitude(-100)), "-328ft");
  units.altitude = kUnitMetres;

  struct Case {
    std::int32_t unit;
    double metres;
    std::int32_t precision;
    const char* text;
  } cases[] = {
      {kUnitKilometres, 9999, kPrecisionAuto, "10.0"},  // 9 whole units: one decimal
      {kUnitKilometres, 10000, kPrecisionAuto, "10"},
      {kUnitKilometres, 1234, kPrecisionOneDecimal, "1.2"},
      {kUnitKilometres, 1234, kPrecisionTwoDecimals, "1.23"},
      {kUnitNauticalMiles, 1852 * 3, kPrecisionAuto, "3.0"},
      {kUnitStatuteMiles, 160900, kPrecisionAuto, "100"},
  };
  for (const Case& c : cases) {
    units.distance = c.unit;
    EXPECT_EQ(Narrow(FormatDistance(c.metres, c.precision)), c.text) << c.metres;
    EXPECT_EQ(Narrow(FormatDistanceInUnit(c.metres, c.precision, c.unit)), c.text) << c.metres;
  }
  units.distance = kUnitKilometres;
  // An unknown precision leaves the buffer as it was.
  FormatDistance(5000, kPrecisionAuto);
  EXPECT_EQ(Narrow(FormatDistance(7000, 3)), "5.0");
  // Huge values stay within the buffer.
  EXPECT_LT(Narrow(FormatDistance(1e300, kPrecisionAuto)).size(), 64u);
}

}  // namespace
}  // namespace cumulor
