// The new-fix handling driven by scripted fix streams: the first valid fix, the result codes of
// WM_USER+78, circling with north up, the altitude-limit warning, the automatic zoom with the
// reached turnpoint, and the start-line crossing (also after a new go-to just before the line).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "cumulor/app/core/commands.h"
#include "cumulor/app/core/flight_fix_steps.h"
#include "cumulor/app/core/gps_update.h"
#include "cumulor/app/core/main_window.h"
#include "cumulor/app/core/settings_document.h"
#include "cumulor/app/core/task_link.h"
#include "cumulor/data/dialogs/airspace_dialogs.h"
#include "cumulor/data/points/point_db.h"
#include "cumulor/data/task/task_gates.h"
#include "cumulor/data/task/task_rules.h"
#include "cumulor/data/task/task_slots.h"
#include "cumulor/data/task/task_store.h"
#include "cumulor/nav/gps/gps_input.h"
#include "cumulor/nav/stats/flight_stats.h"
#include "platform/window/window_seams.h"
#include "tests/cumulor/app_core/app_fixture.h"

using namespace cumulor;
using namespace ce::scripted::steps;

namespace {

constexpr std::int32_t kDeg = 36000;
constexpr GeoPoint kHome{11 * kDeg, 47 * kDeg};

LRESULT QueueProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  return DefWindowProcW(window, message, wparam, lparam);
}

// A main window that only keeps its queue, the settings' options cleared, the task and its rules
// empty; user waypoints 1.. at the positions a test gives.
class GpsUpdateTest : public cumulor_test::AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    ResetKeptSettings();
    TaskRulesDefaults();
    for (TaskRule& r : Rules().rule) r.altitude = 0;
    ResetStartLineChecks();
    FlightFixStepsReset();
    StatsHooksInstalled() = StatsHooks{};
    ce::window::ClearRecordedKeyEvents();
    WNDCLASSW wc{};
    wc.lpfnWndProc = QueueProc;
    wc.lpszClassName = u"GpsUpdateQueue";
    RegisterClassW(&wc);
    app->mainWindow = NewWindow();
  }
  void TearDown() override {
    if (IsWindow(app->mainWindow)) DestroyWindow(app->mainWindow);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
    UnregisterClassW(u"GpsUpdateQueue", nullptr);
    UserWaypoints().records.SetSize(0);
    UserWaypoints().names.SetSize(0);
    FlightFixStepsReset();
    ResetKeptSettings();
    AppTest::TearDown();
  }
  static HWND NewWindow() {
    return CreateWindowExW(0, u"GpsUpdateQueue", u"", 0, 0, 0, 240, 320, nullptr, nullptr, nullptr, nullptr);
  }
  static void SetOption(int word, int bit) { KeptSettings().options[word] |= 1u << bit; }
  // User waypoints 1..n at the positions, and their task points.
  static std::vector<TaskPoint> Waypoints(const std::vector<GeoPoint>& positions) {
    UserWaypointTable& t = UserWaypoints();
    t.records.SetSize(static_cast<std::int32_t>(positions.size()) + 1);
    t.names.SetSize(static_cast<std::int32_t>(positions.size()) + 1);
    std::vector<TaskPoint> points;
    for (std::size_t i = 0; i < positions.size(); ++i) {
      t.records[static_cast<std::int32_t>(i) + 1].position = positions[i];
      std::snprintf(t.names[static_cast<std::int32_t>(i) + 1].text, sizeof t.names[0].text, "WP%zu", i + 1);
      TaskPoint p;
      p.kind = kPointUserWaypoint;
      p.index = static_cast<std::int32_t>(i) + 1;
      p.lon = positions[i].lon;
      p.lat = positions[i].lat;
      points.push_back(p);
    }
    return points;
  }
  LRESULT Fix(const GeoPoint& at, std::int32_t altitude = 500, std::int32_t mark = 1, float knots = 50.0f) {
    GpsStatus fix;
    fix.positionValid = 1;
    fix.position = at;
    fix.altitude = altitude;
    fix.mark = mark;
    fix.groundSpeedKn = knots;
    return OnGpsUpdate(*app, &fix, S_OK);
  }
  std::vector<WPARAM> QueuedCommands() {
    std::vector<WPARAM> out;
    MSG msg;
    while (PeekMessageW(&msg, app->mainWindow, WM_COMMAND, WM_COMMAND, PM_REMOVE)) out.push_back(LOWORD(msg.wParam));
    return out;
  }
  static int Beeps() {
    int n = 0;
    for (const auto& e : ce::sound::RecordedEffects()) n += e.kind == ce::sound::Effect::kBeep ? 1 : 0;
    return n;
  }
  static std::vector<std::u16string> DialogTexts() {
    std::vector<std::u16string> out;
    for (const auto& s : ce::scripted::User::Get().shown())
      if (s.kind == ce::scripted::Kind::kDialog)
        for (const auto& t : s.texts) out.push_back(t);
    return out;
  }
  static int DialogCount() {
    int n = 0;
    for (const auto& s : ce::scripted::User::Get().shown()) n += s.kind == ce::scripted::Kind::kDialog ? 1 : 0;
    return n;
  }
};

