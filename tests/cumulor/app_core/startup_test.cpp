// The entry and the start-up in the test process: the single-instance rule, the free-space
// question, the GPS port that cannot be opened, the shutdown's registry values, and what a whole
// start-up leaves (map position and region at home, the tap mode without an aviation database,
// the imported root waypoint file, fonts measured for the screen, team marks and the simulator's
// climb) and what the shutdown saves and lets go.
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstring>
#include <fstream>
#include <optional>
#include <pugixml.hpp>
#include <string>
#include <thread>

#include "cumulor/app/core/app_entry.h"
#include "cumulor/app/core/map_layers_link.h"
#include "cumulor/app/ui/own_dialogs.h"
#include "cumulor/data/aero/point_tables.h"
#include "cumulor/data/aero/visible_data.h"
#include "cumulor/data/points/point_db.h"
#include "cumulor/map/tap/map_tap.h"
#include "cumulor/map/team/team_grid.h"
#include "cumulor/map/view/map_fonts.h"
#include "cumulor/nav/gps/gps_port.h"
#include "cumulor/nav/thermal/thermal_db.h"
#include "platform/display/display.h"
#include "platform/gdi/gdi.h"
#include "tests/cumulor/app_core/app_fixture.h"
#include "tests/platform/serial/pty_far_end.h"
#include "platform/dialogs/message_box.h"
#include "platform/files/file_system_seam.h"
#include "platform/registry/registry.h"
#include "platform/scripted/scripted_user.h"
#include "platform/testing/device_test.h"
#include "platform/window/window.h"

using namespace cumulor;

namespace {

class Startup : public ce::testing::DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    std::filesystem::create_directories(device_folder() / "root");
    ce::scripted::User::Get().Reset();
    ce::files::FileSystemSeam::Get().Reset();
  }
  void TearDown() override {
    SetStartupDoneHook(nullptr);
    ce::files::FileSystemSeam::Get().Reset();
    ce::scripted::User::Get().Reset();
    DeviceTest::TearDown();
  }
  std::filesystem::path Docs(const char* name) const { return device_folder() / "root" / "My Documents" / name; }
  void Write(const std::filesystem::path& file, const std::string& text) const {
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << text;
  }
  // The map position the settings document was saved with.
  GeoPoint SavedPosition() const {
    pugi::xml_document settings;
    if (!settings.load_file(Docs("KV_SETTINGS.xml").c_str())) return GeoPoint{};
    const pugi::xml_node at = settings.document_element().child("CurrentPos");
    return GeoPoint{static_cast<std::int32_t>(std::lround(at.child("lon").text().as_double() * 36000)),
                    static_cast<std::int32_t>(std::lround(at.child("lat").text().as_double() * 36000))};
  }
  static std::vector<ce::scripted::Shown> Shown(ce::scripted::Kind kind) {
    std::vector<ce::scripted::Shown> out;
    for (const auto& s : ce::scripted::User::Get().shown())
      if (s.kind == kind) out.push_back(s);
    return out;
  }
  static bool Mentions(const ce::scripted::Shown& s, const std::u16string& text) {
    for (const auto& t : s.texts)
      if (t.find(text) != std::u16string::npos) return true;
    return false;
  }
  static bool HasValue(const WCHAR* name) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"Software\\Halcyra\\Cumulor", 0, KEY_READ, &key) != ERROR_SUCCESS)
      return false;
    BYTE data[64];
    DWORD size = sizeof(data), type = 0;
    const bool found = RegQueryValueExW(key, name, nullptr, &type, data, &size) == ERROR_SUCCESS;
    RegCloseKey(key);
    return found;
  }
};

TEST_F(Startup, LowDiskSpaceAsksAndNoEndsTheProgramWithItsValuesSaved) {
  ce::files::FileSystemSeam::Get().SetFreeSpace(400000);
  ce::scripted::User::Get().AnswerBox(IDNO);
  EXPECT_EQ(WinMain(nullptr, nullptr, u" /sx", SW_SHOW), 0);
  const auto boxes = Shown(ce::scripted::Kind::kBox);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].title, u"Cumulor");
  EXPECT_TRUE(Mentions(boxes[0], u"WARNING: DISK SPACE BELOW 0.5MB!"));
  EXPECT_EQ(boxes[0].result, IDNO);
  EXPECT_EQ(AppRecord(), nullptr);
  EXPECT_TRUE(HasValue(u"rScreen"));
  EXPECT_TRUE(HasValue(u"SuaOff"));
}

