// The map screen in the test process: a frame painted on a prepared state (saved as PNG), WM_PAINT
// while a dialog runs, the see-through airspace limit, the task overlay's sector symbols, the
// default map centre, the final-glide box (deadline text, automatic MacCready), and at both screen
// sizes the labels' places (the vector map's places and spot heights among them, a waypoint's
// label under an opaque area) and the navigation boxes with wide values.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "cumulor/app/core/final_glide_box.h"
#include "cumulor/app/core/map_ops.h"
#include "cumulor/app/core/map_paint.h"
#include "cumulor/app/core/map_layers_link.h"
#include "cumulor/app/core/navbox_link.h"
#include "cumulor/app/core/overlays.h"
#include "cumulor/app/core/settings_document.h"
#include "cumulor/app/core/vector_map_link.h"
#include "cumulor/data/aero/point_tables.h"
#include "cumulor/data/aero/tile_cache.h"
#include "cumulor/data/airspace/airspace_reader.h"
#include "cumulor/data/points/point_db.h"
#include "cumulor/data/task/task_rules.h"
#include "cumulor/data/task/task_slots.h"
#include "cumulor/data/kv3/map_objects.h"
#include "cumulor/data/waypoints/user_waypoint_store.h"
#include "cumulor/app/ui/fonts.h"
#include "cumulor/app/ui/screen_layout.h"
#include "cumulor/map/draw/map_marks.h"
#include "cumulor/map/draw/map_palette.h"
#include "cumulor/map/navbox/nav_box_set.h"
#include "cumulor/nav/polar/flight_state.h"
#include "cumulor/nav/polar/polar.h"
#include "cumulor/map/symbols/map_symbols.h"
#include "platform/display/display.h"
#include "platform/gdi/gdi.h"
#include "platform/gdi/gdi_surface.h"
#include "platform/time/time.h"
#include "platform/window/window.h"
#include "tests/cumulor/app_core/app_fixture.h"
#include "tests/testdata.h"

using namespace cumulor;

namespace {

constexpr std::int32_t kDeg = 36000;
constexpr GeoPoint kCentre{11 * kDeg, 47 * kDeg};

// A window whose procedure is the screen's handlers only (the start-up is not run).
LRESULT ScreenProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  AppContext* app = AppRecord();
  if (!app) return DefWindowProcW(window, message, wparam, lparam);
  switch (message) {
    case WM_CREATE: return OnMainWindowCreate(*app, window) < 0 ? -1 : 0;
    case WM_SIZE: OnMainWindowSize(*app); return 0;
    case WM_PAINT: OnMainWindowPaint(*app, window); return 0;
    case kMsgTransparentNotice: ShowTransparentAirspaceNotice(*app); return 0;
    default: return DefWindowProcW(window, message, wparam, lparam);
  }
}

std::int32_t Waypoint(const char* name, const GeoPoint& at, std::int16_t elevationFeet = 0) {
  WaypointRecord r;
  r.position = at;
  r.flags = 1 | kWaypointFoundByName;
  r.elevation = elevationFeet;
  const std::int32_t index = AddOrReplaceUserWaypoint(r, name);
  AeroTiles().AddItem(kTileUserWaypoints, at, static_cast<std::uint32_t>(index));
  return index;
}

TaskPoint PointOf(std::int32_t index) {
  TaskPoint p;
  p.kind = kPointUserWaypoint;
  p.index = index;
  return p;
}

// "DP" lines of a square of `size` minutes with its south-west corner at (lat, lon) minutes.
std::string Square(int latMinutes, int lonMinutes, int size) {
  auto dp = [](int lat, int lon) {
    char line[64];
    std::snprintf(line, sizeof line, "DP %02d:%02d:00 N %03d:%02d:00 E\n", lat / 60, lat % 60, lon / 60, lon % 60);
    return std::string(line);
  };
  return dp(latMinutes, lonMinutes) + dp(latMinutes + size, lonMinutes) + dp(latMinutes + size, lonMinutes + size) +
         dp(latMinutes, lonMinutes + size);
}

// An airspace block: a square of `halfLon` x `halfLat` units round `centre`.
std::string SquareAround(const char* name, const GeoPoint& centre, std::int32_t halfLon, std::int32_t halfLat) {
  auto dp = [](std::int32_t lat, std::int32_t lon) {
    const std::int32_t latSeconds = lat / 10;
    const std::int32_t lonSeconds = lon / 10;
    char line[64];
    std::snprintf(line, sizeof line, "DP %02d:%02d:%02d N %03d:%02d:%02d E\n", latSeconds / 3600, latSeconds / 60 % 60,
                  latSeconds % 60, lonSeconds / 3600, lonSeconds / 60 % 60, lonSeconds % 60);
    return std::string(line);
  };
  const GeoPoint& c = centre;
  return std::string("AC D\nAN ") + name + "\nAL SFC\nAH FL95\n" + dp(c.lat - halfLat, c.lon - halfLon) +
         dp(c.lat + halfLat, c.lon - halfLon) + dp(c.lat + halfLat, c.lon + halfLon) + dp(c.lat - halfLat, c.lon + halfLon);
}

