// The mode loop of the GPS input thread under the manual clock: simulated fixes, the replay of a
// loaded flight at each speed, its end, the hold, and the recorder requests it clears.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "cumulor/app/app_context.h"
#include "cumulor/data/trail/trail.h"
#include "cumulor/nav/gps/gps_input.h"
#include "cumulor/nav/gps/gps_mode_loop.h"
#include "cumulor/nav/replay/igc_fix_reader.h"
#include "cumulor/nav/replay/replay_ui.h"
#include "platform/kernel/kernel.h"
#include "platform/kernel/waitable.h"
#include "platform/scripted/scripted_user.h"
#include "platform/testing/device_test.h"
#include "tests/cumulor/nav_replay/igc_test_util.h"
#include "tests/testdata.h"

using namespace cumulor;

namespace {

std::atomic<int> g_callbacks{0};
// What the replay asked of the windows: "Playback finished" shown, the main window told.
std::atomic<int> g_finishedShown{0};
std::atomic<int> g_endedTold{0};
int CountCallback(HRESULT, const GpsStatus*) {
  ++g_callbacks;
  return 1;
}

class ModeLoop : public ce::testing::DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    std::filesystem::create_directories(device_folder() / "root" / "My Documents");
    ce::scripted::User::Get().Reset();
    TrailInit();
    app_ = std::make_unique<AppContext>();
    GpsPortInit(app_->gps, app_.get());
    FixBufferReserve(app_->gps, 400);
    ASSERT_EQ(GpsPortOpen(app_->gps, u"SIM", 4800), S_OK);
    g_callbacks = 0;
    g_finishedShown = 0;
    g_endedTold = 0;
    ReplayUi ui;
    ui.playbackFinished = [](EngineContext*, HWND) { ++g_finishedShown; };
    ui.replayEnded = [](EngineContext&) { ++g_endedTold; };
    SetReplayUi(ui);
  }
  void TearDown() override {
    GpsStop(app_->gps);
    GpsPortTerm(app_->gps);
    FreeIgcFixes(*app_);
    app_.reset();
    SetReplayUi(ReplayUi{});
    TrailTerm();
    ce::scripted::User::Get().Reset();
    DeviceTest::TearDown();
  }
  void Start() {
    ASSERT_EQ(GpsStart(app_->gps, CountCallback, 1, nullptr), S_OK);
    Settle(1);
  }
  std::vector<GpsFix> Stored() {
    std::vector<GpsFix> out(static_cast<std::size_t>(GetFixBuffer(app_->gps, nullptr, 0)));
    GetFixBuffer(app_->gps, out.data(), static_cast<std::int32_t>(out.size()));
    return std::vector<GpsFix>(out.rbegin(), out.rend());  // oldest first
  }
  // Waits until `stored` fixes are in the history and both threads wait again.
  void Settle(int stored) {
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (GetFixBuffer(app_->gps, nullptr, 0) < stored || ce::kernel::ThreadsInWait() < 2) {
      ASSERT_LT(std::chrono::steady_clock::now(), giveUp) << "stored " << GetFixBuffer(app_->gps, nullptr, 0);
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }
  void Step(int stored) {
    AdvanceClock(static_cast<std::uint64_t>(app_->gps.stepTime.load()));
    Settle(stored);
  }
  // A flight of `count` fixes a second apart, 100 units north of each other.
  void LoadFlight(int count) {
    std::string text = "AXXX\r\nHFDTE010626\r\n";
    for (int i = 0; i < count; ++i) {
      char line[64];
      std::snprintf(line, sizeof line, "B1200%02d4700%03dN01100000EA%05d00100\r\n", i, i * 10, i);
      text += line;
    }
    std::ofstream(device_folder() / "root" / "My Documents" / "f.igc", std::ios::binary) << text;
    ASSERT_EQ(IgcFileOpen(*app_, u"\\My Documents\\f.igc"), S_OK);
    ASSERT_EQ(LoadIgcFixes(*app_), S_OK);
    ASSERT_EQ(app_->loadedFlight.FixCount(), count);
  }
  // Waits (real time, at most 10 s) until the end of a replay was shown `times` times.
  static bool AwaitPlaybackFinished(int times) {
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (g_finishedShown < times && std::chrono::steady_clock::now() < giveUp)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return g_finishedShown >= times;
  }
  std::unique_ptr<AppContext> app_;
};

