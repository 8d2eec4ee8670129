// The Cumulor Today item: in this process, what only its host sees (the record it writes, the
// disabled flag); and on the Today host as a process beside Velomar's item, its screen and its
// taps, which start the flight computer (or a probe at an earlier path) as a process.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "companions_fixture.h"
#include "platform/gdi/gdi.h"
#include "platform/gdi/gdi_seams.h"
#include "platform/gdi/images.h"
#include "platform/libraries/libraries.h"
#include "platform/libraries/shared_libraries.h"
#include "platform/registry/registry.h"
#include "platform/shell/today.h"
#include "tests/todayvelomar/today_fixture.h"
#include "tools/todayhost/today_host.h"
#include "tools/todayhost/today_host_install.h"

namespace {

using namespace companions_test;

constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kWhite = RGB(255, 255, 255);
// Where Cumulor's item begins on the Today screen: below Velomar's, which shows its place line.
constexpr int kTop = 35;

LRESULT PlainProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  return DefWindowProcW(hwnd, msg, wparam, lparam);
}

class CumulorTodayItem : public CompanionsTest {
 protected:
  void SetUp() override {
    CompanionsTest::SetUp();
    ce::libraries::SetLibraryFolder(COMPANIONS_LIBRARY_DIR);
  }
  void TearDown() override {
    ce::libraries::SetLibraryFolder({});
    CompanionsTest::TearDown();
  }
};

