// A generated flight played in through the program's own replay, paced by the pen at ten times its
// speed: the new-fix handling and the frame run on the GPS notify thread while the pen pans,
// restores, searches, turns the map and toggles its mark on the UI thread. Built with
// ThreadSanitizer, this shows that the two threads share the application record soundly. The
// wind of a circling flight played in and of a compass with an airspeed on the serial port reaches
// the flight state, and "Track up" turns the map.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "cumulor/app/core/commands.h"
#include "cumulor/app/core/gps_update.h"
#include "cumulor/app/core/main_window.h"
#include "cumulor/app/core/pen_input.h"
#include "cumulor/app/core/pen_links.h"
#include "cumulor/app/core/settings_document.h"
#include "cumulor/data/aero/point_tables.h"
#include "cumulor/data/aero/tile_cache.h"
#include "cumulor/data/points/point_db.h"
#include "cumulor/data/waypoints/user_waypoint_store.h"
#include "cumulor/map/navbox/nav_box_set.h"
#include "cumulor/map/settings/map_settings_link.h"
#include "cumulor/nav/polar/flight_state.h"
#include "cumulor/data/trail/trail.h"
#include "cumulor/nav/dialogs/replay_dialogs.h"
#include "cumulor/nav/gps/gps_input.h"
#include "platform/gdi/gdi.h"
#include "platform/gdi/gdi_seams.h"
#include "platform/kernel/waitable.h"
#include "platform/text/format.h"
#include "platform/window/window.h"
#include "tests/cumulor/app_core/app_fixture.h"
#include "tests/platform/serial/pty_far_end.h"
#include "tools/flightgen/flight_generator.h"

using namespace cumulor;
using namespace ce::scripted::steps;

namespace {

constexpr POINT kGlider{120, 213};
constexpr int kMinutes = 4;  // 240 fixes, one a second

// The main window: every message to the core's procedure, without the start-up of WM_CREATE and
// the shutdown of WM_DESTROY, which the test does itself.
LRESULT FlyProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_CREATE || message == WM_DESTROY || message == WM_CLOSE)
    return DefWindowProcW(window, message, wparam, lparam);
  return MainWndProc(window, message, wparam, lparam);
}

LPARAM At(POINT p) { return MAKELPARAM(static_cast<WORD>(p.x), static_cast<WORD>(p.y)); }

constexpr double kPi = 3.141592653589793;
constexpr double kMetresPerDegree = 111195.0;

// "DDMMmmm" and "DDDMMmmm" with the hemisphere, as a B record holds them.
std::string IgcCoordinate(double degrees, bool latitude) {
  long thousandths = std::lround(std::fabs(degrees) * 60000.0);
  const long whole = thousandths / 60000;
  thousandths -= whole * 60000;
  char text[16];
  std::snprintf(text, sizeof text, latitude ? "%02ld%05ld%c" : "%03ld%05ld%c", whole, thousandths,
                latitude ? (degrees < 0 ? 'S' : 'N') : (degrees < 0 ? 'W' : 'E'));
  return text;
}

// The program's own log of a glider at 90 km/h in a wind of 20 km/h from the west: half a minute
// straight north, then circles of 20 seconds; one fix a second with its track and ground speed.
std::string CirclingInWind(int seconds) {
  std::string out = "AQCM001\r\nHFDTE010626\r\nHFGIDGLIDERID:WIND\r\nI023638TRT3941GSP\r\n";
  const double air = 25.0, wind = 20.0 / 3.6;
  double x = 0, y = 0, heading = 0;
  const double cosLat = std::cos(47.2 * kPi / 180.0);
  for (int t = 0; t < seconds; ++t) {
    if (t >= 30) heading += 18.0;
    const double vx = air * std::sin(heading * kPi / 180.0) + wind;
    const double vy = air * std::cos(heading * kPi / 180.0);
    const int track = static_cast<int>(std::lround(std::atan2(vx, vy) * 180.0 / kPi + 360.0)) % 360;
    const int speed = static_cast<int>(std::lround(std::hypot(vx, vy) * 3.6));
    const int clock = 12 * 3600 + t;
    char line[96];
    std::snprintf(line, sizeof line, "B%02d%02d%02d%s%sA%05d%05d%03d%03d\r\n", clock / 3600, clock / 60 % 60,
                  clock % 60, IgcCoordinate(47.2 + y / kMetresPerDegree, true).c_str(),
                  IgcCoordinate(11.3 + x / (kMetresPerDegree * cosLat), false).c_str(), 1500, 1525, track, speed);
    out += line;
    x += vx;
    y += vy;
  }
  return out;
}

