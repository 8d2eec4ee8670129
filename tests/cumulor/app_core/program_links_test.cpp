// Steps of the flight computer reached through its main window, with the demonstration data: the
// language chooser of the menu and the language applied at the next start, the built-in polars
// beside the polar files, the sector dialog's start points and the zone ring, the point page's
// small map, the task status dialog from the final-glide box, the box appearance dialog, the
// waypoint dialog's radial and distance, and the port dialog's stored rate.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <algorithm>
#include <set>
#include <string>

#include "cumulor/app/core/main_lock.h"
#include "cumulor/app/core/settings_document.h"
#include "cumulor/app/ui/own_dialogs.h"
#include "cumulor/data/aero/tile_cache.h"
#include "cumulor/data/dialogs/point_page.h"
#include "cumulor/data/dialogs/sector_dialog.h"
#include "cumulor/data/dialogs/task_page.h"
#include "cumulor/data/dialogs/waypoint_dialog.h"
#include "cumulor/data/points/point_db.h"
#include "cumulor/data/task/task_ops.h"
#include "cumulor/data/task/task_gates.h"
#include "cumulor/data/task/task_rules.h"
#include "cumulor/data/task/task_slots.h"
#include "cumulor/map/browser/waypoint_selection.h"
#include "cumulor/map/browser_frame/point_list_page.h"
#include "cumulor/map/browser_frame/waypoint_browser.h"
#include "cumulor/map/inflight/flight_dialogs.h"
#include "cumulor/map/settings/map_settings_dialogs.h"
#include "cumulor/map/navbox/nav_box_links.h"
#include "cumulor/map/navbox/nav_box_set.h"
#include "cumulor/nav/dialogs/port_dialog.h"
#include "cumulor/nav/geo/geodesy.h"
#include "cumulor/nav/polar/flight_state.h"
#include "cumulor/nav/polar/polar.h"
#include "platform/controls/controls.h"
#include "platform/dialogs/dialogs.h"
#include "platform/display/display.h"
#include "platform/gdi/gdi.h"
#include "platform/text/format.h"
#include "platform/text/utf.h"
#include "program_fixture.h"

using namespace cumulor;
using namespace ce::scripted::steps;
using cumulor_test::ProgramTest;

namespace {

std::u16string Text(const WCHAR* text) { return text ? std::u16string(text) : std::u16string(); }
std::u16string Wide(const char* text) {
  std::u16string out;
  for (; text && *text; ++text) out += static_cast<char16_t>(static_cast<unsigned char>(*text));
  return out;
}

class ProgramLinks : public ProgramTest {
 protected:
  std::filesystem::path Docs(const char* name) const { return device_folder() / "root" / "My Documents" / name; }
  ce::scripted::User& user = ce::scripted::User::Get();