// Created only when enabled, with the class "KVDLL" and its instance from the record; the first
// refresh query of its host gets the height 120 and a repaint, every later one (and one that does
// not carry the host's record) gets 0 and changes nothing.
TEST_F(CumulorTodayItem, GivesItsHeightOnceAndMakesNoWindowWhenDisabled) {
  HMODULE module = LoadLibraryW(cumulor::kTodayItemLibrary);
  ASSERT_NE(module, nullptr) << GetLastError();
  auto init = ce::libraries::ProcAs<HWND(TODAYLISTITEM*, HWND)>(
      GetProcAddressW(module, MAKEINTRESOURCEW(kTodayItemInitOrdinal)));
  ASSERT_NE(init, nullptr);
  WNDCLASSW wc{};
  wc.lpfnWndProc = PlainProc;
  wc.lpszClassName = u"TodayParent";
  RegisterClassW(&wc);
  HWND parent = CreateWindowW(u"TodayParent", u"", WS_VISIBLE, 0, 0, 240, 320, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(parent, nullptr);

  TODAYLISTITEM record{};
  record.hinstDLL = module;
  record.fEnabled = FALSE;
  EXPECT_EQ(init(&record, parent), nullptr);
  EXPECT_EQ(GetWindow(parent, GW_CHILD), nullptr);

  record.fEnabled = TRUE;
  HWND item = init(&record, parent);
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(GetParent(item), parent);
  WCHAR text[16] = {};
  GetClassNameW(item, text, 16);
  EXPECT_EQ(std::u16string(text), u"KVDLL");
  GetWindowTextW(item, text, 16);
  EXPECT_EQ(std::u16string(text), u"KV");
  RECT r{};
  GetWindowRect(item, &r);
  EXPECT_EQ(r.right - r.left, 240);

  TODAYLISTITEM other{};
  EXPECT_EQ(SendMessageW(item, WM_TODAYCUSTOM_QUERYREFRESHCACHE, 0, reinterpret_cast<LPARAM>(&other)), 0);
  EXPECT_EQ(other.cyp, 0u);
  EXPECT_EQ(SendMessageW(item, WM_TODAYCUSTOM_QUERYREFRESHCACHE, 0, 0), 0);
  EXPECT_EQ(SendMessageW(item, WM_TODAYCUSTOM_QUERYREFRESHCACHE, 0, reinterpret_cast<LPARAM>(&record)), 1);
  EXPECT_EQ(record.cyp, 120u);
  record.cyp = 7;
  EXPECT_EQ(SendMessageW(item, WM_TODAYCUSTOM_CLEARCACHE, 0, 0), 0);
  EXPECT_EQ(SendMessageW(item, WM_TODAYCUSTOM_QUERYREFRESHCACHE, 0, reinterpret_cast<LPARAM>(&record)), 0);
  EXPECT_EQ(record.cyp, 7u);

  DestroyWindow(item);
  DestroyWindow(parent);
  UnregisterClassW(u"TodayParent", nullptr);
  FreeLibrary(module);
}

class TodayHostWithCumulor : public CompanionsTest {
 protected:
  void SetUp() override {
    CompanionsTest::SetUp();
    today_test::InstallVelomarForToday();
    ASSERT_TRUE(cumulor::RegisterTodayItem());
    ASSERT_TRUE(todayhost::InstallTodayHost());
    shot_ = device_folder() / "today.png";
  }
  void TearDown() override {
    StopHost();
    CompanionsTest::TearDown();
  }

  // The host as a process; the flight computer it starts shares its environment, so its start-up
  // screenshot goes to the host's file.
  void StartHost() {
    ::setenv("CE_SCREENSHOT", shot_.c_str(), 1);
    PROCESS_INFORMATION pi = ce::testing::StartDeviceProgram(todayhost::kProgramPath, u"");
    ASSERT_NE(pi.hProcess, nullptr) << GetLastError();
    CloseHandle(pi.hThread);
    host_process_ = pi.hProcess;
    ::setenv("CE_SCREENSHOT", screenshot_.c_str(), 1);
    ASSERT_TRUE(WaitFor([&] { return (host_ = FindWindowW(todayhost::kHostClass, nullptr)) != nullptr; }));
  }
  void StopHost() {
    if (!host_process_) return;
    PostMessageW(host_, WM_CLOSE, 0, 0);
    EXPECT_EQ(ExitCode(host_process_), 0u);
    host_process_ = nullptr;
  }
  // Takes this thread's messages (the stand-in main window's) until `done` holds.
  template <class Done>
  static bool PumpUntil(Done done) {
    return WaitFor([&] {
      today_test::Pump();
      return done();
    });
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
  // Velomar's item: its icons from the top, 35 pixels high with its place line (as installed).
  static bool VelomarShown(HBITMAP shot) {
    return today_test::CellHas(shot, 0, today_test::kWifiOn) && today_test::CellHas(shot, 150, today_test::kLock);
  }
  // Cumulor's item right below, 120 pixels high: blue, two white buttons with dark captions.
  static bool CumulorShown(HBITMAP shot) {
    using ce::gdi::BitmapPixel;
    return BitmapPixel(shot, 0, kTop + 1) == kBlue && BitmapPixel(shot, 239, kTop + 119) == kBlue &&
           BitmapPixel(shot, 10, kTop + 15) == kWhite && BitmapPixel(shot, 10, kTop + 105) == kWhite &&
           BitmapPixel(shot, 120, kTop + 60) == kBlue && BitmapPixel(shot, 0, kTop + 121) == todayhost::kBackground &&
           today_test::HasDarkPixel(shot, RECT{20, kTop + 5, 220, kTop + 55}) &&
           today_test::HasDarkPixel(shot, RECT{20, kTop + 65, 220, kTop + 115});
  }
  void Tap(int x, int y) { ASSERT_TRUE(PostMessageW(host_, WM_LBUTTONUP, 0, MAKELPARAM(x, y))); }

  std::filesystem::path shot_;
  HANDLE host_process_ = nullptr;
  HWND host_ = nullptr;
};

// Both items on one Today screen; the lower button starts the first present executable as a
// simulator, the upper one without arguments, the gap between them nothing; with its registration
// disabled the item is not shown.
TEST_F(TodayHostWithCumulor, ShowsBothItemsAndStartsTheFlightComputer) {
  today_test::StandInMain main;
  main.SetStatuses({{0, 1}, {1, 1}, {2, 2}, {3, 0}, {4, 2}, {5, 2}}, 1234, 56);
  InstallAt(kPaths[1]);
  StartHost();
  const bool both =
      PumpUntil([&] { return ShotShows([](HBITMAP s) { return VelomarShown(s) && CumulorShown(s); }); });
  std::error_code error;
  std::filesystem::copy_file(shot_, std::filesystem::current_path() / "today_both_items.png",
                             std::filesystem::copy_options::overwrite_existing, error);
  ASSERT_TRUE(both);

  // The lower button: the flight computer at the second path comes up as a simulator.
  const auto before = std::filesystem::last_write_time(shot_);
  Tap(120, kTop + 90);
  HWND window = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (window = FindWindowW(u"Cumulor", nullptr)) != nullptr; }));
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  EXPECT_EQ(CeCommandLine(pid), " /s");
  // Its start-up ends (its screenshot replaces the host's); then it quits, answered Yes.
  ASSERT_TRUE(WaitFor([&] { return std::filesystem::last_write_time(shot_) != before; }));
  ASSERT_TRUE(PostMessageW(window, WM_COMMAND, 40034, 0));
  ASSERT_TRUE(WaitFor([&] { return !ProcessRuns(pid); }));

  // A probe at the first path: it is started before the flight computer.
  InstallProbeAt(kPaths[0]);
  Tap(120, kTop + 60);  // between the buttons
  Tap(120, kTop + 30);  // upper
  ASSERT_TRUE(WaitFor([&] { return ProbeStarts().size() == 1; }));
  Tap(120, kTop + 90);  // lower
  ASSERT_TRUE(WaitFor([&] { return ProbeStarts().size() == 2; }));
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_EQ(ProbeStarts(),
            (std::vector<std::string>{"\\Program Files\\Cumulor_Apex.exe|", "\\Program Files\\Cumulor_Apex.exe| /s"}));

  // Disabled: Velomar's item alone.
  StopHost();
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, cumulor::kTodayItemKey, 0, KEY_WRITE, &key), ERROR_SUCCESS);
  const DWORD off = 0;
  RegSetValueExW(key, u"Enabled", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&off), sizeof(off));
  RegCloseKey(key);
  std::filesystem::remove(shot_);
  StartHost();
  ASSERT_TRUE(PumpUntil([&] { return ShotShows([](HBITMAP s) { return VelomarShown(s); }); }));
  EXPECT_TRUE(ShotShows([](HBITMAP s) { return ce::gdi::BitmapPixel(s, 0, kTop + 1) == todayhost::kBackground; }));
}

}  // namespace
