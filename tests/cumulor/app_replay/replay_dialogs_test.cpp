// The recorded-flight features through the core's handlers, under the manual clock and the
// scripted user, the GPS input running in "SIM" mode: "Playback" in "Cumulor Logger" replays each
// real flight from its valid B records, the replay window's speeds and "End"; the logger's fields;
// "Evaluate IGC flight log"; the FLARM dialog's voices and its demonstration alarm.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <mutex>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "cumulor/app/core/commands.h"
#include "cumulor/app/core/main_window.h"
#include "cumulor/app/core/replay_link.h"
#include "cumulor/data/trail/trail.h"
#include "cumulor/nav/dialogs/replay_dialogs.h"
#include "cumulor/nav/flarm/flarm_traffic.h"
#include "cumulor/nav/gps/gps_input.h"
#include "cumulor/nav/replay/igc_fix_reader.h"
#include "cumulor/setup/CumulorInstall.h"
#include "platform/controls/controls.h"
#include "platform/dialogs/dialogs.h"
#include "platform/files/files.h"
#include "platform/kernel/waitable.h"
#include "platform/sound/sound_effects.h"
#include "platform/text/format.h"
#include "platform/time/time.h"
#include "platform/window/window.h"
#include "tests/cumulor/app_core/app_fixture.h"
#include "tests/cumulor/nav_replay/igc_test_util.h"
#include "tests/testdata.h"

using namespace cumulor;
using namespace ce::scripted::steps;

namespace {

const std::filesystem::path kFlights = test_data::Folder("igc");

// The main window's commands and the recorded-flight request, as the core handles them.
LRESULT MainProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  AppContext* app = AppRecord();
  if (app && message == WM_COMMAND) {
    OnCommand(*app, wparam, lparam);
    return 0;
  }
  if (app && message == WM_USER + 50) {
    OlcOptimizeCommand(*app, wparam, lparam);
    return 0;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

int NoCallback(HRESULT, const GpsStatus*) { return 1; }

class ReplayDialogs : public cumulor_test::AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    std::filesystem::create_directories(device_folder() / "root" / "My Documents");
    WNDCLASSW wc{};
    wc.lpfnWndProc = MainProc;
    wc.lpszClassName = u"Cumulor";
    RegisterClassW(&wc);
    app->mainWindow = CreateWindowExW(0, u"Cumulor", u"Cumulor", 0, 0, 0, 240, 320, nullptr, nullptr, nullptr, nullptr);
    app->simulator = 1;
    TrailInit();
  }
  void TearDown() override {
    GpsStop(app->gps);
    if (HWND w = app->replayWindow.exchange(nullptr)) DestroyWindow(w);
    DestroyWindow(app->mainWindow);
    Pump();
    UnregisterClassW(u"Cumulor", nullptr);
    TrailTerm();
    AppTest::TearDown();
  }
  void StartSim() {
    ASSERT_EQ(FixBufferReserve(app->gps, 400), S_OK);
    ASSERT_EQ(GpsPortOpen(app->gps, u"SIM", 4800), S_OK);
    // Threads of the platform that wait anyway; the two GPS threads come on top.
    waiting_ = ce::kernel::ThreadsInWait();
    ASSERT_EQ(GpsStart(app->gps, NoCallback, 1, app->mainWindow), S_OK);
    Settle(1);
  }
  static void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  std::size_t waiting_ = 0;
  std::int32_t Stored() { return GetFixBuffer(app->gps, nullptr, 0); }
  GpsFix Newest() {
    GpsFix f;
    GetFixBuffer(app->gps, &f, 1);
    return f;
  }
  // Until `stored` fixes are kept and the GPS threads wait again, the window messages answered.
  void Settle(std::int32_t stored) {
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (Stored() < stored || ce::kernel::ThreadsInWait() < waiting_ + 2) {
      ASSERT_LT(std::chrono::steady_clock::now(), giveUp) << "stored " << Stored();
      Pump();  // the GPS input sets window titles: the UI thread answers
      std::this_thread::yield();
    }
  }
  std::u16string Title(HWND window) {
    WCHAR text[300] = {};
    GetWindowTextW(window, text, 300);
    return text;
  }
  std::u16string Link(const std::filesystem::path& real) {
    std::filesystem::create_symlink(real, device_folder() / "root" / "My Documents" / real.filename());
    return u"\\My Documents\\" + std::filesystem::path(real.filename()).u16string();
  }
  // "Playback" in "Cumulor Logger", the flight chosen by the scripted user.
  void Playback(const std::u16string& path) {
    ce::scripted::User::Get().AnswerDialog({Click(kIdLoggerPlayback)});
    ce::scripted::User::Get().AnswerOpenFile(path);
    OnCommand(*app, 40053, 0);
    Pump();
  }
};

