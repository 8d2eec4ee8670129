// The team grid: its geometry, codes both ways, the kept slots, the own code, and the two dialogs
// under the scripted user.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "cumulor/app/base/xml_node.h"
#include "cumulor/data/waypoints/user_waypoint_store.h"
#include "cumulor/map/team/team_dialogs.h"
#include "cumulor/map/team/team_grid.h"
#include "platform/dialogs/dialogs.h"
#include "platform/display/display.h"
#include "platform/resources/resource_set.h"
#include "platform/scripted/scripted_user.h"
#include "platform/testing/device_test.h"
#include "platform/window/window.h"

namespace cumulor {
namespace {

std::u16string Text(const WCHAR* text) { return text ? std::u16string(text) : std::u16string(); }

class TeamGridTest : public ce::testing::DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    std::ifstream in(std::string(CUMULOR_RES_DIR) + "/dialog-team.txt");
    ASSERT_TRUE(in);
    std::stringstream s;
    s << in.rdbuf();
    ASSERT_EQ(ce::resources::AddModuleResourceText(u"", s.str(), {}), "");
    ce::scripted::User::Get().Reset();
    Reset();
  }
  void TearDown() override {
    Reset();
    ce::scripted::User::Get().Reset();
    ce::resources::RemoveModuleResources(u"");
    DeviceTest::TearDown();
  }
  static void Reset() {
    ClearUserWaypoints();
    TeamMarksClear();
    TeamGridState() = TeamGrid{};
    TeamGridResetFixCount();
    SetTeamMapLink({});
  }
  // A user waypoint at whole degrees; its index.
  static std::int32_t AddWaypoint(const char* name, double lonDeg, double latDeg) {
    WaypointRecord r;
    r.position = {static_cast<std::int32_t>(lonDeg * 36000), static_cast<std::int32_t>(latDeg * 36000)};
    r.flags = 1 | kWaypointFoundByName;
    std::strncpy(r.code, name, 5);
    return AddOrReplaceUserWaypoint(r, name);
  }
  static void PlaceAt(double lonDeg, double latDeg) {
    TeamGridState().referenceWaypoint = AddWaypoint("REF", lonDeg, latDeg);
    GridSetOrigin();
  }
};

TEST_F(TeamGridTest, GeometryFollowsTheReferenceLatitude) {
  struct {
    double lat;
    std::int32_t finestWidth;
  } cases[] = {{0.0, 40}, {45.0, 56}, {60.0, 79}};
  for (const auto& c : cases) {
    Reset();
    PlaceAt(11.0, c.lat);
    const TeamGrid& g = TeamGridState();
    EXPECT_EQ(g.columnWidth[3], c.finestWidth) << c.lat;
    EXPECT_EQ(g.columnWidth[0], c.finestWidth * 512) << c.lat;
    EXPECT_EQ(g.rowHeight[3], 40);
    EXPECT_EQ(g.rowHeight[0], 20480);
    EXPECT_EQ(g.southWest.lon, 11 * 36000 - 4 * g.columnWidth[0]);
    EXPECT_EQ(g.southWest.lat, static_cast<std::int32_t>(c.lat * 36000) - 4 * 20480);
  }
}

TEST_F(TeamGridTest, ReferenceOutsideTheTableLeavesTheGrid) {
  PlaceAt(11.0, 47.0);
  const TeamGrid before = TeamGridState();
  TeamGridState().referenceWaypoint = 99;
  GridSetOrigin();
  EXPECT_EQ(std::memcmp(before.columnWidth, TeamGridState().columnWidth, sizeof before.columnWidth), 0);
  EXPECT_EQ(TeamGridState().southWest, before.southWest);
  TeamGridState().referenceWaypoint = 0;
  GridSetOrigin();
  EXPECT_EQ(TeamGridState().southWest, before.southWest);
}

