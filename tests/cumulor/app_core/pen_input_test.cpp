// The pen on the map through the main window's messages: arrows that pan, search and steer the
// simulator by their length, a button-up already queued, the restore button, the corner boxes,
// the task-point buttons, the area target that follows the pen, the menu tab and the navigation
// boxes.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "cumulor/app/core/airspace_link.h"
#include "cumulor/app/core/aviation_reload.h"
#include "cumulor/app/core/commands.h"
#include "cumulor/app/core/map_ops.h"
#include "cumulor/app/core/map_paint.h"
#include "cumulor/app/core/gps_update.h"
#include "cumulor/app/core/main_window.h"
#include "cumulor/app/core/map_layers_link.h"
#include "cumulor/app/core/navbox_link.h"
#include "cumulor/app/core/pen_input.h"
#include "cumulor/app/core/pen_links.h"
#include "cumulor/app/core/settings_document.h"
#include "cumulor/data/aero/ka1_reader.h"
#include "cumulor/data/airspace/airspace_lock.h"
#include "cumulor/data/points/aero_tables.h"
#include "cumulor/data/aero/point_tables.h"
#include "cumulor/data/aero/tile_cache.h"
#include "cumulor/data/airspace/airspace_reader.h"
#include "cumulor/data/files/data_files.h"
#include "cumulor/map/settings/map_settings_link.h"
#include "platform/gdi/gdi.h"
#include "platform/gdi/gdi_seams.h"
#include "cumulor/data/points/point_db.h"
#include "cumulor/data/task/task_slots.h"
#include "cumulor/map/labels/label_list.h"
#include "cumulor/map/menus/menu_bar.h"
#include "cumulor/map/navbox/nav_box_set.h"
#include "cumulor/map/tap/map_tap.h"
#include "cumulor/nav/geo/geodesy.h"
#include "cumulor/nav/gps/gps_port.h"
#include "platform/dialogs/message_box.h"
#include "platform/resources/resources.h"
#include "tests/cumulor/app_core/app_fixture.h"

using namespace cumulor;

namespace {

constexpr std::int32_t kDeg = 36000;
constexpr GeoPoint kHome{11 * kDeg, 47 * kDeg};
constexpr POINT kDown{60, 160};  // free map: no box or button there

LRESULT PenProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  return DefWindowProcW(window, message, wparam, lparam);
}

// The airports' search record, which the search arrow sets.
const SearchRecord& Search() { return PointTableOf(kPointAirport).search; }

LPARAM At(POINT p) { return MAKELPARAM(static_cast<WORD>(p.x), static_cast<WORD>(p.y)); }

// A map at 20 km around home after the first fix, on a window that keeps its queue.
class PenTest : public cumulor_test::AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    // No waypoint browser registered (an earlier test of the program may have done so): the
    // search arrow's command then opens nothing and the search stays as the arrow set it.
    SetDialogProcedure(162, nullptr);
    PenReset();
    ResetSearchStates();
    PenTargetRects() = PenTargets{};
    ResetKeptSettings();
    FixHandlingReset();
    WNDCLASSW wc{};
    wc.lpfnWndProc = PenProc;
    wc.lpszClassName = u"PenTestWindow";
    RegisterClassW(&wc);
    app->mainWindow = CreateWindowExW(0, u"PenTestWindow", u"", 0, 0, 0, 240, 320, nullptr, nullptr, nullptr, nullptr);
    app->firstFixAwaited = 0;
    app->mapRect = RECT{0, 0, 240, 320};
    SetGpsPosition(app->gps, kHome);
    app->mapCentre = kHome;
    MapSetScreenRect(app->map, app->mapRect);
    MapSetRegion(app->map, GeoRect{kHome.lon - kDeg, kHome.lat + kDeg, kHome.lon + kDeg, kHome.lat - kDeg}, kHome);
    MapSetScale(app->map, 20);
    MapSetView(app->map, kHome.lon, kHome.lat, 0);
  }
  void TearDown() override {
    PenReset();
    if (IsWindow(app->mainWindow)) DestroyWindow(app->mainWindow);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
    UnregisterClassW(u"PenTestWindow", nullptr);
    UserWaypoints().records.SetSize(0);
    UserWaypoints().names.SetSize(0);
    FrameLabels().entries.SetSize(0);
    ResetKeptSettings();
    AppTest::TearDown();
  }
  // Pen down, moves to the end point, pen up there.
  void Arrow(POINT from, POINT to) {
    MainWndProc(app->mainWindow, WM_LBUTTONDOWN, MK_LBUTTON, At(from));
    const POINT half{(from.x + to.x) / 2, (from.y + to.y) / 2};
    MainWndProc(app->mainWindow, WM_MOUSEMOVE, MK_LBUTTON, At(half));
    MainWndProc(app->mainWindow, WM_MOUSEMOVE, MK_LBUTTON, At(to));
    MainWndProc(app->mainWindow, WM_LBUTTONUP, 0, At(to));
  }
  void Tap(POINT at) {
    MainWndProc(app->mainWindow, WM_LBUTTONDOWN, MK_LBUTTON, At(at));
    MainWndProc(app->mainWindow, WM_LBUTTONUP, 0, At(at));
  }
  static POINT Right(std::int32_t d) { return POINT{kDown.x + d, kDown.y}; }
};