TEST_F(ReplayDialogs, PlaybackReplaysEachRealFlightAndEndRestoresTheWindow) {
  SKIP_WITHOUT_TEST_DATA(kFlights);
  StartSim();
  int boxes = 0;
  for (const auto& file : igc_test::Flights(kFlights)) {
    SCOPED_TRACE(file.filename().string());
    std::vector<igc_test::BRecord> valid;
    for (const auto& b : igc_test::DecodeB(file))
      if (b.valid) valid.push_back(b);
    const std::u16string path = Link(file);
    Playback(path);
    HWND window = app->replayWindow;
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(Title(app->mainWindow), path);
    EXPECT_EQ(app->gps.replayActive, 1);
    EXPECT_EQ(app->replay.fixTimesSetClock, 1);
    EXPECT_EQ(app->dialogActive, 0);
    const LoadedFlight& flight = app->loadedFlight;
    ASSERT_EQ(flight.FixCount(), static_cast<std::int32_t>(valid.size()));

    // "x1": the loaded fixes one after another, times as written, the window's title the clock.
    std::int32_t stored = Stored();
    for (int i = 0; i < 3; ++i) {
      AdvanceClock(1000);
      Settle(++stored);
      const GpsFix f = Newest();
      ASSERT_NEAR(f.position.lat, igc_test::Units(valid[static_cast<std::size_t>(i)].lat), 1.0);
      ASSERT_NEAR(f.position.lon, igc_test::Units(valid[static_cast<std::size_t>(i)].lon), 1.0);
      ASSERT_EQ(f.timeOfDay, static_cast<std::uint32_t>(valid[static_cast<std::size_t>(i)].seconds));
      ASSERT_EQ(f.pressureAltitude, valid[static_cast<std::size_t>(i)].pressure);
      ASSERT_EQ(f.groundSpeed, 0.0f);
    }
    const std::uint32_t t = Newest().timeOfDay % 86400;
    WCHAR clock[16];
    ce::text::CopyOut(clock, 16, ce::text::Format(u"%02d:%02d:%02d", t / 3600, t / 60 % 60, t % 60));
    EXPECT_EQ(Title(window), clock);  // time zone 0

    // "x10": ten fixes a step.
    SendDlgItemMessageW(window, kIdReplaySpeed, CB_SETCURSEL, 1, 0);
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(kIdReplaySpeed, CBN_SELCHANGE), 0);
    for (std::size_t next = 3; next < 33; next += 10) {
      AdvanceClock(1000);
      Settle(++stored);
      ASSERT_EQ(Newest().timeOfDay, static_cast<std::uint32_t>(valid[next].seconds)) << next;
    }

    // "End": "Playback finished", the title back, the window gone.
    SendMessageW(window, WM_COMMAND, IDCANCEL, 0);
    AdvanceClock(1000);
    ASSERT_TRUE(ce::scripted::User::Get().WaitShown(ce::scripted::Kind::kBox, static_cast<std::size_t>(++boxes)));
    Settle(stored);
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (app->replayWindow != nullptr && std::chrono::steady_clock::now() < giveUp) Pump();
    EXPECT_EQ(app->replayWindow, nullptr);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(Title(app->mainWindow), u"Cumulor");
    EXPECT_EQ(app->gps.replayActive, 0);
  }
  for (const auto& shown : ce::scripted::User::Get().shown()) {
    if (shown.kind != ce::scripted::Kind::kBox) continue;
    EXPECT_EQ(shown.title, u"Cumulor");
    EXPECT_EQ(shown.texts[0], u"Playback finished");
  }
}