bool Meet(const RECT& a, const RECT& b) {
  return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

bool Empty(const RECT& r) { return r.right <= r.left || r.bottom <= r.top; }

std::string Text(const RECT& r) {
  return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
         std::to_string(r.bottom) + ")";
}

class MapPaint : public cumulor_test::AppTest {
 public:
  void SetUp() override {
    AppTest::SetUp();
    ClearUserWaypoints();
    ResetKeptSettings();
    WNDCLASSW wc{};
    wc.lpfnWndProc = ScreenProc;
    wc.lpszClassName = u"CumulorScreenTest";
    RegisterClassW(&wc);
    window_ = CreateWindowExW(0, u"CumulorScreenTest", u"", WS_VISIBLE, 0, 0, 240, 320, nullptr, nullptr, nullptr,
                              nullptr);
    ASSERT_NE(window_, nullptr);
    OnMainWindowSize(*app);
  }
  void TearDown() override {
    if (screenSet_) {
      NavBoxSetGlobal() = nullptr;
      FontTableFree();
      ce::display::SetScreenSize(ce::display::kPortrait);
      GetDesktopRect();
      PointTableOf(kPointUserWaypoint).displayFlag = keptWaypointFlag_;
    }
    DestroyWindow(window_);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
    UnregisterClassW(u"CumulorScreenTest", nullptr);
    ClearUserWaypoints();
    BuildPointIndexes(0);
    ResetKeptSettings();
    Rules() = TaskRules{};
    AppTest::TearDown();
  }
  // The map over `centre` (11 E, 47 N unless given) at zoom step `zoom`, with a valid fix there at
  // 1500 m.
  void Prepare(std::int32_t zoom = 4, const GeoPoint& centre = kCentre) {
    app->firstFixAwaited = 0;
    app->zoomIndex = zoom;
    app->mapCentre = centre;
    {
      std::lock_guard lock(app->gps.dataLock);
      app->gps.publishedStatus.positionValid = 1;
      app->gps.publishedStatus.position = centre;
      app->gps.publishedStatus.track = 45;
      app->gps.publishedStatus.groundSpeedKn = 50;
      app->gps.publishedStatus.altitude = 1500;
    }
    SetFlightParameter(app->flight, kParamAltitude, 1500, 1);
    LoadBuiltinPolar(app->flight, nullptr);
    ComputePolar(app->flight);
    MapSymbolsInit(false);
    MapSymbolsAttachView(&app->map);
    MapSetRegion(app->map, GeoRect{centre.lon - kDeg, centre.lat + kDeg, centre.lon + kDeg, centre.lat - kDeg}, centre);
    MapSetScale(app->map, kZoomTable[zoom]);
    MapSetView(app->map, centre.lon, centre.lat, 0);
    BuildPointIndexes(0);
    UpdateOwnPosition(*app, app->map.view, true);
  }
  void LoadAirspace(const std::string& text) {
    std::ofstream(device_folder() / "root" / "air.txt") << text;
    ASSERT_EQ(AirspaceLoadFiles(app->airspace, {u"\\air.txt"}), S_OK);
  }
  // Pixels of the back buffer with exactly this colour.
  std::int32_t CountColour(COLORREF colour) {
    std::int32_t n = 0;
    for (int y = 0; y < 320; ++y)
      for (int x = 0; x < 240; ++x) n += GetPixel(app->map.dc, x, y) == colour;
    return n;
  }
  std::int32_t NoticesQueued() {
    std::int32_t n = 0;
    MSG msg;
    while (PeekMessageW(&msg, window_, kMsgTransparentNotice, kMsgTransparentNotice, PM_REMOVE)) ++n;
    return n;
  }

  // The screen of that size, with the program's fonts for it and the window filling it.
  void UseScreen(ce::display::ScreenSize size) {
    ASSERT_TRUE(ce::display::SetScreenSize(size));
    screenSet_ = true;
    keptWaypointFlag_ = PointTableOf(kPointUserWaypoint).displayFlag;
    GetDesktopRect();  // the large-screen flag the fonts follow
    FontTableInit();
    SetWindowPos(window_, nullptr, 0, 0, size.width, size.height, SWP_NOZORDER | SWP_NOACTIVATE);
    OnMainWindowSize(*app);
    ASSERT_EQ(app->mapRect.right, size.width);
  }
  // The place on the map shown at this screen point.
  GeoPoint WorldAt(LONG x, LONG y) {
    GeoPoint g{};
    MapScreenToWorld(app->map, g, POINT{x, y});
    return g;
  }
  void SaveScreen(const std::string& name) {
    EXPECT_TRUE(ce::display::SaveScreenshot(std::filesystem::current_path() / name));
  }

  // The back buffer's pixels (0x00RRGGBB, rows top-down).
  std::vector<std::uint32_t> Pixels() {
    std::vector<std::uint32_t> pixels;
    int width = 0, height = 0;
    EXPECT_TRUE(ce::gdi::CopyBitmapPixels(app->screen.bitmap, pixels, width, height));
    EXPECT_EQ(width, app->screen.width);
    return pixels;
  }

  HWND window_ = nullptr;
  bool screenSet_ = false;
  decltype(PointTable::displayFlag) keptWaypointFlag_{};
};

TEST_F(MapPaint, AFrameOfAPreparedFlightShowsMapAirspaceTaskGliderAndTheGlideBox) {
  LoadAirspace("AC R\nAN RESTRICTED\nAL SFC\nAH FL95\n" + Square(47 * 60 + 1, 11 * 60 + 1, 3) +
               "AC D\nAN SEE THROUGH\nAL 2000 MSL\nAH FL65\nV T=1\n" + Square(47 * 60 - 4, 11 * 60 - 5, 3));
  const std::int32_t start = Waypoint("Start", GeoPoint{kCentre.lon - 2400, kCentre.lat - 3000}, 1500);
  const std::int32_t turn = Waypoint("Turn", GeoPoint{kCentre.lon + 2600, kCentre.lat + 3300}, 1800);
  const std::int32_t home = Waypoint("Home", GeoPoint{kCentre.lon - 3500, kCentre.lat + 1800}, 1200);
  ActiveTask().Append(PointOf(turn));
  ActiveTask().Append(PointOf(home));
  AchievedList().Append(PointOf(start));
  app->navTarget = PointOf(turn);
  app->finalGlideOn = 1;
  app->labelsShown = 1;
  KeptSettings().labelLength = 8;
  Rules().rule[kRuleOnTask].type = 3;
  Rules().rule[kRuleOnTask].width = 3000;
  Prepare();

  PaintMapScreen(*app);
  // The restricted area (north-east of the glider) is filled, the see-through one is not.
  POINT restricted;
  MapWorldToScreen(app->map, restricted, GeoPoint{11 * kDeg + 1500, 47 * kDeg + 1500});
  EXPECT_NE(GetPixel(app->map.dc, restricted.x, restricted.y), 0xFFFFFFu);
  EXPECT_NE(app->screen.glideAltitude.right, 0);
  // What the back buffer holds went to the screen.
  HDC screen = GetDC(window_);
  EXPECT_EQ(GetPixel(screen, restricted.x, restricted.y), GetPixel(app->map.dc, restricted.x, restricted.y));
  ReleaseDC(window_, screen);
  const std::filesystem::path png = std::filesystem::current_path() / "cumulor_map_frame.png";
  EXPECT_TRUE(ce::display::SaveScreenshot(png));
}

TEST_F(MapPaint, PaintDuringADialogOrBeforeTheFirstFixValidatesAndLeavesTheScreen) {
  Prepare();
  PaintMapScreen(*app);
  HDC screen = GetDC(window_);
  const COLORREF shown = GetPixel(screen, 5, 300);
  ReleaseDC(window_, screen);
  // The back buffer changes; a WM_PAINT while a dialog runs (or before the first fix) copies
  // nothing, yet the region is validated: no WM_PAINT follows at once.
  RECT all{0, 0, 240, 320};
  for (int awaited : {0, 1}) {
    SCOPED_TRACE(awaited);
    FillRect(app->map.dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    app->dialogActive = awaited ? 0 : 1;
    app->firstFixAwaited = awaited;
    InvalidateRect(window_, nullptr, FALSE);
    UpdateWindow(window_);
    RECT update{};
    EXPECT_FALSE(GetUpdateRect(window_, &update, FALSE));
    screen = GetDC(window_);
    EXPECT_EQ(GetPixel(screen, 5, 300), shown);
    ReleaseDC(window_, screen);
  }
  // Once both are clear the copy is made.
  app->dialogActive = 0;
  app->firstFixAwaited = 0;
  InvalidateRect(window_, nullptr, FALSE);
  UpdateWindow(window_);
  screen = GetDC(window_);
  EXPECT_EQ(GetPixel(screen, 5, 300), 0u);
  ReleaseDC(window_, screen);
}

TEST_F(MapPaint, TwoHundredSeeThroughShapesStopOnlyTheirCollectionAndNoticeOncePerLoad) {
  std::string text;
  for (int i = 0; i < 250; ++i) {
    text += "AC D\nAN T" + std::to_string(i) + "\nAL SFC\nAH FL65\nV T=1\n" +
            Square(47 * 60 - 3 + (i % 3), 11 * 60 - 3 + (i % 5), 1);
  }
  text += "AC R\nAN LATER GROUP\nAL SFC\nAH FL95\n" + Square(47 * 60 + 1, 11 * 60 + 1, 3);
  LoadAirspace(text);
  Prepare();
  EXPECT_EQ(DrawFileAirspaces(*app, false), kMaxTransparentAirspaces);
  // The later group is still drawn.
  POINT later;
  MapWorldToScreen(app->map, later, GeoPoint{11 * kDeg + 1500, 47 * kDeg + 1500});
  EXPECT_NE(GetPixel(app->map.dc, later.x, later.y), 0xFFFFFFu);
  // One notice for this load, however many frames meet the limit; the next load notices again.
  PaintMapScreen(*app);
  PaintMapScreen(*app);
  EXPECT_EQ(NoticesQueued(), 1);
  LoadAirspace(text);
  UpdateOwnPosition(*app, app->map.view, true);
  DrawFileAirspaces(*app, false);
  EXPECT_EQ(NoticesQueued(), 1);
  // The frame shows no box itself; the UI thread does, from the posted message.
  EXPECT_TRUE(ce::scripted::User::Get().shown().empty());
  DrawFileAirspaces(*app, false);
  LoadAirspace(text);
  UpdateOwnPosition(*app, app->map.view, true);
  DrawFileAirspaces(*app, false);
  MSG msg;
  ASSERT_TRUE(PeekMessageW(&msg, window_, kMsgTransparentNotice, kMsgTransparentNotice, PM_REMOVE));
  DispatchMessageW(&msg);
  ASSERT_EQ(ce::scripted::User::Get().shown().size(), 1u);
  EXPECT_EQ(ce::scripted::User::Get().shown()[0].texts.at(0), u"Too many transparent airspace segments");
  EXPECT_EQ(ce::scripted::User::Get().shown()[0].title, u"Cumulor");
}

TEST_F(MapPaint, SectorSymbolsOnlyBelow51KmAndNeverForAOnePointTask) {
  const std::int32_t start = Waypoint("Start", GeoPoint{kCentre.lon - 2400, kCentre.lat - 3000});
  const std::int32_t turn = Waypoint("Turn", GeoPoint{kCentre.lon + 1200, kCentre.lat + 1300});
  const std::int32_t last = Waypoint("Last", GeoPoint{kCentre.lon - 2500, kCentre.lat + 1800});
  Rules().rule[kRuleOnTask].type = 3;
  Rules().rule[kRuleOnTask].width = 3000;
  const COLORREF sectorBlue = 0xFF0000;  // the sector pen
  struct Case {
    std::int32_t zoom;
    bool onePoint;
    bool symbol;
  } cases[] = {{4, false, true}, {6, false, false}, {4, true, false}};
  RECT all{0, 0, 240, 320};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.zoom * 10 + c.onePoint);
    ActiveTask().SetSize(0);
    AchievedList().SetSize(0);
    AchievedList().Append(PointOf(start));
    ActiveTask().Append(PointOf(turn));
    if (!c.onePoint) ActiveTask().Append(PointOf(last));
    Prepare(c.zoom);
    FillRect(app->map.dc, &all, MapPens().stockWhite);
    DrawTaskOverlay(*app);
    EXPECT_EQ(CountColour(sectorBlue) > 0, c.symbol);
    EXPECT_EQ(app->screen.fewPoints, c.onePoint ? 1 : 0);
  }
  // A point whose reference is gone empties the active task.
  ActiveTask().Append(PointOf(9999));
  DrawTaskOverlay(*app);
  EXPECT_TRUE(ActiveTask().Empty());
}

