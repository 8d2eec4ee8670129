// The statistics, thermal query, contest and margins dialogs under the scripted user, and the
// terrain clearance mark drawn on a map.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app_fixture.h"
#include "cumulor/app/base/number_text.h"
#include "cumulor/app/ui/dialog_run.h"
#include "cumulor/app/ui/own_dialogs.h"
#include "cumulor/data/aero/tile_cache.h"
#include "cumulor/data/points/point_db.h"
#include "cumulor/nav/dialogs/flight_stats_dialogs.h"
#include "cumulor/nav/olc/olc.h"
#include "cumulor/nav/stats/flight_stats.h"
#include "cumulor/nav/terrain/terrain_clearance.h"
#include "cumulor/nav/thermal/thermal_db.h"
#include "platform/controls/controls.h"
#include "tests/cumulor/map/map_test_canvas.h"
#include "tests/cumulor/terrain_tile.h"

using namespace cumulor;
using namespace ce::scripted::steps;
using cumulor_test::AppTest;

namespace {

std::vector<std::u16string> ListLines(HWND dialog) {
  HWND list = GetDlgItem(dialog, kIdStatsList);
  std::vector<std::u16string> lines;
  const LRESULT n = SendMessageW(list, LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < n; ++i) {
    WCHAR text[128] = {};
    SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
    lines.emplace_back(text);
  }
  return lines;
}

std::vector<std::u16string> StatsLines() {
  HWND dialog = CreateModelessDialog(kStatsDialogTemplate, AppRecord()->mainWindow, StatsDialogProc, 0);
  EXPECT_NE(dialog, nullptr);
  std::vector<std::u16string> lines = ListLines(dialog);
  DestroyWindow(dialog);
  return lines;
}

class FlightStatsDialogs : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    UserWaypointTable& t = UserWaypoints();
    t.records.SetSize(3);
    t.names.SetSize(3);
    t.records[1].position = GeoPoint{36000 * 11, 36000 * 47};
    t.records[2].position = GeoPoint{36000 * 11, 36000 * 47 + 3234};  // 10 km north
    std::snprintf(t.names[1].text, sizeof t.names[1].text, "START");
    std::snprintf(t.names[2].text, sizeof t.names[2].text, "NORTH");
    StatsHooksInstalled() = StatsHooks{};
  }
  void TearDown() override {
    UserWaypoints().records.SetSize(0);
    UserWaypoints().names.SetSize(0);
    AppTest::TearDown();
  }
};

}  // namespace

TEST_F(FlightStatsDialogs, StatisticsListPointsSpeedsAndTotal) {
  EXPECT_EQ(StatsLines(), std::vector<std::u16string>{u"No TPs achieved"});

  StatsBlock& stats = app->stats;
  stats.replayTime = 1;
  stats.replaySeconds = 100;
  TaskPoint p;
  p.kind = kPointUserWaypoint;
  p.index = 1;
  RecordTaskPoint(stats, p);
  stats.replaySeconds = 700;
  p.index = 2;
  RecordTaskPoint(stats, p);
  const std::vector<std::u16string> lines = StatsLines();
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0].substr(0, 6), u"START ");
  EXPECT_EQ(lines[1], u"NORTH 60.00 km/h");
  EXPECT_EQ(lines[2], u"Total: 60.00 km/h");

  // Keys 0xC1..0xC4 leave it open; Clear Climb keeps it open; Reset ends it.
  auto& user = ce::scripted::User::Get();
  stats.climbCount = 3;
  user.AnswerDialog({Key(0xC1), Key(0xC4), Click(kIdStatsClearClimb), Click(kIdStatsReset)});
  RunDialog(kStatsDialogTemplate, app->mainWindow, StatsDialogProc, 0);
  EXPECT_EQ(stats.climbCount, 0);
  EXPECT_EQ(stats.count, 0);
  EXPECT_EQ(StatsLines(), std::vector<std::u16string>{u"No TPs achieved"});
  for (const auto& shown : user.shown()) EXPECT_TRUE(shown.scripted);
}