TEST_F(GpsUpdateTest, FirstValidFixClearsTheStatusRestoresTheRegionAndAsksForWindOutsideTheSimulator) {
  struct Case {
    std::int32_t simulator;
    std::vector<WPARAM> commands;
  };
  for (const Case& c : {Case{0, {40115}}, Case{1, {}}}) {
    SCOPED_TRACE(c.simulator);
    FixHandlingReset();
    app->simulator = c.simulator;
    app->firstFixAwaited = 1;
    app->region = GeoRect{10 * kDeg, 48 * kDeg, 12 * kDeg, 46 * kDeg};
    app->statusText[0] = 0;
    GpsStatus noFix;
    EXPECT_EQ(OnGpsUpdate(*app, &noFix, S_OK), 0);
    EXPECT_EQ(std::u16string(app->statusText), u"Awaiting GPS Satellite Lock...");
    EXPECT_EQ(app->firstFixAwaited, 1);
    EXPECT_EQ(app->mapCentre.lon, 0);

    EXPECT_EQ(Fix(kHome), 0);
    EXPECT_EQ(app->firstFixAwaited, 0);
    EXPECT_EQ(app->statusText[0], 0);
    EXPECT_EQ(app->map.region.left, app->region.left);
    EXPECT_EQ(app->mapCentre.lat, kHome.lat);
    EXPECT_EQ(GetFlightParameter(app->flight, kParamAltitude), 500);
    Fix(kHome);  // the command comes once
    EXPECT_EQ(QueuedCommands(), c.commands);
  }
  // Every sixth call sends the key-up that keeps the device awake.
  FixHandlingReset();
  ce::window::ClearRecordedKeyEvents();
  for (int i = 0; i < 12; ++i) Fix(kHome);
  const auto keys = ce::window::RecordedKeyEvents();
  ASSERT_EQ(keys.size(), 2u);
  EXPECT_EQ(keys[0].key, 0x73);
  EXPECT_EQ(keys[0].flags, KEYEVENTF_KEYUP);
}

TEST_F(GpsUpdateTest, AbortClosesAndFailAsksForTheSimulatorThroughTheMessage) {
  struct Case {
    HRESULT code;
    int answer;
    LRESULT result;
    bool closePosted;
    std::int32_t simulator;
  };
  const Case cases[] = {
      {E_ABORT, 0, 0, true, 1},
      {E_FAIL, IDYES, 1, false, 1},
      {E_FAIL, IDNO, 0, true, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.answer);
    app->simulator = 0;
    SetGpsPosition(app->gps, kHome);
    HWND window = NewWindow();
    std::vector<UINT> posted;
    ce::window::SetMessageTraceHook([&](ce::window::TraceKind kind, const MSG& m) {
      if (kind == ce::window::TraceKind::kPosted && m.message == WM_SYSCOMMAND && m.wParam == SC_CLOSE)
        posted.push_back(m.message);
    });
    app->mainWindow = window;
    if (c.answer) ce::scripted::User::Get().AnswerBox(c.answer);
    EXPECT_EQ(MainWndProc(window, kMsgGpsUpdate, 0, c.code), c.result);
    ce::window::SetMessageTraceHook(nullptr);
    EXPECT_EQ(app->mapCentre.lon, kHome.lon);  // the position is taken first in every case
    EXPECT_EQ(!posted.empty(), c.closePosted);
    EXPECT_EQ(app->simulator, c.simulator);
    EXPECT_EQ(IsWindow(window) != FALSE, c.code != E_ABORT);
    if (c.result == 1) {
      const GpsStatus s = GetGpsStatus(app->gps);
      EXPECT_EQ(s.position.lat, kHome.lat);
      EXPECT_FLOAT_EQ(s.groundSpeedMs, 150.0f);
      EXPECT_EQ(s.track, 45);
    }
    if (IsWindow(window)) DestroyWindow(window);
  }
  app->mainWindow = NewWindow();
}

