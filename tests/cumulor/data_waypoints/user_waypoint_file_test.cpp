#include <gtest/gtest.h>

#include "cumulor/data/waypoints/user_waypoint_reader.h"
#include "cumulor/nav/geo/coordinate_text.h"
#include "cumulor/nav/gps/gps_port.h"
#include "waypoint_fixture.h"

namespace cumulor {
namespace {

class UserWaypointFile : public WaypointTest {
 protected:
  void Select(const char16_t* name) {
    SelectedDataFiles()[kFilesUserWaypoints].selected.SetSize(0);
    SetDataFileName(kFilesUserWaypoints, name);
  }
  GpsPort gps;
};

TEST_F(UserWaypointFile, LinesParseOrAreRefused) {
  struct Case {
    const char* line;
    HRESULT result;
    std::int32_t lat, lon;
    std::int16_t feet;
    std::uint32_t flags;
    const char* name;
    const char* comment;
    std::uint16_t zoom;
  } cases[] = {
      {"ABCDEFG,48:07.123N,011:38.456E,500,TI,Alpha  ,a comment", S_OK, 48 * 36000 + 7 * 600 + 73, 11 * 36000 + 38 * 600 + 273,
       1640, 0x1001, "Alpha", "a comment", 10000},
      {"X,48:07:30S,11:38:00W,500F,AL,Beta,note *Z1500", S_OK, -(48 * 36000 + 7 * 600 + 300), -(11 * 36000 + 38 * 600), 500, 0xA,
       "Beta", "note", 1500},
      {"X,90:00:00N,180:00:00E,26246F,H,Pole,", E_FAIL, 0, 0, 0, 0, "", "", 0},  // 180 degrees is beyond the reader
      {"X,90:00:00N,179:59:59E,26246F,H,Pole,", S_OK, 3240000, 179 * 36000 + 59 * 600 + 590, 26246, 0x40, "Pole", "", 10000},
      {"X,90:00:01N,011:00.000E,0F,T,Over,", E_FAIL, 0, 0, 0, 0, "", "", 0},
      {"X,48:00.000N,011:00.000E,26247F,T,High,", E_FAIL, 0, 0, 0, 0, "", "", 0},
      {"X,48:00.000N,011:00.000E,9988,T,Wraps,", E_FAIL, 0, 0, 0, 0, "", "", 0},   // 32768 ft
      {"X,48:00.000N,011:00.000E,9987,T,Fits,", S_OK, 48 * 36000, 11 * 36000, 32765, 1, "Fits", "", 10000},
      {"X,48:00.000N,011:00.000E,,T,NoElevation,", E_FAIL, 0, 0, 0, 0, "", "", 0},
      {"X,48:00.000N,011:00.000E", E_FAIL, 0, 0, 0, 0, "", "", 0},
      {"X,4800.000N,011:00.000E,1F,T,NoColon,", E_FAIL, 0, 0, 0, 0, "", "", 0},
      {"X,48:00.000N,011:00.000E,-30F,W,Low,a comment longer than thirty-one characters", S_OK, 48 * 36000, 11 * 36000, -30,
       0x100, "Low", "a comment longer than thirty-on", 10000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    WaypointRecord record;
    char name[64];
    ASSERT_EQ(ParseUserWaypointLine(gps, record, name, c.line), c.result);
    if (c.result != S_OK) continue;
    EXPECT_EQ(record.position.lat, c.lat);
    EXPECT_EQ(record.position.lon, c.lon);
    EXPECT_EQ(record.elevation, c.feet);
    EXPECT_EQ(record.flags, c.flags);
    EXPECT_STREQ(name, c.name);
    EXPECT_STREQ(record.comment, c.comment);
    EXPECT_EQ(record.zoomLimit, c.zoom);
  }
  WaypointRecord record;
  char name[64];
  ASSERT_EQ(ParseUserWaypointLine(gps, record, name, "ABCDEFG,48:07.123N,011:38.456E,500,TI,Alpha,"), S_OK);
  EXPECT_STREQ(record.code, "ABCDE");
}

TEST_F(UserWaypointFile, SavedStoreReadsBackTheSameAndLinesFollowTheFormat) {
  // Positions on whole tenths of a second that the thousandths of a minute keep.
  struct Point {
    const char* name;
    std::int32_t lat, lon;
    std::int16_t feet;
    std::uint32_t flags;
    std::uint16_t zoom;
  } points[] = {{"Alpha", 1732800, 419400, 1640, 0x1003, 10000},
                {"Beta", -1222023, -6479997, -20, 0, 1999},
                {"Home base", 300, 3, 26246, 0x40 | 0x1000, 2000},
                {"Mark 1", 0, 0, 0, 0x4, 0}};
  for (const Point& p : points) {
    WaypointRecord w;
    w.position = {p.lon, p.lat};
    w.elevation = p.feet;
    w.flags = p.flags;
    w.zoomLimit = p.zoom;
    std::snprintf(w.code, sizeof w.code, "%.5s", p.name);
    std::snprintf(w.comment, sizeof w.comment, "c %s", p.name);
    AddOrReplaceUserWaypoint(w, p.name);
  }
  EXPECT_EQ(FormatUserWaypointLine(1), "Alpha,48:08.000N,11:39.000E,1640F,ATI,Alpha,c Alpha\r\n");
  EXPECT_EQ(FormatUserWaypointLine(2), "Beta,33:56.705S,179:59.995W,-20F,W,Beta,c Beta *Z1999\r\n");
  EXPECT_EQ(FormatUserWaypointLine(3), "Home ,00:00.500N,00:00.005E,26246F,HI,Home base,c Home base\r\n");

  ASSERT_EQ(SaveUserWaypoints(), 1);
  EXPECT_EQ(std::u16string(GetDataFileEntry(kFilesUserWaypoints)), u"MyCumulor.dat");
  const std::vector<WaypointRecord> saved(UserWaypoints().records.Data() + 1, UserWaypoints().records.Data() + 5);
  TaskPoint home;
  home.kind = 1;
  home.index = 7;
  EXPECT_EQ(LoadUserWaypoints(gps, &home), 0);
  ASSERT_EQ(Count(), 4) << (Rec().status.empty() ? "" : ce::text::ToUtf8(Rec().status[0] + Rec().status[1]));
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(NameAt(i + 1), points[i].name);
    const WaypointRecord& a = At(i + 1);
    const WaypointRecord& b = saved[i];
    EXPECT_EQ(a.position.lat, b.position.lat);
    EXPECT_EQ(a.position.lon, b.position.lon);
    EXPECT_STREQ(a.code, b.code);
    EXPECT_STREQ(a.comment, b.comment);
    EXPECT_EQ(a.flags, b.flags == 0 ? 0x100u : b.flags);  // no letter is written as "W"
    EXPECT_EQ(a.elevation, b.elevation);
    // Zoom values from 2000 on are not written: the reader's 10000 comes back.
    EXPECT_EQ(a.zoomLimit, b.zoomLimit >= 2000 ? 10000 : b.zoomLimit);
  }
  EXPECT_EQ(home.kind, kPointUserWaypoint);
  EXPECT_EQ(home.index, 3);
  EXPECT_EQ(Rec().maxLockDepth, 1);

  // A failed write leaves the old file as it was.
  const std::string before = ReadFile("Data/MyCumulor.dat");
  AddOrReplaceUserWaypoint(WaypointRecord{}, "New");
  ce::files::FileSystemSeam::Get().FailCall(ce::files::FileCall::kWrite, ERROR_DISK_FULL);
  EXPECT_EQ(SaveUserWaypoints(), 0);
  EXPECT_EQ(ReadFile("Data/MyCumulor.dat"), before);
  EXPECT_FALSE(std::filesystem::exists(Root() / "Data" / "MyCumulor.dat.tmp"));
}

TEST_F(UserWaypointFile, EveryPositionReadsBackUnmovedFromItsWrittenText) {
  // Each remainder below a minute, both hemispheres: written, read, written again gives the same.
  for (std::int32_t rest = 0; rest < 600; ++rest) {
    for (const std::int32_t value : {47 * 36000 + 13 * 600 + rest, -(47 * 36000 + 13 * 600 + rest)}) {
      for (const bool latitude : {true, false}) {
        const std::string text = FormatWaypointCoordinate(value, latitude);
        int next = 0;
        std::int32_t back = 0;
        ASSERT_TRUE(ParseDegMinSec(text.c_str(), static_cast<int>(text.size()), next, back)) << text;
        ASSERT_EQ(back, value) << text;
      }
    }
  }
}

TEST_F(UserWaypointFile, LoadingSkipsCommentsReportsBadLinesAndMissingFiles) {
  WriteFile("Data/a.dat",
            "* a comment\r\n  *another\r\nab\r\nA,48:00.000N,011:00.000E,1F,T,First,\r\nB,91:00.000N,011:00.000E,1F,T,Bad,\r\n"
            "C,47:00.000N,010:00.000E,1F,T,Third,x *V7 Z100\r\n");
  SetDataFileName(kFilesUserWaypoints, u"a.dat");
  DataFileEntry missing = NewDataFileEntry();
  SetEntryText(missing.name, u"gone.dat");
  SelectedDataFiles()[kFilesUserWaypoints].selected.Append(missing);
  TaskPoint home;
  EXPECT_EQ(LoadUserWaypoints(gps, &home), 0);
  ASSERT_EQ(Count(), 2);
  EXPECT_EQ(NameAt(1), "First");
  EXPECT_EQ(NameAt(2), "Third");
  EXPECT_EQ(At(2).zoomLimit, 100);
  EXPECT_EQ(gps.manualVariation, 7);
  EXPECT_EQ(home.kind, 0);  // no H waypoint: the file home stays
  ASSERT_EQ(Rec().status.size(), 3u);
  EXPECT_EQ(Rec().status[0], u"Syntax Error in \\Data\\a.dat");
  EXPECT_EQ(Rec().status[1], u"B,91:00.000N,011:00.000E,1F,T,Bad,");
  EXPECT_EQ(Rec().status[2], u"Unable to open \\Data\\gone.dat");
}

TEST_F(UserWaypointFile, ADamagedFileIsToldOnceWithItsFirstBadLineAndTheCount) {
  // 2,000 lines of garbage around one good waypoint: one message for the file, not one per line.
  std::string garbage;
  for (int i = 0; i < 1000; ++i) garbage += "x#" + std::to_string(i) + ",,,\r\n";
  WriteFile("Data/a.dat", "bad first line\r\n" + garbage + "A,48:00.000N,011:00.000E,1F,T,Good,\r\n" + garbage);
  SetDataFileName(kFilesUserWaypoints, u"a.dat");
  EXPECT_EQ(LoadUserWaypoints(gps, nullptr), 0);
  ASSERT_EQ(Count(), 1);
  EXPECT_EQ(NameAt(1), "Good");
  EXPECT_EQ(Rec().status, (std::vector<std::u16string>{u"Syntax Error in \\Data\\a.dat", u"bad first line (2001 lines)"}));
  EXPECT_EQ(Rec().waitedMs, 8000u);
}

}  // namespace
}  // namespace cumulor