TEST_F(ReplayDialogs, AShortFlightRunsToItsEndAndAManualReplayStepsOnGo) {
  std::string text = "AXXX\r\nHFDTE010626\r\n";
  for (int i = 0; i < 4; ++i) {
    char line[64];
    std::snprintf(line, sizeof line, "B1200%02d4700%03dN01100000EA%05d00100\r\n", i, i * 10, i);
    text += line;
  }
  std::ofstream(device_folder() / "root" / "My Documents" / "short.igc", std::ios::binary) << text;
  StartSim();
  Playback(u"\\My Documents\\short.igc");
  HWND window = app->replayWindow;
  ASSERT_NE(window, nullptr);
  // "Manual" shows "Go"; each "Go" gives one fix.
  SendDlgItemMessageW(window, kIdReplaySpeed, CB_SETCURSEL, 4, 0);
  SendMessageW(window, WM_COMMAND, MAKEWPARAM(kIdReplaySpeed, CBN_SELCHANGE), 0);
  EXPECT_TRUE(IsWindowVisible(GetDlgItem(window, kIdReplayGo)));
  std::int32_t stored = Stored();
  for (int i = 0; i < 4; ++i) {
    SendMessageW(window, WM_COMMAND, kIdReplayGo, 0);
    AdvanceClock(1000);
    Settle(++stored);
    EXPECT_EQ(Newest().pressureAltitude, i);
  }
  // Past the last fix the replay ends by itself.
  SendMessageW(window, WM_COMMAND, kIdReplayGo, 0);
  AdvanceClock(1000);
  ASSERT_TRUE(ce::scripted::User::Get().WaitShown(ce::scripted::Kind::kBox, 1));
  Settle(stored);
  const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (app->replayWindow != nullptr && std::chrono::steady_clock::now() < giveUp) Pump();
  EXPECT_EQ(app->replayWindow, nullptr);
  // A cancelled chooser loads nothing.
  ce::scripted::User::Get().AnswerDialog({Click(kIdLoggerPlayback)});
  ce::scripted::User::Get().AnswerOpenFile(u"");
  OnCommand(*app, 40053, 0);
  Pump();
  EXPECT_EQ(app->replayWindow, nullptr);
  EXPECT_EQ(app->gps.replayActive, 0);
}

// A flight that yields no fix is not replayed: the pilot is told why (an empty file, no B record,
// no valid B record) instead of a replay that ends at once with "Playback finished".
TEST_F(ReplayDialogs, AFlightWithoutAFixSaysWhyAndStartsNoReplay) {
  const struct {
    const char* file;
    std::string text;
    std::u16string why;
  } cases[] = {
      {"empty.igc", "", u"the file is empty."},
      {"header.igc", "AXXX\r\nHFDTE010626\r\nHFPLTPILOT:Someone\r\n", u"it holds no B record (fix)."},
      {"invalid.igc",
       "AXXX\r\nHFDTE010626\r\nB1200004700000N01100000EV0100000100\r\n"  // validity V
       "B1200010000000N00000000EA0100000100\r\nB12xx024700000N01100000EA0100000100\r\n",  // at 0, 0; bad time
       u"none of its 3 B records is a valid fix."},
  };
  StartSim();
  auto boxes = [] {
    std::vector<std::u16string> texts;
    for (const auto& shown : ce::scripted::User::Get().shown())
      if (shown.kind == ce::scripted::Kind::kBox) texts.push_back(shown.texts.empty() ? u"" : shown.texts[0]);
    return texts;
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    std::ofstream(device_folder() / "root" / "My Documents" / c.file, std::ios::binary) << c.text;
    const std::u16string path = u"\\My Documents\\" + std::u16string(c.file, c.file + std::strlen(c.file));
    const std::size_t before = boxes().size();
    Playback(path);
    const auto after = boxes();
    ASSERT_EQ(after.size(), before + 1);
    EXPECT_EQ(after.back(), u"No fix read from " + path + u": " + c.why);
    EXPECT_EQ(app->replayWindow, nullptr);
    EXPECT_EQ(app->gps.replayActive, 0);
    EXPECT_EQ(Title(app->mainWindow), u"Cumulor");
  }
}