TEST_F(PenTest, ArrowLengthDecidesBetweenNothingPanNearSearchAndSearchAll) {
  struct Case {
    std::int32_t length;
    bool moves;                 // a pan arrow moves the map
    bool searches;              // a search arrow searches
    std::uint32_t range;
  };
  const Case cases[] = {
      {10, false, false, 0},      {41, false, false, 0},
      {42, true, true, kNearSearchRange},  {109, true, true, kNearSearchRange},
      {110, true, true, kAllSearchRange},  {150, true, true, kAllSearchRange},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.length);
    // Pan arrow (mark flag clear).
    Pen().markFlag = 0;
    app->map.panX = app->map.panY = 0;
    FixHandling().recentreRequest = 0;
    Arrow(kDown, Right(c.length));
    EXPECT_EQ(app->map.panX != 0, c.moves);
    EXPECT_EQ(app->map.panY, 0);  // a level arrow moves the map sideways only
    EXPECT_EQ(FixHandling().recentreRequest != 0, c.moves);
    EXPECT_EQ(app->dialogActive, 0);
    EXPECT_EQ(Pen().penDc, nullptr);

    // Search arrow (mark flag set): towards the east of a north-up map.
    Pen().markFlag = 1;
    ResetSearchStates();
    app->map.panX = app->map.panY = 0;
    Arrow(kDown, Right(c.length));
    EXPECT_EQ(Search().directionMode, c.searches);
    EXPECT_EQ(app->map.panX, 0);
    if (c.searches) {
      EXPECT_EQ(Search().maxDistance, c.range);
      EXPECT_EQ(Search().direction, 90);
      EXPECT_EQ(PointTableOf(kPointUserWaypoint).search.direction, 90);
    }
  }
  // The direction follows the map's rotation: up the screen on a map turned to 90 is east.
  app->mapRotation = 90;
  ResetSearchStates();
  Arrow(kDown, POINT{kDown.x, kDown.y - 120});
  EXPECT_EQ(Search().direction, 90);
  Arrow(kDown, POINT{kDown.x - 120, kDown.y});  // left: north
  EXPECT_EQ(Search().direction, 0);
}

