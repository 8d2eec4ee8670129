// The speaker, power, beam, call forwarding and backlight managers on the simulated device: what
// each change does to the device, what it writes to the event log, and who is told.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <future>
#include <thread>
#include <iterator>
#include <mutex>
#include <tuple>
#include <vector>

#include "platform/applets/backlight_applet.h"
#include "platform/device/device.h"
#include "platform/kernel/device_folder.h"
#include "platform/power/power.h"
#include "platform/registry/registry.h"
#include "platform/shell/launch_seam.h"
#include "platform/sound/sound.h"
#include "platform/sound/sound_profile.h"
#include "platform/text/utf.h"
#include "platform/window/window.h"
#include "teskautils/teskautils_seam.h"
#include "tests/velomar/managers/manager_fixture.h"
#include "tests/velomar/managers/status_recorder.h"
#include "velomar/core/managers/BacklightMgr.h"
#include "velomar/core/managers/BeamMgr.h"
#include "velomar/core/managers/CallForwardMgr.h"
#include "velomar/core/managers/CpuMgr.h"
#include "velomar/core/managers/SpeakerMgr.h"

namespace {

using Recorder = velomar_test::StatusRecorder;

std::string ReadUtf16File(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), {});
  std::u16string wide;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
    wide.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                         (static_cast<unsigned char>(bytes[i + 1]) << 8)));
  return ce::text::ToUtf8(wide);
}