TEST_F(TeamGridTest, CodesDecodeToTheCornersOfTheirCells) {
  PlaceAt(11.0, 47.0);
  const TeamGrid& g = TeamGridState();
  GeoPoint p;
  ASSERT_EQ(GridParseCode(u"A1", p), 0);
  EXPECT_EQ(p, g.southWest);
  ASSERT_EQ(GridParseCode(u"H8H8H8H8", p), 0);
  EXPECT_EQ(p.lon, g.northEast.lon - g.columnWidth[3]);
  EXPECT_EQ(p.lat, g.northEast.lat - g.rowHeight[3]);
  GeoPoint blanks, packed;
  ASSERT_EQ(GridParseCode(u"C3 D4  E5 F6", blanks), 0);
  ASSERT_EQ(GridParseCode(u"C3D4E5F6", packed), 0);
  EXPECT_EQ(blanks, packed);
  EXPECT_EQ(Text(GridFormatCode(blanks, true)), u"C3 D4 E5 F6");
  EXPECT_EQ(Text(GridFormatCode(blanks, false)), u"C3D4E5F6");
  for (const WCHAR* bad : {u"", u"A1B", u"A", u"   "}) EXPECT_EQ(GridParseCode(bad, p), E_FAIL) << Text(bad).size();
}

TEST_F(TeamGridTest, PositionsOutsideOrAnUnplacedGridGiveDashes) {
  GeoPoint anywhere{11 * 36000, 47 * 36000};
  EXPECT_EQ(Text(GridFormatCode(anywhere, true)), u"----");  // no grid placed: no division by 0
  TeamGridState().columnWidth[0] = -5;                        // as a damaged setting could give
  EXPECT_EQ(Text(GridFormatCode(anywhere, true)), u"----");
  PlaceAt(11.0, 47.0);
  const GeoPoint sw = TeamGridState().southWest;
  EXPECT_EQ(Text(GridFormatCode({sw.lon - 1, sw.lat}, true)), u"----");
  EXPECT_EQ(Text(GridFormatCode({sw.lon, sw.lat - 1}, true)), u"----");
  EXPECT_EQ(Text(GridFormatCode(sw, true)), u"A1 A1 A1 A1");
  // East of the grid the letters run on past H.
  EXPECT_EQ(Text(GridFormatCode(TeamGridState().northEast, false)), u"I9A1A1A1");
}

TEST_F(TeamGridTest, OwnCodeFromTheFourthFixCutToEightCharacters) {
  PlaceAt(11.0, 47.0);
  const GeoPoint here{11 * 36000, 47 * 36000};
  EXPECT_EQ(TeamGridOnFix(here), nullptr);  // team mode off
  TeamGridState().teamMode = 1;
  for (int i = 0; i < 3; ++i) EXPECT_EQ(TeamGridOnFix(here), nullptr);
  const WCHAR* own = TeamGridOnFix(here);
  ASSERT_NE(own, nullptr);
  EXPECT_EQ(Text(own), u"E5 A1 A1");
  EXPECT_EQ(Text(TeamGridState().ownCode), u"E5 A1 A1");
}

TEST_F(TeamGridTest, SlotsTravelInTheGridElementAndFullTextsAreTerminated) {
  TeamMark* marks = TeamMarks();
  std::memcpy(marks[1].gliderId, u"ABCDEFGH", 16);  // eight characters, no room for the end
  for (int i = 0; i < 20; ++i) marks[1].code[i] = u'X';
  marks[1].position = {123, 456};
  XmlNode settings("Settings");
  GridSave(settings);
  TeamMarksClear();
  EXPECT_FALSE(TeamMarkIsSet(1));
  ASSERT_EQ(GridLoad(settings), 1);
  EXPECT_TRUE(TeamMarkIsSet(1));
  EXPECT_EQ(Text(marks[1].gliderId), u"ABCDEFG");
  EXPECT_EQ(Text(marks[1].code).size(), 19u);
  EXPECT_EQ(marks[1].position, (GeoPoint{123, 456}));
  EXPECT_FALSE(TeamMarkIsSet(0));

  XmlNode broken("Settings");
  broken.AddChildString("Grid", "12,1,2,3");
  ASSERT_EQ(GridLoad(broken), 1);
  EXPECT_TRUE(TeamMarkIsSet(1)) << "a text that does not parse changes nothing";
  XmlNode none("Settings");
  EXPECT_EQ(GridLoad(none), 0);
}