TEST_F(MapPaint, RotationFollowsTheOrientationAndGoalUpWithoutATargetIsTrackUp) {
  Prepare();  // track 45
  const std::int32_t east = Waypoint("East", GeoPoint{kCentre.lon + 3000, kCentre.lat});
  BuildPointIndexes(0);
  struct Case {
    std::int32_t orientation;
    bool target;
    std::int32_t rotation;
  } cases[] = {{1, true, 0}, {2, true, 45}, {3, true, 89}, {3, false, 45}, {7, false, 33}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.orientation * 10 + c.target);
    app->mapRotation = 33;
    app->navTarget = c.target ? PointOf(east) : TaskPoint{};
    UpdateMapRotation(*app, c.orientation);
    EXPECT_EQ(app->mapRotation, c.rotation);
  }
}

TEST_F(MapPaint, TheDefaultCentreIsTheMiddleOfTheFileBoxWhileNoCentreIsSet) {
  struct Case {
    GeoRect box;  // west, north, east, south
    GeoPoint before;
    GeoPoint after;
  } cases[] = {
      {{10 * kDeg, 48 * kDeg, 12 * kDeg, 46 * kDeg}, {0, 0}, {11 * kDeg, 47 * kDeg}},
      {{-5 * kDeg, 52 * kDeg, 3 * kDeg, 50 * kDeg}, {0, 0}, {-1 * kDeg, 51 * kDeg}},
      {{6400000, 3200000, 6480000, 3240000}, {0, 0}, {6440000, 3220000}},
      {{10 * kDeg, 48 * kDeg, 12 * kDeg, 46 * kDeg}, {5, 0}, {5, 0}},
  };
  for (const Case& c : cases) {
    app->mapCentre = c.before;
    SetDefaultMapCentre(*app, c.box);
    EXPECT_EQ(app->mapCentre.lon, c.after.lon);
    EXPECT_EQ(app->mapCentre.lat, c.after.lat);
  }
}

