#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "cumulor/app/app_context.h"
#include "cumulor/data/points/point_db.h"
#include "cumulor/nav/igc/igc_text.h"
#include "platform/files/files.h"
#include "platform/kernel/kernel.h"
#include "platform/testing/device_test.h"

using namespace cumulor;

namespace {

std::u16string W(const WCHAR* text) { return std::u16string(text); }

TEST(IgcText, CoordinateTexts) {
  EXPECT_STREQ(FormatIgcLatLon(GeoPoint{414600, 1732222}), "4807036N01131000E");
  EXPECT_STREQ(FormatIgcLatLon(GeoPoint{-6479999, -3240000}), "9000000S17959998W");
  EXPECT_STREQ(FormatIgcLatLon(GeoPoint{999999999, 999999999}), "9000000N18000000E");  // held at the limits
  WCHAR b[16];
  FormatLatLonText(b, 1732222, true, 0);
  EXPECT_EQ(W(b), u"48:07.036N");
  FormatLatLonText(b, -414600, false, 1);
  EXPECT_EQ(W(b), u"01131.0000W");
  FormatLatLonText(b, -1732222, true, 1);
  EXPECT_EQ(W(b), u"4807.0360S");
}

TEST(IgcText, GpsDateAndTime) {
  auto app = std::make_unique<AppContext>();
  GpsPort& gps = app->gps;
  SYSTEMTIME t{};
  std::strcpy(gps.dateText, "051026");
  std::strcpy(gps.utcText, "101502");
  ASSERT_EQ(NmeaDateTimeToSystemTime(gps, t), S_OK);
  EXPECT_EQ(t.wYear, 2026);
  EXPECT_EQ(t.wMonth, 10);
  EXPECT_EQ(t.wDay, 5);
  EXPECT_EQ(t.wHour, 10);
  EXPECT_EQ(t.wSecond, 2);
  EXPECT_EQ(t.wDayOfWeek, 65535);
  std::strcpy(gps.utcText, "000000");
  EXPECT_EQ(NmeaDateTimeToSystemTime(gps, t), E_FAIL);
  std::strcpy(gps.utcText, "12");
  EXPECT_EQ(NmeaDateTimeToSystemTime(gps, t), E_FAIL);
  std::strcpy(gps.utcText, "101502");
  std::strcpy(gps.dateText, "321026");
  EXPECT_EQ(NmeaDateTimeToSystemTime(gps, t), E_FAIL);
}

TEST(IgcText, WaypointLettersAndOptions) {
  WCHAR letters[16];
  WaypointFlagLetters(0x1000 | 0x100 | 0x40 | 0x01, letters);
  EXPECT_EQ(W(letters), u"HTWI");
  std::uint32_t flags = 0;
  ParseWaypointFlagLetters(u"x W,H?I T", flags);
  EXPECT_EQ(flags, 0x1000u | 0x100u | 0x40u | 0x01u);

  struct Case {
    const WCHAR* text;
    std::int32_t length, used, value;
  };
  const Case cases[] = {
      {u"1234,rest", 20, 4, 1234}, {u"-12.5", 20, 5, -12}, {u"12.34", 20, 5, 1234}, {u"123456", 3, 3, 123}, {u"", 5, 0, 0},
  };
  for (const Case& c : cases) {
    std::int32_t used = -1, value = -1;
    EXPECT_EQ(ParseDecimalField(c.text, c.length, used, value), c.used);
    EXPECT_EQ(used, c.used);
    EXPECT_EQ(value, c.value);
  }

  auto app = std::make_unique<AppContext>();
  WaypointRecord w;
  EXPECT_EQ(ParseWaypointOption(app->gps, u"   ", w), E_FAIL);
  EXPECT_EQ(ParseWaypointOption(app->gps, u" V-12", w), S_OK);
  EXPECT_EQ(app->gps.manualVariation, -12);
  EXPECT_EQ(ParseWaypointOption(app->gps, u"V46 Z1999", w), S_OK);
  EXPECT_EQ(app->gps.manualVariation, -12);
  EXPECT_EQ(w.zoomLimit, 1999);
  EXPECT_EQ(ParseWaypointOption(app->gps, u"z70000", w), S_OK);
  EXPECT_EQ(w.zoomLimit, 1999);
}

class ReadTextLineTest : public ce::testing::DeviceTest {};

TEST_F(ReadTextLineTest, LinesBuffersAndEnd) {
  std::filesystem::create_directories(device_folder() / "root");
  std::ofstream(device_folder() / "root" / "t.txt", std::ios::binary) << "ab\r\ncdefgh\nxy";
  HANDLE f = CreateFileW(u"\\t.txt", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(f, INVALID_HANDLE_VALUE);
  WCHAR buffer[8];
  std::int32_t count = 0;
  ASSERT_EQ(ReadTextLine(f, buffer, sizeof buffer, count), S_OK);
  EXPECT_EQ(W(buffer), u"ab\r\n");
  EXPECT_EQ(count, 5);
  EXPECT_EQ(ReadTextLine(f, buffer, 8, count), E_FAIL);  // "cdefgh\n" needs more than 4 characters
  ASSERT_EQ(ReadTextLine(f, buffer, sizeof buffer, count), S_OK);
  EXPECT_EQ(W(buffer), u"gh\n");
  ASSERT_EQ(ReadTextLine(f, buffer, sizeof buffer, count), S_OK);
  EXPECT_EQ(W(buffer), u"xy");
  EXPECT_EQ(ReadTextLine(f, buffer, sizeof buffer, count), E_FAIL);
  EXPECT_EQ(ReadTextLine(f, buffer, 1, count), E_FAIL);
  CloseHandle(f);
}

// The read-ahead form gives the byte reader's lines, counts and results, also for lines that run
// across its blocks, lines too long for the buffer and a last line without a line feed.
TEST_F(ReadTextLineTest, ReadAheadGivesTheSameLinesAsTheByteReader) {
  std::filesystem::create_directories(device_folder() / "root");
  std::string text;
  for (int i = 0; i < 700; ++i) text += std::string(static_cast<std::size_t>(i * 7 % 61), static_cast<char>('a' + i % 26)) + (i % 5 ? "\r\n" : "\n");
  text += std::string(300, 'z') + "\n" + "end";
  std::ofstream(device_folder() / "root" / "long.txt", std::ios::binary) << text;
  HANDLE a = CreateFileW(u"\\long.txt", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  HANDLE b = CreateFileW(u"\\long.txt", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(a, INVALID_HANDLE_VALUE);
  ASSERT_NE(b, INVALID_HANDLE_VALUE);
  auto ahead = std::make_unique<LineReadAhead>();
  int lines = 0;
  for (int failures = 0; failures < 4;) {
    WCHAR x[128] = {}, y[128] = {};
    std::int32_t cx = 0, cy = 0;
    const HRESULT rx = ReadTextLine(a, x, sizeof x, cx);
    const HRESULT ry = ReadTextLine(b, *ahead, y, sizeof y, cy);
    ASSERT_EQ(rx, ry) << lines;
    ASSERT_EQ(cx, cy) << lines;
    if (rx != S_OK) {
      ++failures;  // the long line fails twice (127 characters each), then the end of the file
      continue;
    }
    ASSERT_EQ(W(x), W(y)) << lines;
    ++lines;
  }
  EXPECT_EQ(lines, 702);  // and the long line's last 46 characters, and "end"
  CloseHandle(a);
  CloseHandle(b);
}

}  // namespace