// An armed tap mode takes the tap before any arrow: the action runs at the tapped position and
// disarms; a tap within 20 pixels of the aircraft only disarms.
TEST_F(PenTest, AnArmedTapModeActsAtTheTapInsteadOfStartingAnArrow) {
  static std::vector<GeoPoint> created;
  created.clear();
  MapTapHooks hooks;
  hooks.createWaypoint = [](const GeoPoint& at) { created.push_back(at); };
  SetMapTapHooks(std::move(hooks));
  app->screen.gliderPoint = POINT{kDown.x + 19, kDown.y};
  for (const bool far : {true, false}) {
    MapTap() = MapTapState{};
    MapTap().armed = 1;
    MapTap().mode = kTapCreate;
    if (far) app->screen.gliderPoint = POINT{kDown.x + 20, kDown.y};
    else app->screen.gliderPoint = POINT{kDown.x + 19, kDown.y};
    MainWndProc(app->mainWindow, WM_LBUTTONDOWN, MK_LBUTTON, At(kDown));
    EXPECT_EQ(MapTap().armed, 0);
    EXPECT_FALSE(Pen().arrowDrag);
    EXPECT_EQ(app->dialogActive, 0);
    MainWndProc(app->mainWindow, WM_LBUTTONUP, 0, At(kDown));
  }
  ASSERT_EQ(created.size(), 1u);
  GeoPoint expected;
  MapScreenToWorld(app->map, expected, kDown);
  EXPECT_EQ(created[0], expected);
  SetMapTapHooks({});
  MapTap() = MapTapState{};
}

TEST_F(PenTest, SimulatorArrowFromTheGliderSetsSpeedAndTrackOrTheReplayPace) {
  app->simulator = 1;
  app->screen.gliderPoint = kDown;  // where the frame drew the glider
  struct Case {
    std::int32_t length;
    float speed;
  };
  for (const Case& c : {Case{20, 100.0f}, Case{30, 150.0f}, Case{70, 150.0f}, Case{10, 50.0f}}) {
    SCOPED_TRACE(c.length);
    Arrow(kDown, POINT{kDown.x, kDown.y + c.length});  // down the screen: south
    const GpsStatus s = GetGpsStatus(app->gps);
    EXPECT_FLOAT_EQ(s.groundSpeedMs, c.speed);
    EXPECT_NEAR(s.groundSpeedKn, c.speed * 1.943844494119952, 1e-3);
    EXPECT_EQ(s.track, 180);
    EXPECT_EQ(app->map.panX, 0);  // a simulator arrow never pans
  }
  // Outside the glider's box the same arrow pans.
  app->screen.gliderPoint = POINT{200, 300};
  Arrow(kDown, Right(60));
  EXPECT_NE(app->map.panX, 0);

  // During a replay the arrow sets the replay's step time.
  app->screen.gliderPoint = kDown;  // where the frame drew the glider
  app->gps.replayActive = 1;
  struct Pace {
    std::int32_t length;
    std::int32_t ms;
  };
  for (const Pace& p : {Pace{5, 2000}, Pace{10, 1800}, Pace{50, 1000}, Pace{99, 20}, Pace{100, 100}, Pace{140, 100}}) {
    SCOPED_TRACE(p.length);
    Arrow(kDown, Right(p.length));
    EXPECT_EQ(app->gps.stepTime, p.ms);
  }
  app->gps.replayActive = 0;
}

TEST_F(PenTest, AQueuedButtonUpPreventsTheDragAndATapBeforeTheFirstFixAsksToQuit) {
  for (bool queued : {false, true}) {
    SCOPED_TRACE(queued);
    if (queued) PostMessageW(app->mainWindow, WM_LBUTTONUP, 0, At(kDown));
    MainWndProc(app->mainWindow, WM_LBUTTONDOWN, MK_LBUTTON, At(kDown));
    EXPECT_EQ(Pen().arrowDrag, !queued);
    EXPECT_EQ(app->dialogActive != 0, !queued);
    EXPECT_EQ(Pen().penDc != nullptr, !queued);
    MainWndProc(app->mainWindow, WM_LBUTTONUP, 0, At(kDown));
    EXPECT_FALSE(Pen().arrowDrag);
    EXPECT_EQ(app->dialogActive, 0);
    MSG msg;
    while (PeekMessageW(&msg, app->mainWindow, 0, 0, PM_REMOVE)) {
    }
  }
  app->firstFixAwaited = 1;
  MainWndProc(app->mainWindow, WM_LBUTTONDOWN, MK_LBUTTON, At(kDown));
  EXPECT_FALSE(Pen().arrowDrag);
  MSG msg;
  ASSERT_TRUE(PeekMessageW(&msg, app->mainWindow, WM_COMMAND, WM_COMMAND, PM_REMOVE));
  EXPECT_EQ(LOWORD(msg.wParam), 40034);
}