TEST_F(Startup, FourGigabytesAndALittleAskNothingAndAMissingPortShowsText210) {
  // The whole 64-bit figure counts: its low 32 bits alone (100) would ask.
  ce::files::FileSystemSeam::Get().SetFreeSpace((std::uint64_t{1} << 32) + 100);
  // "COM1:" is not mapped to a host port in HKLM "\Host\SerialPorts": the port cannot be opened.
  EXPECT_EQ(WinMain(nullptr, nullptr, u"", SW_SHOW), 0);
  EXPECT_TRUE(Shown(ce::scripted::Kind::kBox).empty());
  const auto dialogs = Shown(ce::scripted::Kind::kDialog);
  ASSERT_EQ(dialogs.size(), 1u);
  EXPECT_TRUE(Mentions(dialogs[0], u"Serial Port is in Use by Another Application"));
  EXPECT_EQ(FindWindowW(kMainClass, nullptr), nullptr);
}

TEST_F(Startup, ARunningInstanceIsFoundByItsClassWhateverItsTitle) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = DefWindowProcW;
  wc.lpszClassName = kMainClass;
  ASSERT_NE(RegisterClassW(&wc), 0);
  HWND running = CreateWindowExW(0, kMainClass, u"\\My Documents\\flight.igc", WS_VISIBLE, 0, 0, 240, 320, nullptr,
                                 nullptr, nullptr, nullptr);
  ASSERT_NE(running, nullptr);
  EXPECT_EQ(WinMain(nullptr, nullptr, u"/s", SW_SHOW), 0);
  EXPECT_EQ(AppRecord(), nullptr);  // nothing was built
  EXPECT_TRUE(ce::scripted::User::Get().shown().empty());
  DestroyWindow(running);
  UnregisterClassW(kMainClass, nullptr);
}

// What a start-up left, taken when it ran its last command.
struct StartState {
  GeoPoint centre;
  GeoRect region;
  bool tapArmed = false;
  std::int32_t tapMode = 0;
  MapFontMetrics metrics;
  std::int32_t labelHeight = 0, popupHeight = 0;  // of the map's fonts on this screen
  bool teamMarkSet = true;
  float maxClimb = 0.0f;
};

StartState Capture(AppContext& app) {
  StartState s;
  EnterCriticalSection(&app.mainLock);  // each fix moves the centre on the notify thread
  s.centre = app.mapCentre;
  s.region = app.region;
  LeaveCriticalSection(&app.mainLock);
  s.tapArmed = MapTap().armed != 0;
  s.tapMode = MapTap().mode;
  s.metrics = app.map.metrics;
  HDC dc = GetDC(app.mainWindow);
  TEXTMETRICW tm{};
  HGDIOBJ old = SelectObject(dc, MapFont(12));
  GetTextMetricsW(dc, &tm);
  s.labelHeight = tm.tmHeight;
  SelectObject(dc, MapFont(13));
  GetTextMetricsW(dc, &tm);
  s.popupHeight = tm.tmHeight;
  SelectObject(dc, old);
  ReleaseDC(app.mainWindow, dc);
  s.teamMarkSet = TeamMarkIsSet(0);
  s.maxClimb = ThermalMaxClimbValue();
  return s;
}