TEST_F(MapPaint, GlideBoxTimeAgainstTheDeadlineAndItsEmptyCases) {
  Prepare();
  // Nothing to glide to: nothing is drawn.
  EXPECT_FALSE(ComputeFinalGlide(*app).drawn);
  // A started task at a fixed ETA speed, arriving ten minutes before the deadline.
  const std::int32_t start = Waypoint("Start", GeoPoint{kCentre.lon - 2400, kCentre.lat - 3000});
  const std::int32_t goal = Waypoint("Goal", GeoPoint{kCentre.lon + 20000, kCentre.lat}, 4921);  // 1500 m
  BuildPointIndexes(0);
  AchievedList().Append(PointOf(start));
  ActiveTask().Append(PointOf(goal));
  app->etaMode = 1;
  app->etaSpeed = 30.0;
  FinalGlideResult r = ComputeFinalGlide(*app);
  ASSERT_TRUE(r.drawn);
  EXPECT_EQ(r.timeText.back(), u'\n');
  SYSTEMTIME st{};
  GetLocalTime(&st);
  FILETIME ft{};
  SystemTimeToFileTime(&st, &ft);
  const std::int64_t now = static_cast<std::int64_t>((static_cast<std::uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime);
  app->taskDeadline = now + r.totalTime + 630LL * 10000000;
  EXPECT_EQ(ComputeFinalGlide(*app).timeText, u"-0:10\n");
  // At the finish elevation the glide ratio is 999.
  SetFlightParameter(app->flight, kParamAltitude, 1499, 1);
  EXPECT_EQ(ComputeFinalGlide(*app).glideRatio, 999);
}

TEST_F(MapPaint, AutomaticMacCreadyStepsByOneAndStopsAtZero) {
  const std::int32_t start = Waypoint("Start", GeoPoint{kCentre.lon - 2400, kCentre.lat - 3000});
  const std::int32_t near = Waypoint("Near", GeoPoint{kCentre.lon + 1000, kCentre.lat});
  const std::int32_t far = Waypoint("Far", GeoPoint{kCentre.lon + 80 * 1000, kCentre.lat});
  KeptSettings().options[1] |= 1u << 10;  // automatic MacCready
  struct Case {
    std::int32_t goal;
    std::int32_t altitude;
    float before;
    float after;
    const char16_t* sound;
  } cases[] = {
      {far, 300, 0.5f, 0.0f, u"Infend.wav"},   // below the glide: lowered, never below 0
      {far, 300, 0.0f, 0.0f, nullptr},         // already 0: unchanged
      {near, 3000, 2.0f, 2.0f, nullptr},       // a large surplus does not raise it above 1.0
      {near, 3000, 0.5f, 1.5f, u"Infbeg.wav"}, // raised by one while still above the glide
  };
  RECT anchor{0, 0, 240, 320};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.before);
    ActiveTask().SetSize(0);
    AchievedList().SetSize(0);
    AchievedList().Append(PointOf(start));
    ActiveTask().Append(PointOf(c.goal));
    Prepare();
    SetFlightParameter(app->flight, kParamAltitude, c.altitude, 1);
    SetMacCready(*app, c.before);
    ce::sound::ClearRecordedEffects();
    UpdateTaskTimeTexts(*app, app->map.dc, false, anchor);
    EXPECT_FLOAT_EQ(app->macCready, c.after);
    EXPECT_GE(GetFlightParameter(app->flight, kParamMacCready), 0);
    if (c.sound) {
      EXPECT_TRUE(Played(c.sound));
    } else {
      EXPECT_TRUE(ce::sound::RecordedEffects().empty());
    }
  }
}