TEST_F(PenTest, CornerBoxesCycleTheOrientationToggleTheMarkAndRestoreTheMap) {
  LayoutPenTargets(PenTargetRects(), app->mapRect, 0, false);
  const RECT o = PenTargetRects().orientationBox;
  const POINT orientation{(o.left + o.right) / 2, (o.top + o.bottom) / 2};
  std::vector<std::int32_t> seen;
  for (int i = 0; i < 4; ++i) {
    Tap(orientation);
    seen.push_back(KeptSettings().mapOrientation);
  }
  EXPECT_EQ(seen, (std::vector<std::int32_t>{2, 3, 1, 2}));

  Tap(POINT{5, 5});  // the mark box
  EXPECT_EQ(Pen().markFlag, 1);
  EXPECT_EQ(app->screen.markFlag, 1);  // the frame draws "G"
  EXPECT_TRUE(Played(u"Asterisk.wav"));
  Tap(POINT{5, 5});
  EXPECT_EQ(Pen().markFlag, 0);
  EXPECT_EQ(app->screen.markFlag, 0);

  // The restore button only answers while the map is panned away.
  const RECT r = PenTargetRects().restoreButton;
  const POINT restore{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  Arrow(kDown, Right(80));
  ASSERT_NE(app->map.panX, 0);
  FixHandling().recentreRequest = 0;
  Tap(restore);
  EXPECT_EQ(app->map.panX, 0);
  EXPECT_EQ(app->map.panY, 0);
  EXPECT_EQ(app->fixCycle, 2);
  EXPECT_EQ(FixHandling().recentreRequest, 1);
  WCHAR text[64] = {};
  EXPECT_GT(LoadStringW(app->instance, 31, text, 64), 0);
  EXPECT_EQ(std::u16string(text), u"Restoring Map Position...");
}

TEST_F(PenTest, APanArrowReleasedOnATaskPointButtonShowsThatPoint) {
  UserWaypointTable& t = UserWaypoints();
  t.records.SetSize(4);
  t.names.SetSize(4);
  std::vector<GeoPoint> points{kHome, {kHome.lon + 9000, kHome.lat + 4000}, {kHome.lon - 5000, kHome.lat + 8000}};
  for (std::int32_t i = 0; i < 3; ++i) {
    t.records[i + 1].position = points[static_cast<std::size_t>(i)];
    TaskPoint p;
    p.kind = kPointUserWaypoint;
    p.index = i + 1;
    ActiveTask().Append(p);
  }
  // Two buttons (task size - 1) of half the width each, below the banner.
  MainWndProc(app->mainWindow, WM_LBUTTONDOWN, MK_LBUTTON, At(kDown));
  ASSERT_EQ(Pen().buttonCount, 2);
  EXPECT_EQ(Pen().buttonRect[1].left, 120);
  const POINT onSecond{180, Pen().buttonRect[1].top + 10};
  MainWndProc(app->mainWindow, WM_MOUSEMOVE, MK_LBUTTON, At(onSecond));
  MainWndProc(app->mainWindow, WM_LBUTTONUP, 0, At(onSecond));
  EXPECT_EQ(app->map.panX, points[1].lon - kHome.lon);
  EXPECT_EQ(app->map.panY, points[1].lat - kHome.lat);
  EXPECT_EQ(app->fixCycle, 2);
}

TEST_F(PenTest, AnAreaTargetFollowsThePenWithinItsRadiiAndRadials) {
  UserWaypointTable& t = UserWaypoints();
  t.records.SetSize(2);
  t.names.SetSize(2);
  t.records[1].position = kHome;
  TaskPoint area;
  area.kind = kPointUserWaypoint;
  area.index = 1;
  area.lon = kHome.lon;
  area.lat = kHome.lat + 1000;
  area.minRadius = 1000;
  area.maxRadius = 8000;
  area.startRadial = 0;
  area.endRadial = 90;
  ActiveTask().Append(area);
  app->navTarget = area;
  POINT centre{};
  MapWorldToScreen(app->map, centre, kHome);
  LabelEntry* label = LabelAppend(FrameLabels(), area);
  ASSERT_NE(label, nullptr);
  label->rect = RECT{centre.x - 10, centre.y - 10, centre.x + 10, centre.y + 10};
  app->map.displayFlags |= 0x80;  // the radial check

  MainWndProc(app->mainWindow, WM_LBUTTONDOWN, MK_LBUTTON, At(centre));
  ASSERT_TRUE(Pen().areaDrag);
  EXPECT_EQ(app->dialogActive, 1);
  struct Step {
    POINT at;
    bool moves;
  };
  const Step steps[] = {
      {{centre.x + 40, centre.y}, true},    // east, inside both radii
      {{centre.x, centre.y - 40}, true},    // north
      {{centre.x - 40, centre.y}, false},   // west: outside the radials
      {{centre.x + 2, centre.y}, false},    // inside the minimum radius
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.at.x * 1000 + s.at.y);
    const TaskPoint before = ActiveTask()[0];
    MainWndProc(app->mainWindow, WM_MOUSEMOVE, MK_LBUTTON, At(s.at));
    const TaskPoint after = ActiveTask()[0];
    EXPECT_EQ(after.lon != before.lon || after.lat != before.lat, s.moves);
    if (!s.moves) continue;
    // The target lies under the pen: east of the centre for the first step, north for the second.
    double bearing = 0;
    GeoBearing(bearing, kHome, GeoPoint{after.lon, after.lat});
    const int degrees = static_cast<int>(bearing * 57.2957795131 + 0.5) % 360;
    EXPECT_NEAR(degrees, s.at.x > centre.x ? 90 : 0, 1);
    EXPECT_EQ(app->navTarget.lon, after.lon);
  }
  MainWndProc(app->mainWindow, WM_LBUTTONUP, 0, At(steps[1].at));
  EXPECT_FALSE(Pen().areaDrag);
  EXPECT_EQ(app->dialogActive, 0);
  EXPECT_EQ(Pen().penDc, nullptr);
}