TEST_F(FlightStatsDialogs, ThermalQueryStoresTheModesAndTheNumbersOfTheirModes) {
  auto& user = ce::scripted::User::Get();
  ThermalQuerySettings() = ThermalQuery{1, 0, 0, 0, 0, 1, 0, 0, 0};
  // An hour entered selects the hours mode, a wind direction the given wind.
  user.AnswerDialog({Click(1000), Click(1001), Click(1004), Click(1005), Click(IDOK)});
  user.AnswerDialog({SetText(kIdPadEdit, u"2"), Click(kIdOkIcon)});
  user.AnswerDialog({SetText(kIdPadEdit, u"5"), Click(kIdOkIcon)});
  user.AnswerDialog({SetText(kIdPadEdit, u"240"), Click(kIdOkIcon)});
  user.AnswerDialog({SetText(kIdPadEdit, u"300"), Click(kIdOkIcon)});
  ThermalQueryDialog(app->mainWindow);
  ThermalQuery q = ThermalQuerySettings();
  EXPECT_EQ(q.timeMode, 2);
  EXPECT_EQ(q.hourFrom, 2);
  EXPECT_EQ(q.hourTo, 5);
  EXPECT_EQ(q.windMode, 2);
  EXPECT_EQ(q.windFrom, 240);
  EXPECT_EQ(q.windTo, 300);
  std::vector<std::u16string> titles;
  for (const auto& shown : user.shown()) titles.push_back(shown.title);
  ASSERT_EQ(titles.size(), 5u);
  EXPECT_EQ(titles[1], u"Hour From:");
  EXPECT_EQ(titles[4], u"Wind To:");

  // Entered, then another mode chosen: the numbers of a mode not in use are not stored.
  user.AnswerDialog({Click(1004), Click(1246), Click(1249), Click(IDOK)});
  user.AnswerDialog({SetText(kIdPadEdit, u"10"), Click(kIdOkIcon)});
  ThermalQueryDialog(app->mainWindow);
  q = ThermalQuerySettings();
  EXPECT_EQ(q.windMode, 3);
  EXPECT_EQ(q.timeMode, 3);
  EXPECT_EQ(q.windFrom, 240);

  user.AnswerDialog({Click(1247), Click(IDCANCEL)});
  ThermalQueryDialog(app->mainWindow);
  EXPECT_EQ(ThermalQuerySettings().timeMode, 3);
}

TEST_F(FlightStatsDialogs, ContestLegsAtOnceAndTheRouteFlagOnOk) {
  auto& user = ce::scripted::User::Get();
  OlcSetLegCount(4);
  OlcSetShowRoute(false);
  user.AnswerDialog({Click(1245), Check(1101, true), Click(IDCANCEL)});
  RunDialog(kContestDialogTemplate, app->mainWindow, ContestDialogProc, 0);
  EXPECT_EQ(OlcLegCount(), 6);  // set at once
  EXPECT_FALSE(OlcShowRoute());  // only on OK
  user.AnswerDialog({Check(1101, true), Click(IDOK)});
  RunDialog(kContestDialogTemplate, app->mainWindow, ContestDialogProc, 0);
  EXPECT_TRUE(OlcShowRoute());
  user.AnswerDialog({Key(194)});  // a hardware key is OK
  EXPECT_EQ(RunDialog(kContestDialogTemplate, app->mainWindow, ContestDialogProc, 0), IDOK);
  EXPECT_TRUE(OlcShowRoute());
  EXPECT_EQ(OlcPackFlags2(0), 16384 | 32768);
  user.AnswerDialog({Click(1244), Check(1101, false), Click(kIdDialogClose)});
  RunDialog(kContestDialogTemplate, app->mainWindow, ContestDialogProc, 0);
  EXPECT_EQ(OlcLegCount(), 4);
  EXPECT_FALSE(OlcShowRoute());
}

