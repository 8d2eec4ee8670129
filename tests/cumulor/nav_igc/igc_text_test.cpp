#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

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

// The read-ahead form gives the file's lines with their line ends (LF, CR LF or a CR alone),
// also for lines that run across its blocks; a line too long for the buffer is cut and the rest of
// it passed over; a last line without a line end is read.
TEST_F(ReadTextLineTest, ReadAheadGivesEveryLineCutToTheBuffer) {
  std::filesystem::create_directories(device_folder() / "root");
  std::string text;
  std::vector<std::u16string> expected;
  const char* ends[] = {"\r\n", "\n", "\r"};
  for (int i = 0; i < 700; ++i) {
    const std::string line = std::string(static_cast<std::size_t>(i * 7 % 61), static_cast<char>('a' + i % 26));
    const std::string end = ends[i % 3];
    text += line + end;
    const std::string whole = line + end;
    expected.emplace_back(whole.begin(), whole.end());
  }
  text += std::string(300, 'z') + "\r" + "end";
  expected.push_back(std::u16string(127, u'z'));
  expected.push_back(u"end");
  std::ofstream(device_folder() / "root" / "long.txt", std::ios::binary) << text;
  HANDLE b = CreateFileW(u"\\long.txt", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(b, INVALID_HANDLE_VALUE);
  auto ahead = std::make_unique<LineReadAhead>();
  for (std::size_t i = 0; i < expected.size(); ++i) {
    WCHAR y[128] = {};
    std::int32_t cy = 0;
    ASSERT_EQ(ReadTextLine(b, *ahead, y, sizeof y, cy), S_OK) << i;
    ASSERT_EQ(W(y), expected[i]) << i;
    ASSERT_EQ(cy, static_cast<std::int32_t>(expected[i].size()) + 1) << i;
  }
  WCHAR y[128] = {};
  std::int32_t cy = 0;
  EXPECT_EQ(ReadTextLine(b, *ahead, y, sizeof y, cy), E_FAIL);
  CloseHandle(b);
}

}  // namespace