TEST_F(ReplayDialogs, TheLoggerStoresItsFieldsAndSettingsAtOnce) {
  app->fixRate = 5;
  app->timeZone = -3;
  std::strcpy(app->declaration.pilot, "Ann");
  std::vector<std::u16string> texts;
  ce::scripted::User::Get().AnswerDialog({SetText(kIdLoggerPilot, u"Bea Example"), SetText(kIdLoggerPilot + 1, u"D-1234XYZ"),
                                          SetText(kIdLoggerPilot + 4, u"ABCD"), Select(kIdLoggerTimeZone, 13),
                                          Select(kIdLoggerFixRate, 6), Check(kIdLoggerRecord, false),
                                          Check(kIdLoggerSecurity, true), Click(IDOK)});
  OnCommand(*app, 40053, 0);
  EXPECT_STREQ(app->declaration.pilot, "Bea Example");
  EXPECT_STREQ(app->declaration.registration, "D-1234X");  // 7 characters
  EXPECT_STREQ(app->declaration.competitionId, "ABC");
  EXPECT_EQ(app->timeZone, 2);
  EXPECT_EQ(app->fixRate, 10);
  EXPECT_EQ(app->igcLogging, 0);
  EXPECT_EQ(app->olcSecurity, 1);
  EXPECT_EQ(app->dialogActive, 0);
  bool restart = false;
  for (const auto& s : ce::scripted::User::Get().shown())
    for (const auto& t : s.texts) restart = restart || t.find(u"Please RESTART Cumulor now") != std::u16string::npos;
  EXPECT_TRUE(restart);
  // The lists show the settings: time zone "+2", interval "10s". Cancel changes nothing.
  ce::scripted::User::Get().AnswerDialog({SetText(kIdLoggerPilot, u"Nobody"), Click(IDCANCEL)});
  OnCommand(*app, 40053, 0);
  EXPECT_STREQ(app->declaration.pilot, "Bea Example");
  const auto shown = ce::scripted::User::Get().shown();
  bool zone = false, rate = false;
  for (const auto& t : shown.back().texts) {
    zone = zone || t == u"+2";
    rate = rate || t == u"10s";
  }
  EXPECT_TRUE(zone);
  EXPECT_TRUE(rate);
}

TEST_F(ReplayDialogs, EvaluateReadsTheChosenFlight) {
  SKIP_WITHOUT_TEST_DATA(kFlights);
  const std::u16string path = Link(kFlights / "2ALGB9D1.IGC");
  ce::scripted::User::Get().AnswerDialog({Click(kIdEvaluateSelect), Click(IDOK)});
  ce::scripted::User::Get().AnswerOpenFile(path);
  OnCommand(*app, 40141, 0);
  EXPECT_EQ(app->evaluatedFlight.loaded, 1);
  EXPECT_EQ(app->evaluatedFlight.fixes.Size(), 2398);
  EXPECT_STREQ(app->evaluatedFlight.info.competitionId, "2JZ");
  const auto shown = ce::scripted::User::Get().shown();
  bool chooser = false;
  for (const auto& s : shown) chooser = chooser || (s.kind == ce::scripted::Kind::kOpenFile && s.title == u"Select IGC file");
  EXPECT_TRUE(chooser);
}