TEST_F(FlightStatsDialogs, MarginsInFeetAreStoredInMetres) {
  auto& user = ce::scripted::User::Get();
  app->altitudeUnit = 2;
  SetTerrainSafetyMargin(200);
  user.AnswerDialog({Click(1000), Click(1001), Check(1102, true), Click(1172), Click(IDOK)});
  user.AnswerDialog({SetText(kIdPadEdit, u"-30"), Click(kIdOkIcon)});  // negative: 0
  user.AnswerDialog({SetText(kIdPadEdit, u"1000"), Click(kIdOkIcon)});
  RunDialog(kMarginsDialogTemplate, app->mainWindow, MarginsDialogProc, 0);
  EXPECT_EQ(GetFlightParameter(app->flight, kParamSafetyMargin), 0);
  EXPECT_EQ(TerrainSafetyMargin(), 305);  // 1000 ft
  EXPECT_EQ(app->terrainClearanceOn, 1);
  EXPECT_TRUE(app->flight.requiredAltitudeMode);
  EXPECT_EQ(app->activeDialog, nullptr);
  const auto shown = user.shown();
  ASSERT_EQ(shown.size(), 3u);
  EXPECT_EQ(shown[1].title, u"Enter Safety Margin");
  EXPECT_EQ(shown[2].title, u"Enter Terrain Safety Margin");

  // Shown in feet; a hardware key is OK and stores them as shown.
  user.AnswerDialog({Key(193)});
  EXPECT_EQ(RunDialog(kMarginsDialogTemplate, app->mainWindow, MarginsDialogProc, 0), IDOK);
  EXPECT_EQ(TerrainSafetyMargin(), 305);
  EXPECT_EQ(app->terrainClearanceOn, 1);
  const auto again = user.shown().back();
  bool feetShown = false, thousandShown = false;
  for (const auto& t : again.texts) {
    feetShown = feetShown || t == u"ft";
    thousandShown = thousandShown || t == u"1001";  // 305 m in feet
  }
  EXPECT_TRUE(feetShown);
  EXPECT_TRUE(thousandShown);
  SetTerrainSafetyMargin(200);
}

namespace {

class ClearanceMark : public cumulor::testing::MapCanvasTest {
 protected:
  void SetUp() override {
    MapCanvasTest::SetUp();
    CreateMapPens();
    SetTerrainSafetyMargin(200);
    FormatUnits().altitude = kUnitMetres;
  }
  void TearDown() override {
    AeroTiles().FreeMaps();
    FormatUnits().altitude = kUnitMetres;
    MapCanvasTest::TearDown();
  }
  // Uniform terrain over the tile of the map centre.
  static void Terrain(std::int16_t height) {
    AeroTiles().FreeMaps();
    cumulor::testing::PutTerrainTile(AeroTiles(), 11, 47, [height](int, int) { return height; });
  }
  // A 1500 m leg north from the centre, from 1000 m losing 100 m; the least clearance is the
  // third sample.
  POINT Profile(std::int16_t terrain) {
    Terrain(terrain);
    const GeoPoint from = cumulor::testing::kCentre;
    const GeoPoint to{from.lon, from.lat + 485};
    BuildTerrainProfile(1000, from, to, 100, 1500);
    FindProfileMinimum();
    POINT at{};
    MapWorldToScreen(*view, at, TerrainProfile().samples[2].position);
    return at;
  }
  int RedPixels(RECT r) const {
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x) n += Pixel(x, y) == RGB(255, 0, 0);
    return n;
  }
};

}  // namespace

TEST_F(ClearanceMark, RedMarkWhenTheClearanceIsBelowTheMargin) {
  Open(240, 320, 10);
  const POINT at = Profile(750);  // clearance 150 m, 50 m below the margin
  std::int32_t clearance = 0;
  ASSERT_EQ(GetTerrainClearance(clearance), 1);
  EXPECT_EQ(clearance, -50);
  DrawClearanceMark(dc, *view);
  EXPECT_EQ(Pixel(at.x, at.y), RGB(255, 0, 0));  // the disc
  EXPECT_GT(RedPixels(RECT{at.x + 2, at.y + 2, at.x + 60, at.y + 14}), 5);  // "-50 m"
  const TerrainProfileView p = TerrainProfile();
  EXPECT_EQ(p.samples[2].screenX, at.x);
  EXPECT_EQ(p.samples[2].screenY, at.y);
}

TEST_F(ClearanceMark, NoMarkWithClearanceAboveTheMargin) {
  Open(240, 320, 10);
  const POINT at = Profile(650);  // clearance 250 m: 50 m above the margin
  std::int32_t clearance = 0;
  ASSERT_EQ(GetTerrainClearance(clearance), 1);
  EXPECT_EQ(clearance, 50);
  DrawClearanceMark(dc, *view);
  EXPECT_EQ(RedPixels(RECT{at.x - 6, at.y - 6, at.x + 60, at.y + 14}), 0);
}