TEST_F(TeamGridTest, CodeEntryStoresTheTypedCodeAndMovesTheMap) {
  using namespace ce::scripted::steps;
  PlaceAt(11.0, 47.0);
  static GeoPoint panned;
  panned = {};
  SetTeamMapLink({nullptr, [](const GeoPoint& p) { panned = p; }});
  std::memcpy(TeamMarks()[0].gliderId, u"AB", 6);
  auto& user = ce::scripted::User::Get();
  // A, 1, B, 2, then a third letter taken back.
  user.AnswerDialog({Click(kIdCodeKeyFirst), Click(kIdCodeKeyFirst), Click(kIdCodeKeyFirst + 1),
                     Click(kIdCodeKeyFirst + 1), Click(kIdCodeKeyFirst + 2), Click(kIdCodeBackspace), Click(IDOK)});
  EXPECT_EQ(GridDialog(0, nullptr), 1);
  GeoPoint expected;
  ASSERT_EQ(GridParseCode(u"A1B2", expected), 0);
  EXPECT_EQ(TeamMarks()[0].position, expected);
  EXPECT_EQ(Text(TeamMarks()[0].code), u"A1B2");
  EXPECT_EQ(panned, expected);

  // Half a pair cannot be taken: the dialog stays open until it is cancelled.
  user.AnswerDialog({Click(kIdCodeKeyFirst + 3), Key(193)});
  EXPECT_EQ(GridDialog(0, nullptr), -1);
  EXPECT_EQ(TeamMarks()[0].position, expected);
}

TEST_F(TeamGridTest, TeamMarkCommandOpensTheEntryOnlyForAMarkInUse) {
  EXPECT_FALSE(TeamMarkCommand(2, nullptr));
  std::memcpy(TeamMarks()[2].gliderId, u"Z", 4);
  ce::scripted::User::Get().AnswerDialog({ce::scripted::steps::Click(IDCANCEL)});
  EXPECT_TRUE(TeamMarkCommand(2, nullptr));
}

TEST_F(TeamGridTest, TeamSetupNeedsTwoWaypointsAndTakesTheChosenReference) {
  using namespace ce::scripted::steps;
  auto& user = ce::scripted::User::Get();
  TeamGridState().teamMode = 1;
  std::memcpy(TeamMarks()[0].gliderId, u"Q", 4);
  user.AnswerDialog({Click(IDOK)});
  TeamDialog(nullptr);  // no waypoints: everything cleared, only the hint
  EXPECT_EQ(TeamGridState().teamMode, 0);
  EXPECT_FALSE(TeamMarkIsSet(0));
  const auto shown = user.shown();
  ASSERT_FALSE(shown.empty());
  bool hint = false;
  for (const auto& t : shown.back().texts) hint |= t == u"Add Turnpoint file!";
  EXPECT_TRUE(hint);

  AddWaypoint("ONE", 11.0, 47.0);
  const std::int32_t two = AddWaypoint("TWO", 12.0, 46.0);
  user.AnswerDialog({Click(kIdTeamSwitch), Select(kIdTeamList, 1), Click(IDOK)});
  EXPECT_EQ(TeamDialog(nullptr), 1);
  EXPECT_EQ(TeamGridState().teamMode, 1);
  EXPECT_EQ(TeamGridState().referenceWaypoint, two);
  EXPECT_EQ(TeamGridState().southWest.lon, 12 * 36000 - 4 * TeamGridState().columnWidth[0]);
}

// Both dialogs as pictures in the test's folder for a look.
TEST_F(TeamGridTest, DialogsAsPictures) {
  AddWaypoint("ONE", 11.0, 47.0);
  AddWaypoint("TWO", 12.0, 46.0);
  std::memcpy(TeamMarks()[0].gliderId, u"K7", 6);
  struct {
    int id;
    DLGPROC proc;
    const char* file;
  } dialogs[] = {{kCodeEntryTemplate, CodeEntryProc, "team_code_dialog.png"},
                 {kTeamSetupTemplate, TeamSetupProc, "team_setup_dialog.png"}};
  for (const auto& d : dialogs) {
    HWND dialog = CreateDialogParamW(nullptr, MAKEINTRESOURCEW(d.id), nullptr, d.proc, 0);
    ASSERT_NE(dialog, nullptr) << d.id;
    ShowWindow(dialog, SW_SHOW);
    for (MSG m; PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE);) DispatchMessageW(&m);
    RECT r{};
    GetWindowRect(dialog, &r);
    EXPECT_TRUE(ce::display::SaveScreenshot(d.file, &r)) << d.file;
    DestroyWindow(dialog);
  }
}

}  // namespace
}  // namespace cumulor