// The menu tab opens the menu on the first tap and swallows its pen-up; a box dragged through the
// main window moves without panning the map; a tap on the "Start" box asks to go on to the next
// waypoint only while the frame allows starting.
TEST_F(PenTest, TheMenuTabAndTheBoxesTakeThePenBeforeTheMap) {
  MenuLayout(app->menu, app->mapRect);
  MainWndProc(app->mainWindow, WM_LBUTTONDOWN, MK_LBUTTON, At(POINT{120, 10}));
  MainWndProc(app->mainWindow, WM_LBUTTONUP, 0, At(POINT{120, 10}));
  EXPECT_EQ(app->menu.open, 1u);
  EXPECT_EQ(app->menu.pageNumber, 1);
  EXPECT_FALSE(Pen().arrowDrag);
  MenuClose(app->menu);

  InstallNavBoxHooks(*app);
  NavBoxSet& set = app->navBoxes;
  set.window = app->mainWindow;
  NavBoxSetResize(set, app->mapRect, app->mainWindow, false);
  NavBoxSetActivate(set);
  const RECT before = set.box[2].rect;
  ASSERT_EQ(before.bottom, 320);
  const POINT grab{(before.left + before.right) / 2, (before.top + before.bottom) / 2};
  Arrow(grab, POINT{grab.x, grab.y - 100});
  EXPECT_EQ(set.box[2].rect.bottom, 220);
  EXPECT_EQ(set.box[2].rect.left, before.left);
  EXPECT_EQ(app->map.panX, 0);
  EXPECT_EQ(app->map.panY, 0);
  EXPECT_EQ(app->dialogActive, 0);

  auto& user = ce::scripted::User::Get();
  const RECT start = set.box[kNavBoxStart].rect;
  const POINT tap{(start.left + start.right) / 2, (start.top + start.bottom) / 2};
  for (const bool allowed : {false, true}) {
    SCOPED_TRACE(allowed);
    NavBoxStartAllowed() = allowed;
    const std::size_t shown = user.shown().size();
    user.AnswerBox(IDNO);
    MainWndProc(app->mainWindow, WM_LBUTTONDOWN, MK_LBUTTON, At(tap));
    MainWndProc(app->mainWindow, WM_LBUTTONUP, 0, At(tap));
    ASSERT_EQ(user.shown().size(), shown + (allowed ? 1 : 0));
    if (allowed) {
      EXPECT_EQ(user.shown().back().title, u"Next Wpt");
    }
    EXPECT_EQ(set.box[kNavBoxStart].rect.left, start.left);
    EXPECT_EQ(app->dialogActive, 0);
  }
  NavBoxStartAllowed() = false;
  NavBoxSetGlobal() = nullptr;
  user.Reset();
}