// Two airspaces labelled at the same place, one labelled at the screen's left edge, one under the
// aircraft, one under the final-glide box, and a waypoint whose label runs into them: every label
// is drawn where it meets no other label, no point symbol and nothing the frame draws over the map
// (the program icon, the menu tab, the aircraft, the final-glide box with its chevrons), and lies
// wholly on the screen. Left as cumulor_labels_<size>.png.
void LabelsKeepClear(MapPaint& t, AppContext& app, ce::display::ScreenSize size) {
  const LONG w = size.width, h = size.height;
  t.Prepare();
  const GeoPoint origin = t.WorldAt(0, 0);
  const GeoPoint step = t.WorldAt(10, 10);
  const std::int32_t lonPerPixel = (step.lon - origin.lon) / 10;
  const std::int32_t latPerPixel = (origin.lat - step.lat) / 10;
  auto square = [&](const char* name, const GeoPoint& at, LONG half) {
    return SquareAround(name, at, half * lonPerPixel, half * latPerPixel);
  };
  const LONG k = w / 240;
  t.LoadAirspace(square("DEMO TMA", t.WorldAt(w / 2, h / 4), 40 * k) + square("DEMO CTA", t.WorldAt(w / 2, h / 4), 20 * k) +
                 square("ED-D DEMO 2", t.WorldAt(3, h / 2 - 30 * k), 15 * k) + square("CTR GLIDER", kCentre, 25 * k) +
                 square("GLIDE BOX", t.WorldAt(w - 30 * k, 75 * k), 10 * k));
  const std::int32_t gustorf = Waypoint("Gustorf", t.WorldAt(w / 2 - 25 * k, h / 4 - 6 * k));
  const std::int32_t goal = Waypoint("Goal", GeoPoint{kCentre.lon + 60000, kCentre.lat + 60000}, 1200);
  ActiveTask().Append(PointOf(goal));
  app.navTarget = PointOf(goal);
  app.finalGlideOn = 1;
  app.labelsShown = 1;
  KeptSettings().labelLength = 8;
  PointTableOf(kPointUserWaypoint).displayFlag = 1;
  t.Prepare();
  PaintMapScreen(app);
  t.SaveScreen("cumulor_labels_" + std::to_string(w) + "x" + std::to_string(h) + ".png");

  std::vector<std::pair<std::string, RECT>> labels;
  for (const AirspaceClassGroup& group : app.airspace.group)
    for (const AirspaceShape& shape : group.shapes)
      for (std::int32_t i = 0; i < shape.labelCount; ++i) {
        std::string name;
        for (const WCHAR* c = shape.name; *c; ++c) name.push_back(static_cast<char>(*c));
        labels.emplace_back(name, shape.labelRects[i]);
      }
  RECT waypointSymbol{};
  for (const LabelEntry& e : FrameLabels().entries) {
    if (e.kind != kPointUserWaypoint || e.index != gustorf) continue;
    labels.emplace_back("Gustorf", e.rect);
    POINT at{};
    MapWorldToScreen(app.map, at, UserWaypoints().records[gustorf].position);
    waypointSymbol = MapPointSymbolRect(app.map, at);
  }
  ASSERT_EQ(labels.size(), 6u);
  const LONG icon = w > 240 ? 64 : 32;
  const LONG glider = w > 240 ? 32 : 16;
  const POINT g = app.screen.gliderPoint;
  const RECT glideBox{app.screen.glideMacCready.left, app.screen.glideMacCready.top, app.screen.glideMacCready.right,
                      app.screen.glideTime.bottom};
  ASSERT_FALSE(Empty(glideBox));
  const std::pair<const char*, RECT> over[] = {{"icon", RECT{1, 1, 1 + icon, 1 + icon}},
                                               {"menu tab", app.menu.tabRect},
                                               {"aircraft", RECT{g.x - glider, g.y - glider, g.x + glider, g.y + glider}},
                                               {"final-glide box", glideBox}};
  for (std::size_t i = 0; i < labels.size(); ++i) {
    const auto& [name, r] = labels[i];
    SCOPED_TRACE(name + " " + Text(r));
    ASSERT_FALSE(Empty(r));
    EXPECT_TRUE(r.left >= 0 && r.top >= 0 && r.right <= w && r.bottom <= h);
    for (const auto& [what, taken] : over) EXPECT_FALSE(Meet(r, taken)) << what << " " << Text(taken);
    if (name != "Gustorf") {
      EXPECT_FALSE(Meet(r, waypointSymbol)) << "the waypoint's symbol";
    }
    for (std::size_t j = i + 1; j < labels.size(); ++j)
      EXPECT_FALSE(Meet(r, labels[j].second)) << labels[j].first << " " << Text(labels[j].second);
  }
}