TEST_F(ModeLoop, TheSimulatorMovesAlongItsTrackAndMarksEveryThirdFix) {
  SetGpsPosition(app_->gps, GeoPoint{1000, 2000});
  SimulatorSetCourse(app_->gps, 10.0f, 0);
  Start();
  for (int n = 2; n <= 6; ++n) Step(n);
  const auto fixes = Stored();
  ASSERT_EQ(fixes.size(), 6u);
  for (std::size_t i = 0; i < fixes.size(); ++i) {
    EXPECT_EQ(fixes[i].position, (GeoPoint{1000, 2000 + 10 * static_cast<int>(i + 1)})) << i;
    EXPECT_EQ(fixes[i].mark, i % 3 == 2 ? 1 : 0) << i;
    EXPECT_FLOAT_EQ(fixes[i].groundSpeed, 10.0f / 0.514444444f);
    // The device's local time: the manual clock (UTC) from 12:00:00, 500 ms a step.
    EXPECT_EQ(fixes[i].timeOfDay, 12u * 3600 + static_cast<std::uint32_t>(i) / 2);
  }
  // Due east at 20 m/s: longitude only.
  SimulatorSetCourse(app_->gps, 20.0f, 90);
  Step(7);
  EXPECT_EQ(Stored().back().position, (GeoPoint{1020, 2060}));
  EXPECT_EQ(GetGpsStatus(app_->gps).positionValid, 1);
}

TEST_F(ModeLoop, AReplayGivesEveryLoadedFixThenEndsWithPlaybackFinished) {
  LoadFlight(5);
  SimulatorSetCourse(app_->gps, 0.0f, 0);
  Start();  // one simulated fix
  ReplayStart(*app_);
  EXPECT_EQ(app_->gps.stepTime, 1000);
  for (int n = 2; n <= 6; ++n) Step(n);
  auto fixes = Stored();
  ASSERT_EQ(fixes.size(), 6u);
  for (int i = 0; i < 5; ++i) {
    const GpsFix& loaded = app_->loadedFlight.fixes[i];
    const GpsFix& f = fixes[static_cast<std::size_t>(i + 1)];
    EXPECT_EQ(f.position, loaded.position);
    EXPECT_EQ(f.timeOfDay, loaded.timeOfDay);
    EXPECT_EQ(f.pressureAltitude, loaded.pressureAltitude);
    EXPECT_EQ(f.mark, 1);
  }
  EXPECT_EQ(g_finishedShown, 0);
  // The next step finds the end: "Playback finished", nothing stored; then the simulator flies
  // on from the last replayed position.
  AdvanceClock(1000);
  ASSERT_TRUE(AwaitPlaybackFinished(1));
  Settle(6);
  EXPECT_EQ(g_finishedShown, 1);
  EXPECT_EQ(g_endedTold, 0);  // no main window to tell
  EXPECT_EQ(app_->gps.replayActive, 0);
  EXPECT_EQ(app_->gps.stepTime, 1000);
  Step(7);
  EXPECT_EQ(Stored().back().position, app_->loadedFlight.fixes[4].position);
}