// A double tap on the map shows what a label stands for: the label of a file airspace opens its
// popup (group and name, floor and ceiling) whose button switches the airspace off for the day
// and, tapped again, on; the label of a database airspace puts it into the information box.
// The frame with the popup is left as airspace_popup.png.
TEST_F(PenTest, ADoubleTapOnAnAirspaceLabelShowsItAndItsButtonSwitchesIt) {
  std::ofstream(device_folder() / "root" / "air.txt")
      << "AC R\nAN TEST AREA\nAL SFC\nAH 3000 MSL\nDP 46:57:00 N 010:56:00 E\nDP 47:03:00 N 010:56:00 E\n"
         "DP 47:03:00 N 011:04:00 E\nDP 46:57:00 N 011:04:00 E\n";
  // A database airspace 0.08 degree north of home, on the screen beside the file airspace.
  const GeoPoint db{kHome.lon, kHome.lat + 2900};
  const std::string w = std::to_string(db.lon - 600), e = std::to_string(db.lon + 600);
  const std::string south = std::to_string(db.lat - 600), north = std::to_string(db.lat + 600);
  ASSERT_TRUE(cumulor_test::WriteGeneratedKa1(device_folder() / "root" / "Aero" / "air.ka1",
                                              "region Austria||AT|2\nuses 1\nairspace 1|12|ED-R1|RANGE|" + w + "|" +
                                                  north + "|" + e + "|" + south + "|" + w + "," + south + ";" + e +
                                                  "," + south + ";" + std::to_string(db.lon) + "," + north + "\n"));
  SetDataFilesFolder(u"\\Aero");
  DataFileEntry file = NewDataFileEntry();
  SetEntryText(file.name, u"air.ka1");
  SelectedDataFiles()[kFilesAviationDb].selected.Append(file);
  DataFileEntry country = NewDataFileEntry();
  SetEntryText(country.name, u"Austria");
  SelectedDataFiles()[kFilesCountries].selected.Append(country);
  OnCommand(*app, kCmdReloadAviationData, 100);
  ASSERT_EQ(AeroData().airspaces.size(), 1u);
  InstallAirspaceUi(*app);
  ASSERT_EQ(AirspaceLoadFiles(app->airspace, {u"\\air.txt"}), S_OK);

  // A frame at 20 km with the file and database airspaces shown and labelled.
  app->zoomIndex = 4;
  app->map.displayFlags |= kShowFileAirspace | kShowDbAirspace;
  app->airspace.showAeroAirspace = 1;
  {
    std::lock_guard lock(app->gps.dataLock);
    app->gps.publishedStatus.positionValid = 1;
    app->gps.publishedStatus.position = kHome;
  }
  HDC buffer = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(buffer, 240, 320);
  HGDIOBJ old = SelectObject(buffer, bitmap);
  app->map.dc = buffer;
  UpdateOwnPosition(*app, app->map.view, true);
  auto frame = [&] {
    PaintMapScreen(*app);
    EnterCriticalSection(&app->mainLock);
    const AirspaceShape& shape = app->airspace.group[kGroupRestricted].shapes.at(0);
    const RECT label = shape.labelCount > 0 ? shape.labelRects[0] : RECT{};
    LeaveCriticalSection(&app->mainLock);
    return label;
  };
  const AirspaceShape& shape = app->airspace.group[kGroupRestricted].shapes.at(0);
  const std::u16string group = app->airspace.group[kGroupRestricted].name;

  struct Step {
    std::int32_t state;       // the popup's button: 1 "Enable", 2 "Disable"
    std::uint32_t afterTap;   // the switch-off word after the button
    const char16_t* sound;
  };
  for (const Step& step : {Step{2, kAirspaceOffForTheDay, u"Splat.wav"}, Step{1, 0, u"Default.wav"}}) {
    SCOPED_TRACE(step.state);
    const RECT label = frame();
    ASSERT_FALSE(IsRectEmpty(&label));
    MainWndProc(app->mainWindow, WM_LBUTTONDBLCLK, 0, At(POINT{(label.left + label.right) / 2, label.top + 2}));
    ASSERT_EQ(app->map.popup.shown, 1);
    EXPECT_EQ(app->map.popup.kind, 1);
    EXPECT_EQ(app->map.popup.state, step.state);
    ASSERT_NE(app->map.popup.text, nullptr);
    EXPECT_EQ(std::u16string(app->map.popup.text), group + u": TEST AREA\nSFC-3000 MSL\n");
    if (step.state == 2) {
      PaintMapScreen(*app);
      EXPECT_TRUE(ce::gdi::SaveBitmapPng(bitmap, "airspace_popup.png"));
    }
    const RECT button = app->map.popup.buttons[0];
    ce::sound::ClearRecordedEffects();
    Tap(POINT{(button.left + button.right) / 2, (button.top + button.bottom) / 2});
    EXPECT_EQ(app->map.popup.shown, 0);
    EXPECT_EQ(SwitchedOffUntil(shape), step.afterTap);
    EXPECT_TRUE(Played(step.sound));
  }

  // The database airspace's label: it becomes the one the information box shows.
  frame();
  EnterCriticalSection(&app->mainLock);
  const RECT dbLabel = FrameLabels().airspaceRects.empty() ? RECT{} : FrameLabels().airspaceRects[0];
  LeaveCriticalSection(&app->mainLock);
  ASSERT_FALSE(IsRectEmpty(&dbLabel));
  AeroAirspaceState().shown = -1;
  MainWndProc(app->mainWindow, WM_LBUTTONDBLCLK, 0, At(POINT{(dbLabel.left + dbLabel.right) / 2, dbLabel.top + 1}));
  EXPECT_EQ(AeroAirspaceState().shown.load(), 0);

  AeroAirspaceState().shown = -1;
  app->map.dc = nullptr;
  SelectObject(buffer, old);
  DeleteObject(bitmap);
  DeleteDC(buffer);
  TileCache tiles;
  AeroDbClear(AeroData(), tiles);
  SelectedDataFiles()[kFilesAviationDb].selected.SetSize(0);
  SelectedDataFiles()[kFilesCountries].selected.SetSize(0);
}

TEST(PenRadialRange, InclusiveRangesWrapThroughNorthAndRefuseNegativeAngles) {
  struct Case {
    std::int32_t start, end, angle;
    bool inside;
  };
  const Case cases[] = {
      {30, 30, 200, true},  {10, 90, 10, true},   {10, 90, 90, true},    {10, 90, 91, false},
      {300, 60, 330, true}, {300, 60, 0, true},   {300, 60, 60, true},   {300, 60, 180, false},
      {300, 60, -10, false}, {10, 90, -5, false},
  };
  for (const Case& c : cases) {
    TaskPoint p;
    p.startRadial = c.start;
    p.endRadial = c.end;
    EXPECT_EQ(AngleInRadialRange(p, c.angle), c.inside) << c.start << ".." << c.end << " at " << c.angle;
  }
}

}  // namespace