// Outside the simulator, at 480x640, with an airport database and a SeeYou file at the root: the
// map starts at the home airport with the region around it, taps on the map stay unarmed, the
// labels and pop-ups take the measures of this screen's fonts, a team mark of an earlier run is
// gone, and the root file is imported once and kept as "\Cumulor_OLD.cup". The shutdown lets the
// point tables and the visible objects go.
TEST_F(Startup, AtHomeOutsideTheSimulatorWithTheRootWaypointFileImported) {
  test_serial::PtyFarEnd gps(u"COM1");
  ASSERT_TRUE(ce::display::SetScreenSize(ce::display::kVga));
  const GeoPoint home{40000, 1700000};
  ASSERT_TRUE(cumulor_test::WriteGeneratedKa1(Docs("alps.ka1"), "region Austria||AT|2\n"
                                                                 "airport LOWI|40000|1700000|1906|0|Innsbruck||\n"));
  Write(Docs("KV_SETTINGS.xml"), "<Settings><Files><AviationDb><File1>alps.ka1</File1></AviationDb>"
                                 "<Countries><File1>Austria</File1></Countries></Files></Settings>");
  Write(device_folder() / "root" / "Cumulor.cup",
        "name,code,country,lat,lon,elev,style,rwdir,rwlen,freq,desc\r\n"
        "\"Alpha\",,AT,4710.000N,01120.000E,600m,1,,,,\r\n");
  TeamMarksClear();
  TeamMarks()[0].gliderId[0] = u'X';
  ce::scripted::User::Get().AnswerDialog({ce::scripted::steps::Click(kIdOkIcon)});  // import: OK
  std::optional<StartState> state;
  SetStartupDoneHook([&state](AppContext& app) {
    state = Capture(app);
    DestroyWindow(app.mainWindow);
  });
  EXPECT_EQ(WinMain(nullptr, nullptr, u"", SW_SHOW), 0);
  ce::display::SetScreenSize(ce::display::kPortrait);
  ASSERT_TRUE(state.has_value());
  EXPECT_EQ(state->centre, home);
  EXPECT_EQ(state->region.left, home.lon);
  EXPECT_EQ(state->region.bottom, home.lat);
  EXPECT_EQ(state->region.right, home.lon + 1);
  EXPECT_EQ(state->region.top, home.lat + 1);
  EXPECT_FALSE(state->tapArmed);
  EXPECT_EQ(state->metrics.labelHeight, state->labelHeight);
  EXPECT_EQ(state->metrics.popupHeight, state->popupHeight);
  EXPECT_GT(state->popupHeight, MapFontMetrics{}.popupHeight);
  EXPECT_FALSE(state->teamMarkSet);

  EXPECT_FALSE(std::filesystem::exists(device_folder() / "root" / "Cumulor.cup"));
  EXPECT_TRUE(std::filesystem::exists(device_folder() / "root" / "Cumulor_OLD.cup"));
  std::ifstream imported(Docs("FromSeeYou.dat"));
  std::string line;
  EXPECT_TRUE(std::getline(imported, line));
  EXPECT_NE(line.find("Alpha"), std::string::npos) << line;
  EXPECT_TRUE(Shown(ce::scripted::Kind::kDialog).size() >= 1 &&
              Mentions(Shown(ce::scripted::Kind::kDialog)[0], u"Import SeeYou waypoints and tasks?"));

  EXPECT_EQ(PointTableOf(kPointAirport).Count(), 0);
  EXPECT_TRUE(FrameVisible().items[kTileAirports].empty());
}

// The simulator without an aviation database: a tap on the map is armed to make a waypoint, the
// thermals start from a largest climb of 2 m/s, and the settings are saved with the home point as
// the map's position, not where the glider flew meanwhile.
TEST_F(Startup, TheSimulatorArmsWaypointTapsAndSavesHomeAsThePosition) {
  const GeoPoint home{11 * 36000 + 30 * 600, 47 * 36000 + 20 * 600};
  Write(Docs("home.dat"), "HM,47:20.000N,011:30.000E,600,T,Home,home\r\n");
  Write(Docs("KV_SETTINGS.xml"),
        "<Settings><Files><UserWaypoints><File1>home.dat</File1></UserWaypoints></Files>"
        "<Home><Turnpoint><name>Home</name><type>user waypoint</type><lat>47.33333333</lat>"
        "<lon>11.5</lon></Turnpoint></Home></Settings>");
  ThermalDbClear();
  MapTap() = MapTapState{};
  std::optional<StartState> state;
  std::atomic<bool> stop{false};
  std::thread quitter;
  SetStartupDoneHook([&](AppContext& app) {
    state = Capture(app);
    // Quit once the simulated glider has left home.
    HWND window = app.mainWindow;
    GpsPort* gps = &app.gps;
    quitter = std::thread([&stop, window, gps, home] {
      for (int i = 0; i < 400 && !stop; ++i) {
        const GeoPoint at = GetGpsStatus(*gps).position;
        if (at.lat != 0 && (std::abs(at.lat - home.lat) > 30 || std::abs(at.lon - home.lon) > 30)) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
      }
      PostMessageW(window, WM_COMMAND, 40034, 0);
    });
  });
  ce::scripted::User::Get().AnswerBox(IDYES);  // quit
  EXPECT_EQ(WinMain(nullptr, nullptr, u" /sx", SW_SHOW), 0);
  stop = true;
  if (quitter.joinable()) quitter.join();
  ASSERT_TRUE(state.has_value());
  EXPECT_TRUE(state->tapArmed);
  EXPECT_EQ(state->tapMode, kTapCreate);
  EXPECT_FLOAT_EQ(state->maxClimb, 2.0f);
  EXPECT_EQ(SavedPosition(), home);
  MapTap() = MapTapState{};
}

}  // namespace
