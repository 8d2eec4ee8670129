#include <cstdio>

#include "cumulor/app/core/commands.h"
#include "cumulor/app/core/main_window.h"
#include "cumulor/data/aero/point_tables.h"
#include "cumulor/map/browser_frame/point_list_page.h"
#include "cumulor/app/core/map_ops.h"
#include "cumulor/app/core/task_link.h"
#include "cumulor/data/task/task_ops.h"
#include "cumulor/data/dialogs/point_page.h"
#include "cumulor/data/points/point_db.h"
#include "cumulor/data/task/task_store.h"
#include "cumulor/map/browser/waypoint_selection.h"
#include "cumulor/map/browser_frame/waypoint_browser.h"
#include "cumulor/nav/gps/gps_port.h"
#include "tests/cumulor/app_core/app_fixture.h"

using namespace cumulor;
using cumulor_test::AppTest;

namespace {

// The task operations reach the application record: the navigation target and its origin, and
// the refusal sound.
TEST_F(AppTest, TaskOperationsSetTheApplicationsTargetAndPlayTheirSounds) {
  InstallTaskHooks();
  TaskPoint target;
  target.kind = 4;
  target.index = 7;
  GotoPoint(target);
  EXPECT_EQ(app->navTarget.index, 7);
  EXPECT_EQ(DirectTarget().index, 7);
  AdvanceTask();  // no task to advance
  EXPECT_TRUE(Played(u"Splat.wav"));
  GotoFirstTaskPoint();
  EXPECT_EQ(app->navTarget.index, HomePoint().index);
  EXPECT_EQ(Targets().current, TargetOrigin());
  TaskHooksInstalled() = TaskHooks{};
  TaskPointInit(DirectTarget());
}

// Command 40085 opens the waypoint browser at its task page; on the point page the simulator's
// JUMP TO puts the simulated glider beside the chosen point.
TEST_F(AppTest, TheWaypointBrowserOpensFromItsCommandAndJumpsTheSimulator) {
  InstallTaskHooks();
  app->simulator = 1;
  UserWaypointTable& table = UserWaypoints();
  table.records.SetSize(2);
  table.names.SetSize(2);
  table.countries.SetSize(2);
  table.records[1].position = {11 * 36000, 47 * 36000};
  TaskPoint point;
  point.kind = kPointUserWaypoint;
  point.index = 1;
  SetGotoTarget(point);
  using namespace ce::scripted::steps;
  auto& user = ce::scripted::User::Get();
  user.AnswerMenu(kCmdPointJump);
  user.AnswerDialog({Select(kIdBrowserTabs, 2), Click(kIdPointAction)});
  OnCommand(*app, MAKEWPARAM(40085, 0), 0);
  const auto shown = user.shown();
  ASSERT_FALSE(shown.empty());
  EXPECT_EQ(shown.front().title, u"Waypoints");
  EXPECT_EQ(GetGpsStatus(app->gps).position.lon, 11 * 36000 - 3);
  EXPECT_EQ(GetGpsStatus(app->gps).position.lat, 47 * 36000 + 15);
  EXPECT_TRUE(user.log().empty()) << user.log().front();
  InvalidateGotoTarget();
  table.records.SetSize(0);
  table.names.SetSize(0);
  table.countries.SetSize(0);
  TaskHooksInstalled() = TaskHooks{};
  PointPageHooksInstalled() = PointPageHooks{};
}

LRESULT QueueProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  return DefWindowProcW(window, message, wparam, lparam);
}

// "New go-to" (40044) through the main window's procedure: a go-to target left from an earlier
// browse does not count; the point tapped in the list becomes the navigation target when the
// browser closes.
TEST_F(AppTest, NewGotoMakesThePointTappedInTheListTheTarget) {
  InstallTaskHooks();
  WNDCLASSW wc{};
  wc.lpfnWndProc = QueueProc;
  wc.lpszClassName = u"NewGotoWindow";
  RegisterClassW(&wc);
  app->mainWindow = CreateWindowExW(0, u"NewGotoWindow", u"", 0, 0, 0, 240, 320, nullptr, nullptr, nullptr, nullptr);
  UserWaypointTable& table = UserWaypoints();
  table.records.SetSize(3);
  table.names.SetSize(3);
  table.countries.SetSize(3);
  table.records[1].position = {11 * 36000, 47 * 36000};
  table.records[2].position = {12 * 36000, 47 * 36000};
  std::snprintf(table.names[1].text, sizeof table.names[1].text, "Far");
  std::snprintf(table.names[2].text, sizeof table.names[2].text, "Near");
  BuildPointIndexes(0);
  ResetSearchStates();
  ResetPointTableOrigins();
  SetPointListKind(kPointUserWaypoint);
  SetGpsPosition(app->gps, GeoPoint{12 * 36000 + 600, 47 * 36000});
  TaskPoint stale;
  stale.kind = kPointUserWaypoint;
  stale.index = 1;
  SetGotoTarget(stale);  // chosen in an earlier browse, never taken

  using namespace ce::scripted::steps;
  auto& user = ce::scripted::User::Get();
  user.AnswerDialog({Click(kIdPointList, 0), Click(IDOK)});
  MainWndProc(app->mainWindow, WM_COMMAND, kCmdNewGoto, 0);
  EXPECT_TRUE(user.log().empty()) << user.log().front();
  EXPECT_EQ(app->navTarget.kind, kPointUserWaypoint);
  EXPECT_EQ(app->navTarget.index, 2);
  EXPECT_EQ(app->dialogActive, 0);

  DestroyWindow(app->mainWindow);
  app->mainWindow = nullptr;
  UnregisterClassW(u"NewGotoWindow", nullptr);
  InvalidateGotoTarget();
  table.records.SetSize(0);
  table.names.SetSize(0);
  table.countries.SetSize(0);
  BuildPointIndexes(0);
  TaskHooksInstalled() = TaskHooks{};
  PointPageHooksInstalled() = PointPageHooks{};
}

}  // namespace
