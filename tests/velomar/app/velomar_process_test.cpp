// The installed Velomar as a process: the command-line forms handed to a running instance, a
// start without one, and the relaunch after a requested restart through the notification launcher.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "platform/window/window.h"
#include "tests/velomar/app/process_fixture.h"
#include "velomar/core/app/AppConnMgr.h"
#include "velomar/core/app/WinMain.h"

namespace {

LRESULT MainWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  return DefWindowProcW(window, message, wparam, lparam);
}

class VelomarProcessTest : public velomar_test::ProcessTest {
 protected:
  // A window of the running instance's class in this process.
  HWND MakeMainWindow() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = MainWindowProc;
    wc.lpszClassName = u"MainWindow";
    RegisterClassW(&wc);
    return CreateWindowW(u"MainWindow", u"Velomar", 0, 0, 0, 240, 320, nullptr, nullptr, nullptr, nullptr);
  }
  // The notification messages that reached `window` within a short real-time wait.
  static std::vector<MSG> TakeNotifications(HWND window) {
    std::vector<MSG> got;
    for (int i = 0; i < 30; ++i) {
      MSG msg{};
      while (PeekMessageW(&msg, window, WM_TIMER_NOTIFICATION, WM_IDLE_NOTIFICATION, PM_REMOVE)) got.push_back(msg);
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return got;
  }
};

TEST_F(VelomarProcessTest, RunningInstanceGetsTheCommandLineAsItsMessage) {
  HWND window = MakeMainWindow();
  ASSERT_NE(window, nullptr);
  const struct {
    const char16_t* line;
    int messages;  // 0 or 1
    UINT message;
    WPARAM wparam;
    LPARAM lparam;
  } cases[] = {
      {u"timer_notification_03_07", 1, WM_TIMER_NOTIFICATION, 3, 7},
      {u"iddle_notification", 1, WM_IDLE_NOTIFICATION, 0, 0},
      {u"xxtimer_notification_03_07", 0, 0, 0, 0},  // contains the word but gives no numbers
      {u"timer_notification_03", 0, 0, 0, 0},
      {u"idle_notification", 0, 0, 0, 0},
      {u"xxiddle_notification", 0, 0, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(ce::text::ToUtf8(c.line));
    EXPECT_EQ(RunVelomar(c.line), 0);
    const std::vector<MSG> got = TakeNotifications(window);
    ASSERT_EQ(got.size(), static_cast<std::size_t>(c.messages));
    if (c.messages) {
      EXPECT_EQ(got[0].message, c.message);
      EXPECT_EQ(got[0].wParam, c.wparam);
      EXPECT_EQ(got[0].lParam, c.lparam);
    }
  }
  // An empty command line brings the window forward.
  HWND other = CreateWindowW(u"MainWindow", u"other", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  SetForegroundWindow(other);
  EXPECT_EQ(RunVelomar(u""), 0);
  EXPECT_EQ(GetForegroundWindow(), FindWindowW(u"MainWindow", nullptr));
  // Nothing of the program was built: no database, no event-log file.
  EXPECT_FALSE(std::filesystem::exists(HostPath(u"\\Program Files\\Velomar\\quarn.db")));
  EXPECT_FALSE(std::filesystem::exists(HostPath(u"\\Program Files\\Velomar\\log.txt")));
  DestroyWindow(other);
  DestroyWindow(window);
}

TEST_F(VelomarProcessTest, OnlyAnEmptyCommandLineBuildsTheProgramWhichRunsHiddenUntilClosed) {
  for (const char16_t* line : {u"timer_notification_03_07", u"iddle_notification", u"anything"}) {
    SCOPED_TRACE(ce::text::ToUtf8(line));
    EXPECT_EQ(RunVelomar(line), 0);
    EXPECT_FALSE(std::filesystem::exists(HostPath(u"\\Program Files\\Velomar\\quarn.db")));
    EXPECT_FALSE(std::filesystem::exists(HostPath(u"\\Program Files\\Velomar\\log.txt")));
  }
  // An empty one builds everything and runs with its main window hidden. A copy into the program
  // folder that a kill cut short is gone at the start; a file that only looks like one stays.
  const auto folder = HostPath(u"\\Program Files\\Velomar\\quarn.db").parent_path();
  std::ofstream(folder / ".quarn.db.copy-Ab12Cd") << "cut";
  std::ofstream(folder / ".quarn.db.copy-") << "kept";
  PROCESS_INFORMATION velomar = StartVelomar(u"");
  ASSERT_NE(velomar.hProcess, nullptr);
  ASSERT_TRUE(WaitForMainWindow(true));
  EXPECT_FALSE(std::filesystem::exists(folder / ".quarn.db.copy-Ab12Cd"));
  EXPECT_TRUE(std::filesystem::exists(folder / ".quarn.db.copy-"));
  HWND window = FindWindowW(u"MainWindow", nullptr);
  EXPECT_FALSE(IsWindowVisible(window));
  EXPECT_TRUE(std::filesystem::exists(HostPath(u"\\Program Files\\Velomar\\quarn.db")));
  // A close from outside is refused unless the setting allows it: once the program has answered
  // the close, its window is still there and it runs on.
  SendMessageW(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(FindWindowW(u"MainWindow", nullptr), window);
  EXPECT_EQ(WaitForExit(velomar, 0), -1);
  SetSetting(u"allow_windows_close_qxt", 1);
  PostMessageW(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(WaitForExit(velomar, 60000), 0);
  EXPECT_FALSE(WaitForMainWindow(true, 100));
  EXPECT_EQ(Count(EventLogText(), "Velomar starting"), 1u) << EventLogText();
  CloseHandle(velomar.hProcess);
  CloseHandle(velomar.hThread);
}

// A places volume that is no database: the user is asked whether to start with a new one. No: the
// start fails and the exit code says so, the file untouched. Yes: the damaged file is kept aside
// and the program runs on a fresh volume.
TEST_F(VelomarProcessTest, ADamagedVolumeIsReplacedOnlyWhenTheUserSaysSo) {
  const auto volume = HostPath(u"\\Program Files\\Velomar\\quarn.db");
  const auto kept = HostPath(u"\\Program Files\\Velomar\\quarn.db.damaged");
  const std::string garbage(4096, 'x');
  std::filesystem::create_directories(volume.parent_path());
  std::ofstream(volume, std::ios::binary) << garbage;
  auto contents = [](const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  };
  const auto script = device_folder() / "user_script.txt";
  std::ofstream(script) << "box IDNO\n";
  setenv("CE_USER_SCRIPT", script.c_str(), 1);
  EXPECT_EQ(RunVelomar(u""), 1);
  EXPECT_FALSE(WaitForMainWindow(true, 100));
  EXPECT_EQ(contents(volume), garbage);
  EXPECT_FALSE(std::filesystem::exists(kept));

  std::ofstream(script) << "box IDYES\n";
  PROCESS_INFORMATION velomar = StartVelomar(u"");
  unsetenv("CE_USER_SCRIPT");
  ASSERT_NE(velomar.hProcess, nullptr);
  ASSERT_TRUE(WaitForMainWindow(true));
  EXPECT_EQ(contents(kept), garbage);
  EXPECT_EQ(contents(volume).rfind("SQLite format 3", 0), 0u);
  SetSetting(u"allow_windows_close_qxt", 1);
  PostMessageW(FindWindowW(u"MainWindow", nullptr), WM_CLOSE, 0, 0);
  EXPECT_EQ(WaitForExit(velomar, 60000), 0);
  CloseHandle(velomar.hProcess);
  CloseHandle(velomar.hThread);
}

}  // namespace
