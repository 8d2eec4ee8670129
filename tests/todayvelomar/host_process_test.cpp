// The Today host as a process of its own, started from its CE path, with the item talking across
// processes to a stand-in for Velomar's main window in this process.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <thread>
#include <vector>

#include "platform/gdi/gdi.h"
#include "platform/gdi/images.h"
#include "platform/kernel/kernel.h"
#include "platform/shell/launch.h"
#include "platform/testing/device_process.h"
#include "tests/teskautils/log_queue_reader.h"
#include "tests/todayvelomar/today_fixture.h"
#include "tools/todayhost/today_host.h"
#include "tools/todayhost/today_host_install.h"

namespace {

using namespace today_test;

class TodayHostProcess : public ce::testing::DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    InstallVelomarForToday();
    ASSERT_TRUE(todayhost::InstallTodayHost());
    shot_ = device_folder() / "today.png";
    ::setenv("CE_SCREENSHOT", shot_.c_str(), 1);
  }
  void TearDown() override {
    if (process_) {
      if (HWND host = FindWindowW(todayhost::kHostClass, nullptr)) PostMessageW(host, WM_CLOSE, 0, 0);
      ce::testing::WaitForExit(process_);
      CloseHandle(process_);
    }
    ::unsetenv("CE_SCREENSHOT");
    DeviceTest::TearDown();
  }

  bool Start() {
    PROCESS_INFORMATION pi = ce::testing::StartDeviceProgram(todayhost::kProgramPath, u"");
    if (pi.hProcess == nullptr) return false;
    CloseHandle(pi.hThread);
    process_ = pi.hProcess;
    return true;
  }
  // Takes this thread's messages until `done` holds, for at most 20 s of real time.
  template <class Done>
  static bool PumpUntil(Done done) {
    return ce::testing::WaitUntil([&] {
      Pump();
      return done();
    }, 20000);
  }
  // Whether the host's latest screenshot passes `check`.
  template <class Check>
  bool ShotShows(Check check) {
    std::ifstream in(shot_, std::ios::binary);
    const std::vector<unsigned char> bytes{std::istreambuf_iterator<char>(in), {}};
    if (bytes.empty()) return false;
    HBITMAP shot = ce::gdi::BitmapFromImageData(bytes.data(), bytes.size());
    if (shot == nullptr) return false;
    const bool ok = check(shot);
    DeleteObject(shot);
    return ok;
  }
  static bool SixIcons(HBITMAP shot, const COLORREF (&inks)[6]) {
    for (int slot = 0; slot < 6; ++slot)
      if (!CellHas(shot, 25 * slot, inks[slot])) return false;
    return CellHas(shot, 150, kLock);
  }

  std::filesystem::path shot_;
  HANDLE process_ = nullptr;
};

TEST_F(TodayHostProcess, ShowsVelomarsStateHandsTapsBackAndSurvivesBadMessages) {
  teskautils_test::LogQueueReader log;
  ASSERT_TRUE(log.ok());
  auto main = std::make_unique<StandInMain>();
  main->SetStatuses({{0, 1}, {1, 2}, {2, 1}, {3, 0}, {4, 2}, {5, 2}}, 1234, 56);
  ASSERT_TRUE(Start()) << GetLastError();

  ASSERT_TRUE(PumpUntil([&] { return main->Count(WM_TODAY_REGISTER) > 0; }));
  const HWND item = main->item();
  ASSERT_NE(item, nullptr);
  const COLORREF shown[] = {kWifiOn, kDiscoverable, kVibrate, kPhoneOn, kConnected, k3G};
  EXPECT_TRUE(PumpUntil([&] { return ShotShows([&](HBITMAP s) { return SixIcons(s, shown); }); }));
  const HWND host = FindWindowW(todayhost::kHostClass, nullptr);
  ASSERT_NE(host, nullptr);

  // Taps on the host's screen reach the main window as posts: the host answers while the main
  // window's thread has not taken them yet.
  const struct {
    int x;
    UINT msg;
  } taps[] = {{0, WM_TODAY_TAP_ICON0}, {25, WM_TODAY_TAP_ICON0}, {26, WM_TODAY_TAP_ICON1}, {150, WM_TODAY_TAP_ICON5},
              {151, WM_TODAY_TAP_TEXT}};
  for (const auto& t : taps) {
    main->ClearReceived();
    ASSERT_TRUE(PostMessageW(host, WM_LBUTTONUP, 0, MAKELPARAM(t.x, 5)));
    ASSERT_TRUE(PumpUntil([&] { return !main->received().empty(); })) << "x " << t.x;
    EXPECT_EQ(main->received()[0].msg, t.msg) << "x " << t.x;
    EXPECT_EQ(main->received()[0].wparam, reinterpret_cast<WPARAM>(item));
  }

  // Velomar quits: six unknown icons beside the lock; it starts again: the item registers with
  // the new window and the icons come back.
  main.reset();
  const COLORREF unknown[] = {kUnknown, kUnknown, kUnknown, kUnknown, kUnknown, kUnknown};
  EXPECT_TRUE(PumpUntil([&] { return ShotShows([&](HBITMAP s) { return SixIcons(s, unknown); }); }));
  main = std::make_unique<StandInMain>();
  main->SetStatuses({{0, 0}, {1, 0}, {2, 2}, {3, 1}, {4, 0}, {5, 0}}, 77, 88);
  ASSERT_TRUE(PumpUntil([&] { return main->Count(WM_TODAY_REGISTER) > 0; }));
  EXPECT_EQ(main->item(), item);
  const COLORREF back[] = {kOff, kOff, kSpeakerOn, kOff, kDisabled, kAuto};
  EXPECT_TRUE(PumpUntil([&] { return ShotShows([&](HBITMAP s) { return SixIcons(s, back); }); }));

  // Pointers cannot come from another process: background requests and refresh queries from
  // here are ignored, bad slots and unknown codes too; the host still answers.
  PostMessageW(host, TODAYM_DRAWWATERMARK, 0, 0x1234);
  EXPECT_EQ(SendMessageW(host, TODAYM_DRAWWATERMARK, 0, 0x1234), 0);
  PostMessageW(item, WM_TODAYCUSTOM_QUERYREFRESHCACHE, 0, 0x20);
  SendMessageW(item, WM_TODAYCUSTOM_QUERYREFRESHCACHE, 0, 0x20);
  PostMessageW(item, WM_TODAY_MGR_STATUS, 99, 1);
  PostMessageW(item, 0x0400 + 220, 1, 2);
  EXPECT_EQ(static_cast<COLORREF>(SendMessageW(host, TODAYM_GETCOLOR, TODAYCOLOR_TEXT, 0)), todayhost::kTextColor);

  // A close unloads the item: its attach and detach are logged with the library's path.
  ASSERT_TRUE(PostMessageW(host, WM_CLOSE, 0, 0));
  ASSERT_EQ(WaitForSingleObject(process_, INFINITE), WAIT_OBJECT_0);
  DWORD code = 99;
  GetExitCodeProcess(process_, &code);
  EXPECT_EQ(code, 0u);
  CloseHandle(process_);
  process_ = nullptr;
  int attach = 0, detach = 0;
  for (const auto& record : log.Take()) {
    attach += record.text.find(u"DLL_PROCESS_ATTACH \\Program Files\\Velomar\\TodayVelomar.dll") != std::u16string::npos;
    detach += record.text.find(u"DLL_PROCESS_DETACH \\Program Files\\Velomar\\TodayVelomar.dll") != std::u16string::npos;
  }
  EXPECT_EQ(attach, 1);
  EXPECT_EQ(detach, 1);
}

}  // namespace