TEST_F(MapPaint, LabelsKeepClearOfEachOtherAndTheSymbolsAt240x320) {
  UseScreen(ce::display::kPortrait);
  LabelsKeepClear(*this, *app, ce::display::kPortrait);
}

TEST_F(MapPaint, LabelsKeepClearOfEachOtherAndTheSymbolsAt480x640) {
  UseScreen(ce::display::kVga);
  LabelsKeepClear(*this, *app, ce::display::kVga);
}

// A national airspace file (France, 2011) over Paris at both sizes: its airspace labels lie on
// the screen and meet neither each other nor the icon, the menu tab and the aircraft. Left as
// cumulor_labels_france_<size>.png.
TEST_F(MapPaint, ANationalAirspaceFileKeepsItsLabelsApartAtBothSizes) {
  const std::filesystem::path file = test_data::Folder("openair") / "france-2011-04-07.txt";
  if (!std::filesystem::exists(file)) GTEST_SKIP() << "no test data at " << file;
  std::filesystem::create_symlink(file, device_folder() / "root" / "france.txt");
  const GeoPoint paris{2 * kDeg + 40 * 600, 48 * kDeg + 52 * 600};  // 2 40 E, 48 52 N
  for (const ce::display::ScreenSize size : {ce::display::kPortrait, ce::display::kVga}) {
    SCOPED_TRACE(size.width);
    UseScreen(size);
    Prepare(5, paris);
    ASSERT_EQ(AirspaceLoadFiles(app->airspace, {u"\\france.txt"}), S_OK);
    Prepare(5, paris);
    PaintMapScreen(*app);
    SaveScreen("cumulor_labels_france_" + std::to_string(size.width) + "x" + std::to_string(size.height) + ".png");
    std::vector<RECT> labels;
    for (const AirspaceClassGroup& group : app->airspace.group)
      for (const AirspaceShape& shape : group.shapes)
        for (std::int32_t i = 0; i < shape.labelCount; ++i)
          if (!Empty(shape.labelRects[i])) labels.push_back(shape.labelRects[i]);
    EXPECT_FALSE(labels.empty());
    const LONG icon = size.width > 240 ? 64 : 32;
    const LONG half = size.width > 240 ? 32 : 16;
    const POINT g = app->screen.gliderPoint;
    const RECT over[] = {RECT{1, 1, 1 + icon, 1 + icon}, app->menu.tabRect,
                         RECT{g.x - half, g.y - half, g.x + half, g.y + half}};
    for (std::size_t i = 0; i < labels.size(); ++i) {
      const RECT& r = labels[i];
      SCOPED_TRACE(Text(r));
      EXPECT_TRUE(r.left >= 0 && r.top >= 0 && r.right <= size.width && r.bottom <= size.height);
      for (const RECT& taken : over) EXPECT_FALSE(Meet(r, taken)) << Text(taken);
      for (std::size_t j = i + 1; j < labels.size(); ++j) EXPECT_FALSE(Meet(r, labels[j])) << Text(labels[j]);
    }
  }
}