// An NMEA sentence with its checksum and line end.
std::string Nmea(const std::string& body) {
  unsigned char sum = 0;
  for (char c : body) sum ^= static_cast<unsigned char>(c);
  char tail[8];
  std::snprintf(tail, sizeof tail, "*%02X\r\n", sum);
  return "$" + body + tail;
}

class FlyIn : public cumulor_test::AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    PenReset();
    ResetKeptSettings();
    FixHandlingReset();
    std::filesystem::create_directories(device_folder() / "root" / "My Documents");
    flightgen::Options options;
    options.minutes = kMinutes;
    options.radiusKm = 10.0;
    std::ofstream(device_folder() / "root" / "My Documents" / "fly.igc", std::ios::binary)
        << flightgen::GenerateFlight(options);
    WNDCLASSW wc{};
    wc.lpfnWndProc = FlyProc;
    wc.lpszClassName = u"Cumulor";
    RegisterClassW(&wc);
    app->mainWindow = CreateWindowExW(0, u"Cumulor", u"Cumulor", 0, 0, 0, 240, 320, nullptr, nullptr, nullptr, nullptr);
    app->simulator = 1;
    app->mapRect = RECT{0, 0, 240, 320};
    TrailInit();
    // The frame is drawn into a back buffer on the notify thread.
    screen_ = CreateCompatibleDC(nullptr);
    bitmap_ = CreateCompatibleBitmap(screen_, 240, 320);
    old_ = SelectObject(screen_, bitmap_);
    EnterCriticalSection(&app->mainLock);
    MapSetScreenRect(app->map, app->mapRect);
    MapSetScale(app->map, 20);
    app->map.dc = screen_;
    LeaveCriticalSection(&app->mainLock);
  }
  void TearDown() override {
    // The GPS threads may be sending to the main window (the replay's end sets its title): this
    // thread keeps pumping while another one stops them.
    std::atomic<bool> stopped{false};
    std::thread stopper([this, &stopped] {
      GpsStop(app->gps);
      stopped = true;
    });
    while (!stopped) {
      Pump();
      std::this_thread::yield();
    }
    stopper.join();
    if (HWND w = app->replayWindow.exchange(nullptr)) DestroyWindow(w);
    DestroyWindow(app->mainWindow);
    Pump();
    UnregisterClassW(u"Cumulor", nullptr);
    app->map.dc = nullptr;
    SelectObject(screen_, old_);
    DeleteObject(bitmap_);
    DeleteDC(screen_);
    TrailTerm();
    PenReset();
    ResetKeptSettings();
    AppTest::TearDown();
  }
  static void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  std::int32_t Stored() { return GetFixBuffer(app->gps, nullptr, 0); }
  // The pen through the window's queue, as the device delivers it.
  void Arrow(POINT from, POINT to) {
    PostMessageW(app->mainWindow, WM_LBUTTONDOWN, MK_LBUTTON, At(from));
    Pump();
    PostMessageW(app->mainWindow, WM_MOUSEMOVE, MK_LBUTTON, At(POINT{(from.x + to.x) / 2, (from.y + to.y) / 2}));
    PostMessageW(app->mainWindow, WM_MOUSEMOVE, MK_LBUTTON, At(to));
    Pump();
    PostMessageW(app->mainWindow, WM_LBUTTONUP, 0, At(to));
    Pump();
  }
  void Tap(POINT at) {
    PostMessageW(app->mainWindow, WM_LBUTTONDOWN, MK_LBUTTON, At(at));
    Pump();
    PostMessageW(app->mainWindow, WM_LBUTTONUP, 0, At(at));
    Pump();
  }

  HDC screen_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ old_ = nullptr;
};