TEST_F(ReplayDialogs, FlarmVoicesAndTheDemonstrationAlarm) {
  ce::sound::ClearRecordedEffects();
  ce::scripted::User::Get().AnswerDialog({Click(kIdFlarmVoiceFirst + 7), Click(IDCANCEL)});
  OnCommand(*app, 40166, 0);
  bool voice = false;
  for (const auto& e : ce::sound::RecordedEffects()) voice = voice || e.text == u"\\Windows\\KV_12b.wav";
  EXPECT_TRUE(voice);

  // The demonstration: a tick count whose bearing is 5 (80 mod 150 - 75) and vertical -120.
  const DWORD now = GetTickCount();
  DWORD want = now + 1;
  while (want % 150 != 80 || want % 400 != 80) ++want;
  AdvanceClock(want - now);
  ce::scripted::User::Get().AnswerDialog({Click(kIdFlarmDemo)});
  OnCommand(*app, 40166, 0);
  Pump();
  {
    std::lock_guard<std::mutex> guard(Flarm().lock);
    EXPECT_EQ(Flarm().demo, 1);
    EXPECT_EQ(Flarm().status.valid, 1);
    EXPECT_EQ(Flarm().status.relativeBearing, 5);
    EXPECT_EQ(Flarm().status.relativeVertical, -120);
  }
  // The frame raises the alarm: below, ahead.
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(dc, 240, 320);
  HGDIOBJ old = SelectObject(dc, bitmap);
  MapSetScreenRect(app->map, RECT{0, 0, 240, 320});
  MapSetRegion(app->map, GeoRect{5 * 36000, 48 * 36000, 17 * 36000, 45 * 36000}, GeoPoint{11 * 36000, 47 * 36000});
  MapSetScale(app->map, 10);
  MapSetView(app->map, 11 * 36000, 47 * 36000, 0);
  app->map.dc = dc;
  ce::sound::ClearRecordedEffects();
  PaintMapScreen(*app);
  std::vector<std::u16string> played;
  for (const auto& e : ce::sound::RecordedEffects())
    if (e.kind == ce::sound::Effect::kPlay || e.kind == ce::sound::Effect::kNotFound) played.push_back(e.text);
  ASSERT_EQ(played.size(), 2u);
  EXPECT_EQ(played[0], u"\\Windows\\Alarm1.wav");
  EXPECT_EQ(played[1], u"\\Windows\\KV_12b.wav");
  app->map.dc = nullptr;
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
  // Pressed again, the demonstration ends.
  ce::scripted::User::Get().AnswerDialog({Click(kIdFlarmDemo)});
  OnCommand(*app, 40166, 0);
  std::lock_guard<std::mutex> guard(Flarm().lock);
  EXPECT_EQ(Flarm().demo, 0);
  EXPECT_EQ(Flarm().status.valid, 0);
}

TEST_F(ReplayDialogs, TheInstallStepBringsTheDemonstrationFlightAndTheFlarmSounds) {
  ASSERT_TRUE(InstallDataFiles());
  for (const WCHAR* sound : {u"\\Windows\\Alarm1.wav", u"\\Windows\\Alarm2.wav", u"\\Windows\\KV_10a.wav",
                             u"\\Windows\\KV_14b.wav"})
    EXPECT_NE(GetFileAttributesW(sound), INVALID_FILE_ATTRIBUTES);
  // Two hours, a fix every 2 s, from 23:00 UTC: it reads whole and crosses midnight.
  ASSERT_EQ(IgcFileOpen(*app, u"\\My Documents\\Demo_Flight.igc"), S_OK);
  ASSERT_EQ(LoadIgcFixes(*app), S_OK);
  const LoadedFlight& flight = app->loadedFlight;
  ASSERT_EQ(flight.FixCount(), 3600);
  EXPECT_EQ(flight.fixes[0].timeOfDay, 23u * 3600);
  EXPECT_EQ(flight.fixes[3599].timeOfDay, 3600u - 2);
  FreeIgcFixes(*app);
}

}  // namespace