  // The user waypoint of that name; 0 when there is none.
  static std::int32_t Waypoint(const char* name) {
    const UserWaypointTable& table = UserWaypoints();
    for (std::int32_t i = 1; i < table.names.Size(); ++i)
      if (std::string(table.names[i].text) == name) return i;
    return 0;
  }
  void Tap(POINT at) {
    const LPARAM p = MAKELPARAM(static_cast<WORD>(at.x), static_cast<WORD>(at.y));
    SendMessageW(app->mainWindow, WM_LBUTTONDOWN, MK_LBUTTON, p);
    SendMessageW(app->mainWindow, WM_LBUTTONUP, 0, p);
    Pump();
  }
  // After the first fix the pen acts on the map instead of asking to quit.
  void AwaitFirstFix() { ASSERT_TRUE(PumpUntil([&] { return app->firstFixAwaited == 0 && app->navBoxes.ready; })); }
};

TEST_F(ProgramLinks, TheLanguageChosenInTheMenuRenamesTheMenuAndIsAppliedAgainAtTheNextStart) {
  std::ofstream(Docs("KV_TEXT.xml"), std::ios::binary)
      << "<Texts><Deutsch><T id=\"54\">Sprache</T><T id=\"34\">Ziel</T></Deutsch></Texts>";
  StartProgram();
  const PathList& languages = AvailableDataFiles()[kFilesLanguages];
  ASSERT_EQ(languages.Size(), 2);
  EXPECT_EQ(Text(languages[0].name), u"English");
  EXPECT_EQ(Text(languages[1].name), u"Deutsch");
  ASSERT_EQ(SelectedDataFiles()[kFilesLanguages].selected.Size(), 1);
  EXPECT_EQ(Text(SelectedDataFiles()[kFilesLanguages].selected[0].name), u"English");
  EXPECT_NE(Text(app->menu.entries[54].text), u"Sprache");

  user.AnswerDialog({Select(1314, 1), Click(1318), Click(1355)});
  SendMessageW(app->mainWindow, WM_COMMAND, 40156, 0);
  ASSERT_FALSE(user.shown().empty());
  EXPECT_EQ(user.shown().back().title, u"Select Language");
  EXPECT_EQ(Text(app->menu.entries[54].text), u"Sprache");
  EXPECT_EQ(Text(app->menu.pages[0][6].entry.text), u"Sprache");  // the first page's "Language" button
  EXPECT_EQ(app->dialogActive, 0);

  // The choice is kept by the settings document and selected again by the next start.
  StopProgram();
  StartProgram();
  EXPECT_EQ(Text(app->menu.entries[54].text), u"Sprache");
  EXPECT_EQ(Text(app->menu.entries[34].text), u"Ziel");
  for (const auto& shown : user.shown()) EXPECT_TRUE(shown.scripted) << ce::text::ToUtf8(shown.title);
}

TEST_F(ProgramLinks, BuiltInPolarsAreListedBeforeThePolarFilesAndOneIsChosenInThePolarDialog) {
  std::ofstream(Docs("Club.plr"), std::ios::binary) << "* a club glider\r\n340,0,80,-0.65,120,-1.0,160,-1.9\r\n";
  StartProgram();
  const PathList& polars = AvailableDataFiles()[kFilesPolar];
  ASSERT_EQ(polars.Size(), static_cast<std::int32_t>(BuiltinPolarCount) + 1);
  EXPECT_EQ(Text(polars[0].name), u"Default");
  EXPECT_EQ(Text(polars[3].name), Wide(BuiltinPolars[3].name));
  EXPECT_EQ(Text(polars[polars.Size() - 1].name), u"Club.plr");

  // "New" in the polar dialog: the fifth built-in polar.
  user.AnswerDialog({Click(kIdPolarNew), Click(1355)});
  user.AnswerDialog({Select(1314, 5), Click(1318), Click(1355)});
  SendMessageW(app->mainWindow, WM_COMMAND, 40114, 0);
  const PolarEntry& chosen = BuiltinPolars[5];
  EXPECT_EQ(Text(GetDataFileEntry(kFilesPolar)), Wide(chosen.name));
  EXPECT_EQ(GetFlightParameter(app->flight, kParamMass), chosen.mass);
  EXPECT_EQ(GetFlightParameter(app->flight, kParamSpeed1), std::lround(chosen.speed[0]));

  // The polar file after them is read as a file.
  user.AnswerDialog({Click(kIdPolarNew), Click(1355)});
  user.AnswerDialog({Select(1314, polars.Size() - 1), Click(1318), Click(1355)});
  SendMessageW(app->mainWindow, WM_COMMAND, 40114, 0);
  EXPECT_EQ(Text(GetDataFileEntry(kFilesPolar)), u"Club.plr");
  EXPECT_EQ(GetFlightParameter(app->flight, kParamMass), 340);
  for (const auto& shown : user.shown()) EXPECT_TRUE(shown.scripted) << ce::text::ToUtf8(shown.title);
}

TEST_F(ProgramLinks, TheSectorDialogPicksTheStartPointsInThePointListAndTheRingFollowsTheRadius) {
  StartProgram();
  ASSERT_GE(UserWaypoints().records.Size(), 3);
  SectorDialogTab() = kRuleStart;
  // "OO:", point a, point b, then the radius on the on-task tab.
  user.AnswerDialog({Click(1247), Click(1428), Click(1212), Select(1312, kRuleOnTask), Click(1423), Click(1355)});
  user.AnswerDialog({Select(kIdTableTabs, 1), Click(kIdPointList, 0), Click(kIdBrowserClose)});
  user.AnswerDialog({Select(kIdTableTabs, 1), Click(kIdPointList, 1), Click(kIdBrowserClose)});
  user.AnswerDialog({SetText(kIdPadEdit, u"2000"), Click(kIdOkIcon)});
  SendMessageW(app->mainWindow, WM_COMMAND, 40113, 0);

  const TaskRule& start = Rules().rule[kRuleStart];
  EXPECT_EQ(start.type, kGateTwoStarts);
  ASSERT_EQ(start.pointA.kind, kPointUserWaypoint);
  ASSERT_EQ(start.pointB.kind, kPointUserWaypoint);
  EXPECT_NE(start.pointA.index, start.pointB.index);
  const GeoPoint a = PointRefPosition(start.pointA);
  EXPECT_EQ(start.pointAPosition.lon, a.lon);
  EXPECT_EQ(start.pointAPosition.lat, a.lat);
  EXPECT_FALSE(GotoTargetValid());  // the pick is not left behind as a go-to target
  // The second point is the alternative start shown over the map.
  EXPECT_EQ(Text(AlternateStartText()), Wide(UserWaypoints().names[start.pointB.index].text));

  EXPECT_EQ(app->dialogActive, 0);  // back on the map once the sector dialog closed
  EXPECT_EQ(Rules().rule[kRuleOnTask].width, 2000);
  EXPECT_EQ(app->map.ringDistance, 2000);
  for (const auto& shown : user.shown()) EXPECT_TRUE(shown.scripted) << ce::text::ToUtf8(shown.title);
}

TEST_F(ProgramLinks, RestartingTheTaskResetsTheFlightStatistics) {
  StartProgram();
  AwaitFirstFix();
  // A task under way: the start achieved and recorded in the statistics.
  ASSERT_GE(ActiveTask().Size(), 2);
  SendMessageW(app->mainWindow, WM_COMMAND, 40045, 0);
  ASSERT_EQ(AchievedList().Size(), 1);
  ASSERT_GT(app->stats.count, 0);
  app->stats.totalDistance = 12345;
  // The task page's "TASK..." menu: RESTART.
  user.AnswerDialog({Click(kIdTaskMenu), Click(kIdBrowserClose)});
  user.AnswerMenu(kCmdTaskRestart);
  SendMessageW(app->mainWindow, WM_COMMAND, 40085, 0);
  EXPECT_EQ(AchievedList().Size(), 0);
  EXPECT_EQ(app->stats.count, 0);
  EXPECT_EQ(app->stats.totalDistance, 0u);
  for (const auto& shown : user.shown()) EXPECT_TRUE(shown.scripted) << ce::text::ToUtf8(shown.title);
}

TEST_F(ProgramLinks, ThePointPageDrawsASmallMapAroundThePoint) {
  StartProgram();
  const std::int32_t field = Waypoint("Demo Field");
  ASSERT_GT(field, 0);
  {
    MainLockGuard lock(*app);  // the frame draws the go-to target on the notify thread
    SetGotoTarget(PointAtRecord(kPointUserWaypoint, field));
  }
  user.AnswerDialog({Select(kIdBrowserTabs, 2)});
  std::size_t colours = 0;
  const bool drawn = WhileOpen([&] { SendMessageW(app->mainWindow, WM_COMMAND, 40085, 0); }, u"Waypoints",
                               [&](HWND browser) {
                                 HWND page = nullptr;
                                 for (HWND c = GetWindow(browser, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
                                   if (IsWindowVisible(c) && GetDlgItem(c, kIdPointAction)) page = c;
                                 if (page == nullptr) return false;
                                 RECT map{2, 94, 154, 148};
                                 MapDialogRect(page, &map);
                                 std::set<COLORREF> seen;
                                 HDC dc = GetDC(page);
                                 for (int y = map.top + 3; y < map.bottom - 3; y += 2)
                                   for (int x = map.left + 3; x < map.right - 3; x += 2) seen.insert(GetPixel(dc, x, y));
                                 ReleaseDC(page, dc);
                                 colours = seen.size();
                                 if (colours < 6) return false;
                                 MapWindowPoints(page, nullptr, reinterpret_cast<POINT*>(&map), 2);
                                 return ce::display::SaveScreenshot("point_page_map.png", &map);
                               },
                               kIdBrowserClose);
  EXPECT_TRUE(drawn) << colours << " colours in the map rectangle";
  // The moving map has its own zoom and view back.
  EXPECT_EQ(app->map.scale, kZoomTable[app->zoomIndex]);
}

TEST_F(ProgramLinks, ATapOnTheFinalGlideBoxOpensTheTaskStatusWithItsTimeTexts) {
  StartProgram();
  {
    MainLockGuard guard(*app);
    app->finalGlideOn = 1;
  }
  AwaitFirstFix();
  RECT box{};
  ASSERT_TRUE(PumpUntil([&] {
    MainLockGuard guard(*app);
    box = app->screen.glideAltitude;
    return !IsRectEmpty(&box);
  }));
  std::size_t filled = 0;
  const bool shown = WhileOpen([&] { Tap(POINT{(box.left + box.right) / 2, (box.top + box.bottom) / 2}); }, u"Task Status",
                               [&](HWND dialog) {
                                 // The box of the time texts, filled, in the dialog's top left part
                                 // (where otherwise only the group frames and labels draw dark lines).
                                 HDC dc = GetDC(dialog);
                                 filled = 0;
                                 for (int y = 0; y < 130; ++y)
                                   for (int x = 60; x < 120; ++x) filled += GetPixel(dc, x, y) == 0 ? 1 : 0;
                                 ReleaseDC(dialog, dc);
                                 if (filled < 1000) return false;
                                 RECT window{};
                                 GetWindowRect(dialog, &window);
                                 return ce::display::SaveScreenshot("task_status_from_box.png", &window);
                               },
                               kIdOkIcon);
  EXPECT_TRUE(shown) << filled << " black pixels where the box goes";
  EXPECT_EQ(app->dialogActive, 0);
}

TEST_F(ProgramLinks, TheBoxAppearanceDialogIsShownOverTheMapAndGivesItBack) {
  StartProgram();
  AwaitFirstFix();
  // The last box of a row (nothing linked to its right or below), dragged onto the free map, offers
  // the appearance button.
  POINT at{};
  RECT area{};
  {
    MainLockGuard guard(*app);
    area = app->navBoxes.area;
    for (std::int32_t n = 1; n <= kNavBoxLast && at.x == 0; ++n) {
      const NavBox& b = app->navBoxes.box[n];
      if (app->navBoxes.on[n] && !IsRectEmpty(&b.rect) && !NavRight(b) && !NavLower(b) && n != kNavBoxRadial)
        at = POINT{(b.rect.left + b.rect.right) / 2, (b.rect.top + b.rect.bottom) / 2};
    }
  }
  ASSERT_NE(at.x, 0);
  const POINT to{(area.left + area.right) / 2, (area.top + area.bottom) / 2 - 70};
  SendMessageW(app->mainWindow, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
  SendMessageW(app->mainWindow, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM((at.x + to.x) / 2, (at.y + to.y) / 2));
  SendMessageW(app->mainWindow, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(to.x, to.y));
  SendMessageW(app->mainWindow, WM_LBUTTONUP, 0, MAKELPARAM(to.x, to.y));
  Pump();
  // The frame drawn on the notify thread counts the button down under the main lock.
  EnterCriticalSection(&app->mainLock);
  const std::int32_t countdown = app->navBoxes.buttonCountdown;
  const RECT button = app->navBoxes.buttonRect;
  LeaveCriticalSection(&app->mainLock);
  ASSERT_NE(countdown, 0);
  Tap(POINT{(button.left + button.right) / 2, (button.top + button.bottom) / 2});
  HWND dialog = FindWindowW(nullptr, u"NAV Box");
  ASSERT_NE(dialog, nullptr);
  EXPECT_TRUE(IsWindowVisible(dialog));
  EXPECT_EQ(app->dialogActive, 1);
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(kIdOkIcon, BN_CLICKED), 0);
  Pump();
  EXPECT_FALSE(IsWindow(dialog));
  EXPECT_EQ(app->dialogActive, 0);
}

TEST_F(ProgramLinks, TheWaypointDialogMovesAWaypointByRadialAndDistanceFromTheReferencePoint) {
  StartProgram();
  const std::int32_t field = Waypoint("Demo Field");
  ASSERT_GT(field, 0);
  KeptSettings().radialPoint = PointAtRecord(kPointUserWaypoint, field);
  ClearActiveTask();  // the action menu then offers no task points before its own entries
  // The second row of the user waypoints (the nearest after the field), held: "EDIT".
  user.AnswerDialog({Select(kIdTableTabs, 1), Hold(kIdPointList, 1), Click(kIdBrowserClose)});
  user.AnswerDialog({Select(kIdListBox, 3)});  // ADD HERE, line, CREATE WPT, EDIT
  user.AnswerDialog({Click(1059), Click(1060), Click(IDOK)});
  user.AnswerDialog({SetText(kIdPadEdit, u"90"), Click(kIdOkIcon)});
  user.AnswerDialog({SetText(kIdPadEdit, u"10K"), Click(kIdOkIcon)});
  SendMessageW(app->mainWindow, WM_COMMAND, 40102, 0);

  const std::int32_t moved = Waypoint("Demo Field 90\xB0/10");
  ASSERT_GT(moved, 0);
  EXPECT_NE(moved, field);
  GeoPoint expected{};
  const GeoPoint from = PointRefPosition(PointAtRecord(kPointUserWaypoint, field));
  GeoDestination(from.lon, from.lat, 10000, -3.14159265358979323846 / 2, expected);
  const WaypointRecord& w = UserWaypoints().records[moved];
  EXPECT_EQ(w.position.lon, expected.lon);
  EXPECT_EQ(w.position.lat, expected.lat);
  std::int32_t metres = 0;
  if (TerrainElevationAt(AeroTiles(), w.position, metres)) {
    EXPECT_EQ(w.elevation, std::lround(metres * 3.2808));
  }
  for (const auto& shown : user.shown()) EXPECT_TRUE(shown.scripted) << ce::text::ToUtf8(shown.title);

  // Opened again, the dialog shows the radial and distance from the reference point.
  std::u16string radial, distance;
  int looks = 0;
  app->dialogActive = 1;  // as the point list has it when it opens the dialog: the map waits
  const bool shown = WhileOpen([&] { AddUserWaypoint(moved, 0, 0, app->mainWindow); }, u"Waypoint",
                               [&](HWND dialog) {
                                 WCHAR text[32] = {};
                                 GetDlgItemTextW(dialog, 1059, text, 32);
                                 radial = text;
                                 GetDlgItemTextW(dialog, 1060, text, 32);
                                 distance = text;
                                 if (radial.empty()) return false;
                                 // Painted whole before the picture is taken.
                                 if (looks++ == 0) InvalidateRect(dialog, nullptr, TRUE);
                                 if (looks < 5) return false;
                                 RECT window{};
                                 GetWindowRect(dialog, &window);
                                 return ce::display::SaveScreenshot("waypoint_dialog_radial.png", &window);
                               },
                               IDCANCEL);
  app->dialogActive = 0;
  EXPECT_TRUE(shown);
  EXPECT_EQ(radial, u"90\u00B0");
  // Measured back from the stored position: 10 km within the position's rounding.
  EXPECT_TRUE(distance == u"10" || distance == u"10.0") << ce::text::ToUtf8(distance);
}

TEST_F(ProgramLinks, ThePortDialogShowsTheStoredRateWhenItOpens) {
  StartProgram();
  app->baudRate = 19200;
  bool portChecked = false;
  const bool rateChecked = WhileOpen([&] { SendMessageW(app->mainWindow, WM_COMMAND, 40100, 0); }, u"Cumulor COM Port",
                                     [&](HWND dialog) {
                                       portChecked = IsDlgButtonChecked(dialog, kIdPortFirst + app->portNumber - 1) ==
                                                     BST_CHECKED;
                                       return IsDlgButtonChecked(dialog, kIdRateFirst + 2) == BST_CHECKED;
                                     },
                                     kIdPortClose);
  EXPECT_TRUE(rateChecked);
  EXPECT_TRUE(portChecked);
  EXPECT_EQ(app->baudRate, 19200u);
}

}  // namespace

namespace {

TEST_F(ProgramLinks, ArmingTheStartInTheMapOptionsPutsTheStartBoxOnTheMap) {
  StartProgram();
  {
    MainLockGuard guard(*app);
    NavBoxSetOn(app->navBoxes, kNavBoxStart, false);
  }
  user.AnswerDialog({Check(kIdArmStart, true), Click(IDOK)});
  SendMessageW(app->mainWindow, WM_COMMAND, 40116, 0);
  EXPECT_NE(app->navBoxes.on[kNavBoxStart], 0);
  for (const auto& shown : user.shown()) EXPECT_TRUE(shown.scripted) << ce::text::ToUtf8(shown.title);
}

TEST_F(ProgramLinks, TheRequiredGlideRatioBoxShowsTheFinalGlidesRatio) {
  StartProgram();
  {
    MainLockGuard guard(*app);
    app->finalGlideOn = 1;
    NavBoxSetOn(app->navBoxes, 29, true);
  }
  AwaitFirstFix();
  // The frame computes the final glide over the demonstration task; the next values show it.
  std::u16string shown;
  EXPECT_TRUE(PumpUntil([&] {
    MainLockGuard guard(*app);
    shown = app->navBoxes.box[29].value;
    return shown == ce::text::Format(u"%d", app->requiredGlideRatio.load());
  })) << ce::text::ToUtf8(shown) << " against " << app->requiredGlideRatio.load();
}

}  // namespace