TEST_F(ModeLoop, SpeedsStopManualStepsAndHold) {
  LoadFlight(25);
  Start();
  // "x10": fixes 0, 10 and 20, then the end.
  app_->replay.speed = 1;
  ReplayStart(*app_);
  for (int n = 2; n <= 4; ++n) Step(n);
  auto fixes = Stored();
  ASSERT_EQ(fixes.size(), 4u);
  EXPECT_EQ(fixes[1].timeOfDay, 12u * 3600);
  EXPECT_EQ(fixes[2].timeOfDay, 12u * 3600 + 10);
  EXPECT_EQ(fixes[3].timeOfDay, 12u * 3600 + 20);
  AdvanceClock(1000);
  ASSERT_TRUE(AwaitPlaybackFinished(1));
  Settle(4);

  // "Manual": one fix per "Go", none in between.
  app_->replay.speed = 4;
  ReplayStart(*app_);
  auto noFix = [&](int stored) {
    AdvanceClock(1000);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    Settle(stored);
    EXPECT_EQ(GetFixBuffer(app_->gps, nullptr, 0), stored);
  };
  noFix(4);
  app_->replay.step = 1;
  Step(5);
  noFix(5);
  noFix(5);
  app_->replay.step = 1;
  Step(6);
  fixes = Stored();
  ASSERT_EQ(fixes.size(), 6u);
  EXPECT_EQ(fixes[4].timeOfDay, 12u * 3600);
  EXPECT_EQ(fixes[5].timeOfDay, 12u * 3600 + 1);

  // "End": the stop flag ends the replay with the same box.
  app_->replay.stop = 1;
  AdvanceClock(1000);
  ASSERT_TRUE(AwaitPlaybackFinished(2));
  Settle(6);
  EXPECT_EQ(app_->gps.replayActive, 0);
  EXPECT_EQ(app_->replay.stop, 0);

  // Holding: the event goes on, no fix is made.
  app_->replay.hold = 1;
  const int before = g_callbacks;
  AdvanceClock(1000);
  const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (g_callbacks == before) {
    ASSERT_LT(std::chrono::steady_clock::now(), giveUp);
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  EXPECT_EQ(GetFixBuffer(app_->gps, nullptr, 0), 6);
}

// Every fix of a real flight, stored in turn: its valid B records.
TEST_F(ModeLoop, AReplayOfARealFlightStoresEachValidRecordInTurn) {
  const std::filesystem::path real = test_data::Folder("igc") / "2ALGB9D1.IGC";
  SKIP_WITHOUT_TEST_DATA(real.parent_path());
  std::filesystem::create_symlink(real, device_folder() / "root" / "My Documents" / "real.igc");
  ASSERT_EQ(IgcFileOpen(*app_, u"\\My Documents\\real.igc"), S_OK);
  ASSERT_EQ(LoadIgcFixes(*app_), S_OK);
  std::vector<igc_test::BRecord> valid;
  for (const auto& b : igc_test::DecodeB(real))
    if (b.valid) valid.push_back(b);
  ASSERT_EQ(app_->loadedFlight.FixCount(), static_cast<std::int32_t>(valid.size()));
  FixBufferReserve(app_->gps, 3000);  // the whole flight stays in the history
  Start();
  ReplayStart(*app_);
  int stored = 1;
  for (const auto& b : valid) {
    AdvanceClock(1000);
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (GetFixBuffer(app_->gps, nullptr, 0) < stored + 1 || ce::kernel::ThreadsInWait() < 2) {
      ASSERT_LT(std::chrono::steady_clock::now(), giveUp);
      std::this_thread::yield();
    }
    ++stored;
    GpsFix f;
    GetFixBuffer(app_->gps, &f, 1);
    ASSERT_NEAR(f.position.lat, igc_test::Units(b.lat), 1.0) << stored;
    ASSERT_NEAR(f.position.lon, igc_test::Units(b.lon), 1.0) << stored;
    ASSERT_EQ(f.timeOfDay, static_cast<std::uint32_t>(b.seconds)) << stored;
    ASSERT_EQ(f.pressureAltitude, b.pressure) << stored;
  }
  AdvanceClock(1000);
  ASSERT_TRUE(AwaitPlaybackFinished(1));
}

std::atomic<int> g_exchanges{0};
std::atomic<int> g_command{0};
std::atomic<HWND> g_commandWindow{nullptr};

TEST_F(ModeLoop, RecorderRequestsGoToTheirHooksOrAreCleared) {
  g_exchanges = 0;
  g_command = 0;
  app_->gps.recorderRequest = 1;
  app_->gps.deviceCommand = 7;  // no such command: cleared
  Start();
  EXPECT_EQ(app_->gps.recorderRequest, 0);
  EXPECT_EQ(app_->gps.deviceCommand, 0);
  ModeLoopRecorderHooks hooks;
  hooks.recorderExchange = [](GpsPort&) { ++g_exchanges; };
  hooks.deviceCommand = [](GpsPort&, std::int32_t command, HWND window) {
    g_command = command;
    g_commandWindow = window;
  };
  SetModeLoopRecorderHooks(hooks);
  app_->gps.commandWindow = reinterpret_cast<HWND>(0x1234);
  app_->gps.deviceCommand = 2;
  app_->gps.recorderRequest = 1;
  Step(2);
  SetModeLoopRecorderHooks(ModeLoopRecorderHooks{});
  EXPECT_EQ(g_exchanges, 1);
  EXPECT_EQ(g_command, 2);
  EXPECT_EQ(g_commandWindow.load(), reinterpret_cast<HWND>(0x1234));
  EXPECT_EQ(app_->gps.recorderRequest, 0);
  EXPECT_EQ(app_->gps.deviceCommand, 0);
}

}  // namespace