TEST_F(GpsUpdateTest, CirclingTurnsTheMapNorthUpAndBackWhenTheOptionIsOn) {
  FixBufferReserve(app->gps, 16);
  app->firstFixAwaited = 0;
  for (bool option : {false, true}) {
    SCOPED_TRACE(option);
    FlightFixStepsReset();
    FixHandlingReset();
    ResetKeptSettings();
    if (option) SetOption(2, 2);
    KeptSettings().mapOrientation = 2;
    int t = 0;
    auto feed = [&](int track) {
      GpsFix fix;
      fix.position = kHome;
      fix.timeOfDay = static_cast<std::uint32_t>(36000 + t++);
      fix.track = static_cast<std::uint16_t>(track);
      fix.groundSpeed = 40.0f;
      StoreFix(app->gps, fix);
      Fix(kHome, 1000, 0, 40.0f);
    };
    for (int i = 0; i < 20; ++i) feed(90);
    for (int i = 0; i < 120; ++i) feed((i * 20) % 360);
    EXPECT_EQ(app->circling, 1);
    EXPECT_EQ(KeptSettings().mapOrientation, option ? 1 : 2);
    for (int i = 0; i < 40; ++i) feed(90);
    EXPECT_EQ(app->circling, 0);
    EXPECT_EQ(KeptSettings().mapOrientation, 2);
  }
}

TEST_F(GpsUpdateTest, AltitudeLimitWarnsAtTheLimitRepeatsAfterItsCountdownAndDisableTodayStopsIt) {
  app->firstFixAwaited = 0;
  app->suaDistY = 300;
  Rules().rule[kRuleStart].altitude = 3281;   // 1000 m
  Rules().rule[kRuleOnTask].altitude = 6562;  // 2000 m
  auto& user = ce::scripted::User::Get();

  Fix(kHome, 699);  // 699 + 300 is below the limit
  EXPECT_EQ(DialogCount(), 0);
  user.AnswerDialog({Click(1)});
  Fix(kHome, 700);  // exactly at the limit
  ASSERT_EQ(DialogCount(), 1);
  const std::vector<std::u16string> texts = DialogTexts();
  EXPECT_NE(std::find(texts.begin(), texts.end(), u"You are at: 700 m"), texts.end());
  EXPECT_NE(std::find(texts.begin(), texts.end(), u"Altitude Limit Before Start is: 1000 m"), texts.end());
  for (int i = 0; i < 29; ++i) Fix(kHome, 800);  // the countdown of 30 fixes
  EXPECT_EQ(DialogCount(), 1);
  user.AnswerDialog({Click(2)});  // "Disable Today"
  Fix(kHome, 800);
  EXPECT_EQ(DialogCount(), 2);
  for (int i = 0; i < 100; ++i) Fix(kHome, 800);
  EXPECT_EQ(DialogCount(), 2);

  // On task the on-task limit applies, in feet with that unit, and was not disabled.
  AchievedList().Append(TaskPoint{});
  app->altitudeUnit = 2;
  Fix(kHome, 1600);
  EXPECT_EQ(DialogCount(), 2);
  user.AnswerDialog({Click(1)});
  Fix(kHome, 1700);
  ASSERT_EQ(DialogCount(), 3);
  const std::vector<std::u16string> feet = DialogTexts();
  EXPECT_NE(std::find(feet.begin(), feet.end(), u"You are at: 5577 ft"), feet.end());
  EXPECT_NE(std::find(feet.begin(), feet.end(), u"Altitude Limit On Task is: 6561 ft"), feet.end());

  // A rule without a limit never warns.
  Rules().rule[kRuleOnTask].altitude = 0;
  for (int i = 0; i < 20; ++i) Fix(kHome, 9000);
  EXPECT_EQ(DialogCount(), 3);
}