class DeviceManagersTest : public velomar_test::ManagerTest {
 protected:
  void SetUp() override {
    ManagerTest::SetUp();
    SetSetting(u"mgr_config", std::u16string(u"2222222222"));
    SetSetting(u"events_log_write_to_file", 1);
    SetSetting(u"events_log_file_max_size", 100);
    StartEventLog();  // again, with the file switched on
    ce::device::ClearEffects();
  }
  // Runs `change` and moves the clock until `done` holds.
  bool ChangeAndWait(const std::function<void()>& change, const std::function<bool()>& done) {
    change();
    return DriveClockUntil(done, 60'000, 50);
  }
};

TEST_F(DeviceManagersTest, SpeakerVibrateLogsBothLinesAndTellsItsListener) {
  CSpeakerMgr speaker;
  Recorder recorder;
  speaker.AddStatusListener(&recorder);
  ASSERT_TRUE(ChangeAndWait([&] { speaker.SetStatus(1, 0, 0, 0); }, [&] { return !recorder.Calls().empty(); }));
  EXPECT_EQ(recorder.Calls()[0], std::make_tuple(1, 2, 10));
  SNDFILEINFO info{};
  ASSERT_EQ(SndGetSound(SND_EVENT_ALL, &info), S_OK);
  EXPECT_EQ(info.sstType, SND_SOUNDTYPE_VIBRATE);
  const std::string log = ReadUtf16File(ce::DeviceRootFolder() / "Program Files/Velomar/log.txt");
  const auto changing = log.find("INFO");
  const auto changed = log.find("DEBUG");
  ASSERT_NE(changing, std::string::npos) << log;
  ASSERT_NE(changed, std::string::npos) << log;
  EXPECT_LT(changing, changed);
  EXPECT_NE(log.find("Speaker: changing to Vibrate"), std::string::npos) << log;
  EXPECT_NE(log.find("The status of Speaker changed from On to Vibrate."), std::string::npos) << log;
  speaker.RemoveStatusListener(&recorder);

  // A sound file chosen by another program reads as -1.
  SNDFILEINFO file{};
  std::u16string path = u"\\Windows\\Rings\\tone.wav";
  std::copy(path.begin(), path.end(), file.szPathName);
  file.sstType = SND_SOUNDTYPE_FILE;
  ASSERT_EQ(SndSetSound(SND_EVENT_ALL, &file, TRUE), S_OK);
  speaker.RefreshStatus(0);
  EXPECT_EQ(speaker.GetStatus(), -1);
  StopWhileDriving([&] { speaker.Stop(); });
}

TEST_F(DeviceManagersTest, SpeakerOnSetsThePendingVolume) {
  CSpeakerMgr speaker;
  const struct {
    int level;
    DWORD volume;  // 0: left as it was
  } cases[] = {{-1, 0}, {0, 0}, {1, 51 * 257}, {5, 255 * 257}, {6, 50 * 257}, {100, 236 * 257}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.level);
    waveOutSetVolume(nullptr, 7);
    speaker.SetPendingValue(c.level);
    EXPECT_EQ(speaker.GetPendingValue(), c.level);
    const LONG before = speaker.GetExecutedCount();
    const DWORD expected = c.volume ? c.volume : 7u;
    DWORD volume = 0;
    ASSERT_TRUE(ChangeAndWait([&] { speaker.SetStatus(2, 0, 0, 0); },
                              [&] { return speaker.GetExecutedCount() > before; }));
    // The command runs on its own thread: give it real time, then read the volume.
    for (int i = 0; i < 50; ++i) {
      waveOutGetVolume(nullptr, &volume);
      if ((volume & 0xFFFF) == expected && c.volume) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(volume & 0xFFFF, expected);
  }
  StopWhileDriving([&] { speaker.Stop(); });
}

TEST_F(DeviceManagersTest, PowerBeamAndForwardingReachTheDevice) {
  CCpuMgr cpu;
  CBeamMgr beam;
  CCallForwardMgr forward;
  const auto effects = [](const char* kind) { return ce::device::Effects(kind).size(); };

  ASSERT_TRUE(ChangeAndWait([&] { cpu.SetStatus(POWER_STATE_SUSPEND, 0, 0, 0); }, [&] { return effects("power") == 1; }));
  const auto power = ce::device::Effects("power")[0];
  EXPECT_EQ(power.value, POWER_STATE_SUSPEND);
  EXPECT_NE(power.body.find("0x1000"), std::string::npos) << power.body;  // forced
  EXPECT_EQ(cpu.GetStatusText(POWER_STATE_OFF), u"Off  state");
  EXPECT_EQ(cpu.GetStatusText(5), u"unknwon state");

  ASSERT_TRUE(ChangeAndWait([&] { beam.SetStatus(1, 0, 0, 0); }, [&] { return effects("obex") == 2; }));
  ASSERT_TRUE(ChangeAndWait([&] { beam.SetStatus(0, 0, 0, 0); }, [&] { return effects("obex") == 3; }));
  std::vector<std::int64_t> codes;
  for (const auto& e : ce::device::Effects("obex")) codes.push_back(e.value);
  EXPECT_EQ(codes, (std::vector<std::int64_t>{0x1040004, 0x1040020, 0x1040008}));

  forward.SetNumber(u"+34600111222");
  ASSERT_TRUE(ChangeAndWait([&] { forward.SetStatus(1, 0, 0, 0); }, [&] { return effects("forward") == 1; }));
  EXPECT_EQ(ce::device::Effects("forward")[0].target, "+34600111222");
  ASSERT_TRUE(ChangeAndWait([&] { forward.SetStatus(0, 0, 0, 0); }, [&] { return effects("forward") == 2; }));
  EXPECT_EQ(ce::device::Effects("forward")[1].target, "(cancelled)");
  // A number the forward list cannot hold makes no request.
  forward.SetNumber(u"+3460011122233344455");  // 20 characters
  const LONG before = forward.GetExecutedCount();
  ASSERT_TRUE(ChangeAndWait([&] { forward.SetStatus(1, 0, 0, 0); }, [&] { return forward.GetExecutedCount() > before; }));
  DriveClockUntil([] { return false; }, 12'000, 100);
  EXPECT_EQ(effects("forward"), 2u);

  StopWhileDriving([&] { forward.Stop(); });
  StopWhileDriving([&] { beam.Stop(); });
  StopWhileDriving([&] { cpu.Stop(); });
}

// The program's close does not wait out a forwarding request's 10 s for the line's answer, nor a
// forwarding change held 10 s behind the phone's (which the close then drops): each manager's Stop
// returns long before the device clock has moved 10 s (the worker's own 100 ms pause after a
// command still passes).
TEST_F(DeviceManagersTest, StopCutsForwardingWaitsShort) {
  const auto forwards = [] { return ce::device::Effects("forward").size(); };
  // The device clock that passed, in 50 ms steps, until Stop returned.
  const auto clock_to_stop = [](WorkerThread& worker) {
    auto stopped = std::async(std::launch::async, [&] { worker.Stop(); });
    std::uint64_t moved = 0;
    while (stopped.wait_for(std::chrono::milliseconds(2)) != std::future_status::ready) {
      AdvanceClock(50);
      moved += 50;
    }
    return moved;
  };
  {
    CCallForwardMgr forward;
    forward.SetNumber(u"+34600111222");
    forward.SetStatus(1, 0, 0, 0);
    while (forwards() == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_LT(clock_to_stop(forward), 5000u);  // the request made, its answer awaited
  }
  {
    CCallForwardMgr forward;
    forward.SetNumber(u"+34600111222");
    forward.SetStatus(0, 0, 0, 10000);
    while (forward.GetExecutedCount() == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));  // into its delay
    EXPECT_LT(clock_to_stop(forward), 5000u);
    EXPECT_EQ(forwards(), 1u);  // the delayed change was dropped
  }
}

TEST_F(DeviceManagersTest, BacklightThroughTheRegistry) {
  CBacklightMgr backlight;
  const int status = 3 * 65536 + 5;
  EXPECT_EQ(backlight.GetStatusText(status), u"[5-3]");
  ASSERT_TRUE(ChangeAndWait([&] { backlight.SetStatus(status, 0, 0, 0); },
                            [&] { return ce::device::Effects("event").size() == 1; }));
  EXPECT_EQ(ce::device::Effects("event")[0].target, "BackLightChangeEvent");
  DWORD battery = 0, external = 0;
  ASSERT_EQ(RegistryGetDWORD(HKEY_CURRENT_USER, u"\\ControlPanel\\Backlight", u"BrightNess", &battery), S_OK);
  ASSERT_EQ(RegistryGetDWORD(HKEY_CURRENT_USER, u"\\ControlPanel\\Backlight", u"ACBrightNess", &external), S_OK);
  EXPECT_EQ(battery, 5u);
  EXPECT_EQ(external, 3u);
  StopWhileDriving([&] { backlight.Stop(); });
}

TEST_F(DeviceManagersTest, BacklightThroughTheAppletTapsBothSliders) {
  SetSetting(u"backlight_mode", 1);
  CBacklightMgr backlight;
  backlight.SetStatus(8 * 65536 + 5, 0, 0, 0);
  // The applet comes up on a thread of its own, whatever the clock does; only then does the clock
  // pass the manager's 5 s wait for it.
  const auto applet_in_front = [] {
    HWND applet = FindWindowW(ce::applets::kBacklightAppletClass, nullptr);
    return applet != nullptr && GetForegroundWindow() == applet;
  };
  for (int i = 0; i < 500 && !applet_in_front(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  ASSERT_TRUE(applet_in_front());
  ASSERT_TRUE(DriveClockUntil([&] { return ce::device::Effects("backlight-applet").size() == 1; }, 60'000, 50));
  const auto applet = ce::device::Effects("backlight-applet")[0];
  EXPECT_EQ(applet.target, "cplmain.cpl,6");
  EXPECT_EQ(applet.value & 0xFFFF, 5);
  EXPECT_EQ(applet.value >> 16, 8);
  EXPECT_TRUE(teskautils::seam::TakeShownBoxes().empty());
  StopWhileDriving([&] { backlight.Stop(); });
}

LRESULT BareProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  return DefWindowProcW(window, message, wparam, lparam);
}

TEST_F(DeviceManagersTest, BacklightAppletWithoutSlidersShowsOneBox) {
  SetSetting(u"backlight_mode", 1);
  WNDCLASSW wc{};
  wc.lpfnWndProc = BareProc;
  wc.lpszClassName = u"BareApplet";
  RegisterClassW(&wc);
  HWND bare = nullptr;
  ce::shell::RegisterDeviceProgram(u"\\Windows\\ctlpnl.exe", [&](std::u16string_view) -> DWORD {
    bare = CreateWindowW(u"BareApplet", u"bare", WS_VISIBLE, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
    SetForegroundWindow(bare);
    return 0;
  });
  CBacklightMgr backlight;
  std::vector<teskautils::seam::ShownBox> boxes;
  const auto collect = [&] {
    for (auto& box : teskautils::seam::TakeShownBoxes()) boxes.push_back(box);
    return !boxes.empty();
  };
  ASSERT_TRUE(ChangeAndWait([&] { backlight.SetStatus(5, 0, 0, 0); }, collect));
  StopWhileDriving([&] { backlight.Stop(); });
  collect();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, u"The backlight settings could not be found.");
  ce::shell::RegisterDeviceProgram(u"\\Windows\\ctlpnl.exe", ce::applets::StartControlPanel);
  if (bare) DestroyWindow(bare);
  EXPECT_TRUE(ce::device::Effects("backlight-applet").empty());
}

}  // namespace