// A fresh installation's boxes 1, 2, 3 and 21 in the program's fonts, laid out in one row, whose
// values then grow wide ("Next Wpt" in box 21): after the frames that re-arrange them every box
// lies wholly on the screen and no two meet. Left as cumulor_boxes_wide_<size>.png.
void BoxesStayOnTheScreen(MapPaint& t, AppContext& app, HWND window, ce::display::ScreenSize size) {
  InstallNavBoxHooks(app);
  NavBoxSet& set = app.navBoxes;
  set.window = window;
  NavBoxSetResize(set, app.mapRect, window, false);
  // The first box names a short target, so that the four fit in one row when they are first laid
  // out; then the values grow wider.
  NavBoxSetTexts(set, 1, u"Kamm", u"0", nullptr);
  NavBoxSetValue(set, 2, u"9");
  NavBoxSetValue(set, 3, u"0");
  NavBoxSetActivate(set);
  NavBoxSetValue(set, 1, u"360\u00b0");
  NavBoxSetValue(set, 2, u"9999");
  NavBoxSetValue(set, 3, u"-99990");
  NavBoxSetValue(set, kNavBoxStart, u"Next Wpt");
  t.Prepare();
  for (int i = 0; i < 5; ++i) PaintMapScreen(app);  // every fifth frame measures and re-arranges them
  t.SaveScreen("cumulor_boxes_wide_" + std::to_string(size.width) + "x" + std::to_string(size.height) + ".png");
  const std::int32_t shown[] = {1, 2, 3, kNavBoxStart};
  for (std::int32_t n : shown) {
    const RECT r = set.box[n].rect;
    SCOPED_TRACE(std::to_string(n) + " " + Text(r));
    EXPECT_TRUE(r.left >= 0 && r.top >= 0 && r.right <= size.width && r.bottom <= size.height);
    for (std::int32_t m : shown) {
      if (m > n) {
        EXPECT_FALSE(Meet(r, set.box[m].rect)) << m << " " << Text(set.box[m].rect);
      }
    }
  }
  // The value of box 21 is wider than the room left of the row: it goes on in a line above.
  EXPECT_LT(set.box[kNavBoxStart].rect.bottom, set.box[1].rect.bottom);
}

TEST_F(MapPaint, BoxesWithWideValuesStayOnTheScreenAt240x320) {
  UseScreen(ce::display::kPortrait);
  BoxesStayOnTheScreen(*this, *app, window_, ce::display::kPortrait);
}

TEST_F(MapPaint, BoxesWithWideValuesStayOnTheScreenAt480x640) {
  UseScreen(ce::display::kVga);
  BoxesStayOnTheScreen(*this, *app, window_, ce::display::kVga);
}

// Places and spot heights of the vector map, one at a time beside the same frame without it: one
// at the right edge, one at the bottom edge, one whose name would run over a waypoint's label, and
// one in the clear. What each adds to the frame lies wholly inside the screen's edges and clear of
// the waypoint's label; the one in the clear is drawn. Left as cumulor_places_<size>.png with all four.
void PlacesKeepClear(MapPaint& t, AppContext& app, ce::display::ScreenSize size) {
  const LONG w = size.width, h = size.height;
  const LONG k = w / 240;
  t.Prepare();
  const POINT gustorfAt{w / 2 - 40 * k, h / 3};
  const std::int32_t gustorf = Waypoint("Gustorf", t.WorldAt(gustorfAt.x, gustorfAt.y));
  app.labelsShown = 1;
  KeptSettings().labelLength = 8;
  PointTableOf(kPointUserWaypoint).displayFlag = 1;
  struct Case {
    const char* what;
    std::int32_t category;
    POINT at;
    const char16_t* label;  // for a spot height the metres (the second half)
    bool mustShow;
  } cases[] = {
      {"a place at the right edge", 7, {w - 6, h / 3 + 30 * k}, u"Rechtsrand", false},
      {"a spot height at the bottom edge", 15, {w / 3, h - 9}, u"2345", false},
      {"a place running over the waypoint's label", 7, {gustorfAt.x + 4, gustorfAt.y + 14 * k}, u"Ueberlauf", false},
      {"a place in the clear", 7, {w / 4, h / 2 + 20 * k}, u"Feldmitte", true},
  };
  std::vector<kv3::MapPointObject> objects(std::size(cases));
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    kv3::MapPointObject& o = objects[i];
    o.category = cases[i].category;
    o.threshold = 1 << 30;
    o.points = {t.WorldAt(cases[i].at.x, cases[i].at.y)};
    const std::size_t first = o.category == 15 ? kv3::kLabelChars / 2 : 0;
    if (o.category == 15) std::copy_n(u"7695", 4, o.label.begin());  // feet
    for (std::size_t c = 0; cases[i].label[c]; ++c) o.label[first + c] = cases[i].label[c];
  }
  t.Prepare();
  VectorMapStore& store = app.vectorMap;
  auto paint = [&](std::vector<const kv3::MapObject*> list) {
    store.drawList = std::move(list);
    ++store.generation;
    PaintMapScreen(app);
    return t.Pixels();
  };
  const std::vector<std::uint32_t> bare = paint({});
  RECT gustorfLabel{};
  for (const LabelEntry& e : FrameLabels().entries)
    if (e.kind == kPointUserWaypoint && e.index == gustorf) gustorfLabel = e.rect;
  ASSERT_FALSE(Empty(gustorfLabel));
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(cases[i].what);
    const std::vector<std::uint32_t> with = paint({&objects[i]});
    RECT added{w, h, -1, -1};
    for (LONG y = 0; y < h; ++y)
      for (LONG x = 0; x < w; ++x) {
        if (with[y * w + x] == bare[y * w + x]) continue;
        added = RECT{std::min(added.left, x), std::min(added.top, y), std::max(added.right, x + 1),
                     std::max(added.bottom, y + 1)};
      }
    if (added.right < 0) {
      EXPECT_FALSE(cases[i].mustShow) << "left out";
      continue;
    }
    SCOPED_TRACE(Text(added));
    // A label cut by the edge leaves its pixels in the screen's last column or row.
    EXPECT_TRUE(added.left > 0 && added.top > 0 && added.right < w && added.bottom < h);
    // A name running under the label, whose box hides what lies inside it, leaves pixels next to
    // the box's edge.
    const RECT around{gustorfLabel.left - 1, gustorfLabel.top - 1, gustorfLabel.right + 1, gustorfLabel.bottom + 1};
    EXPECT_FALSE(Meet(added, around)) << "the waypoint's label " << Text(gustorfLabel);
  }
  std::vector<const kv3::MapObject*> all;
  for (const kv3::MapPointObject& o : objects) all.push_back(&o);
  paint(all);
  t.SaveScreen("cumulor_places_" + std::to_string(w) + "x" + std::to_string(h) + ".png");
  store.drawList.clear();
  ++store.generation;
}