TEST_F(GpsUpdateTest, AutomaticZoomNearTheTurnpointAndItsRestoreWhenTheTurnpointIsReached) {
  const std::vector<TaskPoint> wp = Waypoints({kHome, {kHome.lon, kHome.lat + 3234}, {kHome.lon, kHome.lat + 6468}});
  app->firstFixAwaited = 0;
  SetOption(1, 1);  // "Auto Zoom"
  SetOption(1, 2);  // "Auto Advance"
  Rules().rule[kRuleStart].type = 2;
  Rules().rule[kRuleOnTask].type = 2;
  Rules().rule[kRuleOnTask].width = 500;
  AchievedList().Append(wp[0]);
  ActiveTask().Append(wp[1]);
  ActiveTask().Append(wp[2]);
  app->navTarget = wp[1];
  app->zoomIndex = 6;
  const GeoPoint turnpoint{wp[1].lon, wp[1].lat};
  auto south = [&](std::int32_t units) { return GeoPoint{turnpoint.lon, turnpoint.lat - units}; };

  struct Step {
    GeoPoint at;
    std::int32_t mark;
    std::int32_t zoom;
    std::int32_t saved;
    std::int32_t achieved;
  };
  const Step steps[] = {
      {south(1200), 1, 6, -1, 1},  // about 3.7 km: no zoom
      {south(900), 1, 2, 6, 1},    // about 2.8 km: zoom in, once
      {south(800), 1, 2, 6, 1},
      {south(100), 0, 2, 6, 1},    // inside but not a task-check fix
      {south(100), 1, 6, -1, 2},   // reached: statistics, advance, zoom back
      {south(90), 1, 6, -1, 2},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.at.lat - turnpoint.lat);
    Fix(s.at, 500, s.mark);
    EXPECT_EQ(app->zoomIndex, s.zoom);
    EXPECT_EQ(app->savedZoomIndex, s.saved);
    EXPECT_EQ(AchievedList().Size(), s.achieved);
  }
  EXPECT_TRUE(Played(u"WindMax.wav"));
  EXPECT_EQ(Beeps(), 1);
  EXPECT_EQ(app->stats.lastPoint.index, wp[1].index);
  ASSERT_EQ(ActiveTask().Size(), 1);
  EXPECT_EQ(ActiveTask()[0].index, wp[2].index);

  // A zoom index of 1 is never changed; an area target never zooms.
  FixHandlingReset();
  app->navTarget = wp[2];
  app->zoomIndex = 1;
  Fix(GeoPoint{wp[2].lon, wp[2].lat - 900});
  EXPECT_EQ(app->zoomIndex, 1);
  app->zoomIndex = 6;
  app->navTarget.maxRadius = 1000;
  Fix(GeoPoint{wp[2].lon, wp[2].lat - 900});
  EXPECT_EQ(app->zoomIndex, 6);
}

// A "new go-to" (40044) just before the line starts the start-line watch afresh: the crossing that
// follows at once is not taken as the start.
TEST_F(GpsUpdateTest, CrossingTheStartLineStartsTheTaskUnlessManualArmingWaits) {
  // The task module reaches the navigation target through the program's hooks.
  const TaskHooks kept = TaskHooksInstalled();
  InstallTaskHooks();
  struct Case {
    bool armOption;
    std::uint8_t armed;
    bool started;
    bool newGoto = false;
  };
  for (const Case& c : {Case{false, 0, true}, Case{true, 0, false}, Case{true, 1, true}, Case{false, 0, false, true}}) {
    SCOPED_TRACE(c.armOption * 2 + c.armed + c.newGoto * 4);
    FixHandlingReset();
    ResetKeptSettings();
    ResetStartLineChecks();
    ActiveTask().SetSize(0);
    AchievedList().SetSize(0);
    const std::vector<TaskPoint> wp = Waypoints({kHome, {kHome.lon, kHome.lat + 3234}});
    ActiveTask().Append(wp[0]);
    ActiveTask().Append(wp[1]);
    Rules().rule[kRuleStart].type = 4;
    Rules().rule[kRuleStart].width = 2000;
    ComputeStartFinishGates();
    if (c.armOption) SetOption(3, 7);
    FixHandling().startArmed = c.armed;
    app->firstFixAwaited = 0;
    app->navTarget = wp[0];
    // Northward through the line across the first leg at the start.
    for (std::int32_t offset : {-250, -200, -150, -100, -50, 50, 100, 150}) {
      if (offset == 50 && c.newGoto) {
        ce::scripted::User::Get().AnswerDialog({Click(IDOK)});  // the point lists, closed
        MainWndProc(app->mainWindow, WM_COMMAND, kCmdNewGoto, 0);
      }
      Fix(GeoPoint{kHome.lon + 40, kHome.lat + offset});
    }
    EXPECT_EQ(AchievedList().Size(), c.started ? 1 : 0);
    EXPECT_EQ(app->taskStarted, c.started ? 1 : 0);
    // Once started, the next point is the target (no automatic zoom for the start just crossed).
    EXPECT_EQ(app->navTarget.lat, c.started ? wp[1].lat : wp[0].lat);
    app->taskStarted = 0;
  }
  TaskHooksInstalled() = kept;
}

}  // namespace