TEST_F(FlyIn, AFlightAtTenTimesItsSpeedWithThePenOnTheUiThread) {
  ASSERT_EQ(FixBufferReserve(app->gps, 400), S_OK);
  ASSERT_EQ(GpsPortOpen(app->gps, u"SIM", 4800), S_OK);
  ASSERT_EQ(GpsStart(app->gps, GpsDataCallback, 1, app->mainWindow), S_OK);
  ce::scripted::User::Get().AnswerDialog({Click(kIdLoggerPlayback)});
  ce::scripted::User::Get().AnswerOpenFile(u"\\My Documents\\fly.igc");
  OnCommand(*app, 40053, 0);
  Pump();
  ASSERT_EQ(app->gps.replayActive, 1);
  const std::int32_t fixes = app->loadedFlight.FixCount();
  ASSERT_GE(fixes, kMinutes * 60 - 1);

  // The first fix ends the wait for a position.
  const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (app->firstFixAwaited) {
    ASSERT_LT(std::chrono::steady_clock::now(), giveUp);
    AdvanceClock(1000);
    Pump();
    std::this_thread::yield();
  }
  // An arrow of 100 pixels from the glider: a fix every 100 ms, ten times the flight's pace.
  // The frame drew the glider there; the pen finds it where it was drawn.
  Arrow(kGlider, POINT{kGlider.x, kGlider.y - 100});
  EXPECT_EQ(app->gps.stepTime, 100);

  const POINT free{60, 160};
  int step = 0;
  while (app->gps.replayActive) {
    ASSERT_LT(std::chrono::steady_clock::now(), giveUp) << "stored " << Stored();
    AdvanceClock(100);
    switch (step++ % 6) {
      case 0: Arrow(free, POINT{free.x + 80, free.y + 30}); break;  // pan
      case 1: {
        const RECT r = PenTargetRects().restoreButton;
        Tap(POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
        break;
      }
      case 2: Tap(POINT{30, 10}); break;  // orientation
      case 3: Tap(POINT{5, 5}); break;    // mark: search arrows
      case 4: Arrow(free, POINT{free.x + 120, free.y}); break;
      default: Tap(POINT{5, 5}); break;   // back to pan arrows
    }
    Pump();
    std::this_thread::yield();
  }
  // The replay ran to its end ("Playback finished"), every fix handled; the pen left nothing held.
  EXPECT_TRUE(ce::scripted::User::Get().WaitShown(ce::scripted::Kind::kBox, 1));
  EXPECT_GE(Stored(), 300 < fixes ? 300 : fixes / 10);
  EXPECT_EQ(app->dialogActive, 0);
  EXPECT_FALSE(Pen().arrowDrag);
  EXPECT_EQ(Pen().penDc, nullptr);
  EXPECT_GT(step, 50);
}

// A circling flight in wind played in with "Auto update" and "Track up": the estimated wind reaches
// the flight state (the wind box and the glide computations read it there), and the map turns
// with the track. The frames are left as wind_track_up_<n>.png for a look.
TEST_F(FlyIn, ACirclingFlightSetsTheWindWithAutoUpdateAndTurnsTheMapTrackUp) {
  std::ofstream(device_folder() / "root" / "My Documents" / "wind.igc", std::ios::binary) << CirclingInWind(150);
  // A waypoint 2 km north of the start as the target, so that the boxes have a point.
  ClearUserWaypoints();
  WaypointRecord north;
  north.position = GeoPoint{static_cast<std::int32_t>(11.3 * 36000), static_cast<std::int32_t>(47.218 * 36000)};
  north.flags = 1 | kWaypointFoundByName;
  const std::int32_t index = AddOrReplaceUserWaypoint(north, "North");
  AeroTiles().AddItem(kTileUserWaypoints, north.position, static_cast<std::uint32_t>(index));
  BuildPointIndexes(0);
  app->navTarget.kind = kPointUserWaypoint;
  app->navTarget.index = index;
  MapDisplay().autoWind = 1;
  KeptSettings().mapOrientation = 2;
  app->zoomIndex = 3;  // 10 km across: the trail's turns show in the pictures
  EnterCriticalSection(&app->mainLock);
  MapSetScale(app->map, 10);
  LeaveCriticalSection(&app->mainLock);
  NavBoxSetOn(app->navBoxes, 9, true);

  ASSERT_EQ(FixBufferReserve(app->gps, 400), S_OK);
  ASSERT_EQ(GpsPortOpen(app->gps, u"SIM", 4800), S_OK);
  ASSERT_EQ(GpsStart(app->gps, GpsDataCallback, 1, app->mainWindow), S_OK);
  ce::scripted::User::Get().AnswerDialog({Click(kIdLoggerPlayback)});
  ce::scripted::User::Get().AnswerOpenFile(u"\\My Documents\\wind.igc");
  SendMessageW(app->mainWindow, WM_COMMAND, 40053, 0);
  Pump();
  ASSERT_EQ(app->gps.replayActive, 1);

  const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(120);
  int shots = 0;
  std::int32_t lastShotAt = 0;
  std::vector<std::int32_t> rotations;
  int steps = 0;
  int turnedWithTheTrack = 0;  // steps where the map's turn was the track of the moment
  while (app->gps.replayActive) {
    ASSERT_LT(std::chrono::steady_clock::now(), giveUp) << "stored " << Stored();
    AdvanceClock(500);
    Pump();
    std::this_thread::yield();
    ++steps;
    const std::int32_t track = GetGpsStatus(app->gps).track;
    if (track != 0 && app->mapRotation == track) ++turnedWithTheTrack;
    const std::int32_t stored = Stored();
    // One picture on the straight leg, then three a few seconds apart in the circles.
    if (shots < 4 && stored >= (shots == 0 ? 20 : 40 + 6 * shots) && stored != lastShotAt) {
      EnterCriticalSection(&app->mainLock);
      rotations.push_back(app->mapRotation);
      EXPECT_TRUE(ce::gdi::SaveBitmapPng(bitmap_, "wind_track_up_" + std::to_string(++shots) + ".png"));
      LeaveCriticalSection(&app->mainLock);
      lastShotAt = stored;
    }
  }
  EXPECT_TRUE(ce::scripted::User::Get().WaitShown(ce::scripted::Kind::kBox, 1));

  // The wind from the west at about 20 km/h, in the flight state and in box 9.
  const std::int32_t direction = GetFlightParameter(app->flight, kParamWindDirection);
  const std::int32_t speed = GetFlightParameter(app->flight, kParamWindSpeed);
  EXPECT_NEAR(direction, 270, 20);
  EXPECT_NEAR(speed, 20, 6);
  EnterCriticalSection(&app->mainLock);
  const std::u16string box = app->navBoxes.box[9].value;
  LeaveCriticalSection(&app->mainLock);
  EXPECT_EQ(box, ce::text::Format(u"%d\u00B0/%d", direction, speed));

  // Track up: the map turned with the track during the flight (the fixes handled while the
  // box at the end of the replay is up leave the map as it is, so the last track is not always
  // the map's); the pictures were taken at different turns.
  EXPECT_GT(turnedWithTheTrack, 0) << "steps: " << steps;
  ASSERT_EQ(rotations.size(), 4u);
  EXPECT_NE(rotations[0], 0);
  EXPECT_NE(rotations[1], rotations[2]);

  MapDisplay().autoWind = 0;
  app->navTarget = TaskPoint{};
  ClearUserWaypoints();
  BuildPointIndexes(0);
}

// A GPS with a compass and an instrument's airspeed on the serial port: flying east at 50 kn over
// the ground while the compass reads north at 90 km/h through the air, the wind is the difference
// of the two vectors: about 129 km/h from the north-west, in the flight state.
TEST_F(FlyIn, TheWindFromACompassHeadingAndAnAirspeedReachesTheFlightState) {
  app->simulator = 0;
  test_serial::PtyFarEnd port(u"COM1");
  ASSERT_EQ(FixBufferReserve(app->gps, 16), S_OK);
  ASSERT_EQ(GpsPortOpen(app->gps, u"COM1:", 4800), S_OK);
  ASSERT_EQ(GpsStart(app->gps, GpsDataCallback, 0, app->mainWindow), S_OK);
  const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  for (int second = 0; GetFlightParameter(app->flight, kParamWindSpeed) == 0; ++second) {
    ASSERT_LT(std::chrono::steady_clock::now(), giveUp);
    char time[8];
    std::snprintf(time, sizeof time, "1200%02d", second % 60);
    port.Send(Nmea("LXWP0,Y,90.0,1500.0,0.5,,,,,,,,") + Nmea("HCHDG,0.0,,,,") +
              Nmea(std::string("GPGGA,") + time + ",4712.000,N,01118.000,E,1,08,1.0,1500.0,M,0.0,M,,") +
              Nmea(std::string("GPRMC,") + time + ",A,4712.000,N,01118.000,E,50.0,90.0,010626,,"));
    for (int i = 0; i < 20 && GetFlightParameter(app->flight, kParamWindSpeed) == 0; ++i) {
      AdvanceClock(50);
      Pump();
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }
  EXPECT_NEAR(GetFlightParameter(app->flight, kParamWindDirection), 314, 2);
  EXPECT_NEAR(GetFlightParameter(app->flight, kParamWindSpeed), 129, 2);
}

}  // namespace