TEST_F(MapPaint, PlacesAndSpotHeightsShowOnlyWhereTheirLabelsFitAt240x320) {
  UseScreen(ce::display::kPortrait);
  PlacesKeepClear(*this, *app, ce::display::kPortrait);
}

TEST_F(MapPaint, PlacesAndSpotHeightsShowOnlyWhereTheirLabelsFitAt480x640) {
  UseScreen(ce::display::kVga);
  PlacesKeepClear(*this, *app, ce::display::kVga);
}

// A waypoint inside a restricted area with an opaque red fill, which is drawn after the point
// labels: the waypoint's symbol and label read as they do without the area, and the area is
// filled round them. Left as cumulor_fill_label_<size>.png.
void LabelStaysOverFill(MapPaint& t, AppContext& app, ce::display::ScreenSize size) {
  const LONG w = size.width, h = size.height;
  const LONG k = w / 240;
  t.Prepare();
  const GeoPoint at = t.WorldAt(w / 2 - 30 * k, h / 3);
  const GeoPoint step = t.WorldAt(w / 2 - 30 * k + 10, h / 3 + 10);
  const std::int32_t gustorf = Waypoint("Gustorf", at);
  app.labelsShown = 1;
  KeptSettings().labelLength = 8;
  PointTableOf(kPointUserWaypoint).displayFlag = 1;
  t.Prepare();
  auto gustorfRects = [&] {
    std::vector<RECT> rects;
    for (const LabelEntry& e : FrameLabels().entries)
      if (e.kind == kPointUserWaypoint && e.index == gustorf) rects.push_back(e.rect);
    POINT p{};
    MapWorldToScreen(app.map, p, at);
    rects.push_back(MapPointSymbolRect(app.map, p));
    return rects;
  };
  PaintMapScreen(app);
  const std::vector<std::uint32_t> alone = t.Pixels();
  const std::vector<RECT> before = gustorfRects();
  ASSERT_EQ(before.size(), 2u);
  ASSERT_FALSE(Empty(before[0]));

  const std::int32_t lonPerPixel = (step.lon - at.lon) / 10;
  const std::int32_t latPerPixel = (at.lat - step.lat) / 10;
  std::string block = SquareAround("RED AREA", at, 60 * k * lonPerPixel, 50 * k * latPerPixel);
  block.replace(0, 5, "AC R\nSB 255,0,0\n");
  t.LoadAirspace(block);
  t.Prepare();
  PaintMapScreen(app);
  t.SaveScreen("cumulor_fill_label_" + std::to_string(w) + "x" + std::to_string(h) + ".png");
  const std::vector<std::uint32_t> filled = t.Pixels();
  const std::vector<RECT> after = gustorfRects();
  ASSERT_EQ(after.size(), 2u);
  std::int32_t red = 0;
  for (std::uint32_t c : filled) red += c == 0xFF0000u;
  EXPECT_GT(red, 1000) << "the area is filled";
  for (std::size_t r = 0; r < after.size(); ++r) {
    SCOPED_TRACE(r == 0 ? "the label" : "the symbol");
    ASSERT_EQ(Text(after[r]), Text(before[r]));
    std::int32_t changed = 0;
    for (LONG y = std::max<LONG>(0, after[r].top); y < std::min(h, after[r].bottom); ++y)
      for (LONG x = std::max<LONG>(0, after[r].left); x < std::min(w, after[r].right); ++x)
        changed += filled[y * w + x] != alone[y * w + x];
    EXPECT_EQ(changed, 0);
  }
}

TEST_F(MapPaint, AWaypointLabelInsideAnOpaqueFillStaysReadableAt240x320) {
  UseScreen(ce::display::kPortrait);
  LabelStaysOverFill(*this, *app, ce::display::kPortrait);
}

TEST_F(MapPaint, AWaypointLabelInsideAnOpaqueFillStaysReadableAt480x640) {
  UseScreen(ce::display::kVga);
  LabelStaysOverFill(*this, *app, ce::display::kVga);
}

}  // namespace
