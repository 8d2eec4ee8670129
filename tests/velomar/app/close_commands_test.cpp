// The installed Velomar closed from its menu, as processes: "Exit" asks first and only Yes ends
// the program; the restart command ends it without asking, and the notification launcher starts
// the installed program again once the device clock passes the relaunch time.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

#include "platform/window/window.h"
#include "tests/velomar/app/process_fixture.h"

namespace {

constexpr WPARAM kExit = 1234;
constexpr WPARAM kTestRestart = 40057;

class CloseCommandsTest : public velomar_test::ProcessTest {
 protected:
  void TearDown() override {
    if (HWND window = FindWindowW(u"MainWindow", nullptr)) {
      PostMessageW(window, WM_CLOSE, 0, 0);
      WaitForMainWindow(false, 30000);
    }
    StopLauncher();
    ProcessTest::TearDown();
  }

  // Starts Velomar with the answers of `script` for its boxes; what it shows and what is answered
  // goes to `Record`.
  PROCESS_INFORMATION StartWithScript(const std::string& script) {
    const std::filesystem::path file = device_folder() / "user_script.txt";
    std::ofstream(file) << script;
    setenv("CE_USER_SCRIPT", file.c_str(), 1);
    setenv("CE_USER_RECORD", RecordFile().c_str(), 1);
    PROCESS_INFORMATION info = StartVelomar(u"");
    unsetenv("CE_USER_SCRIPT");
    unsetenv("CE_USER_RECORD");
    return info;
  }
  std::filesystem::path RecordFile() const { return device_folder() / "user_record.txt"; }
  std::string Record() const {
    std::ifstream in(RecordFile());
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  // The notification launcher with its output kept for `StopLauncher`.
  void StartLauncher() {
    m_launcher = ce::testing::StartDeviceToolWithOutput(NOTIFY_LAUNCHER_PATH, device_folder());
    ASSERT_TRUE(m_launcher->started());
  }
  // Stops the launcher; what it wrote.
  std::string StopLauncher() {
    if (!m_launcher) return {};
    m_launcher->Terminate();
    m_launcher->Wait();
    std::string out;
    while (auto line = m_launcher->ReadLine()) out += *line + "\n";
    m_launcher.reset();
    return out;
  }
};

TEST_F(CloseCommandsTest, ExitAsksAndEndsTheProgramOnlyOnYes) {
  PROCESS_INFORMATION velomar = StartWithScript("box IDNO\nbox IDYES\n");
  ASSERT_NE(velomar.hProcess, nullptr);
  ASSERT_TRUE(WaitForMainWindow(true));
  PostMessageW(FindWindowW(u"MainWindow", nullptr), WM_COMMAND, kExit, 0);
  // A second Exit before the first box is answered would find no request and close nothing.
  ASSERT_TRUE(ce::testing::WaitUntil([&] { return Count(Record(), "answered box") == 1; }, 60000)) << Record();
  EXPECT_EQ(WaitForExit(velomar, 500), -1);  // answered No: still running
  PostMessageW(FindWindowW(u"MainWindow", nullptr), WM_COMMAND, kExit, 0);
  EXPECT_EQ(WaitForExit(velomar, 60000), 0);
  EXPECT_FALSE(WaitForMainWindow(true, 100));
  // No relaunch is armed by a plain exit.
  EXPECT_EQ(Count(Devicectl({"notifications"}), "Velomar.exe"), 0u);
  CloseHandle(velomar.hProcess);
  CloseHandle(velomar.hThread);
}

TEST_F(CloseCommandsTest, TheRestartCommandClosesWithoutAskingAndTheLauncherStartsVelomarAgain) {
  SetSetting(u"allow_windows_close_qxt", 1);  // so that the relaunched program can be closed
  // A box would be answered No, and the program would keep running.
  PROCESS_INFORMATION velomar = StartWithScript("box IDNO\nbox IDNO\n");
  ASSERT_NE(velomar.hProcess, nullptr);
  ASSERT_TRUE(WaitForMainWindow(true));
  PostMessageW(FindWindowW(u"MainWindow", nullptr), WM_COMMAND, kTestRestart, 0);
  EXPECT_EQ(WaitForExit(velomar, 60000), 0);
  CloseHandle(velomar.hProcess);
  CloseHandle(velomar.hThread);
  EXPECT_EQ(Count(Devicectl({"notifications"}), "Velomar.exe"), 1u);
  EXPECT_EQ(Count(EventLogText(), "Velomar starting"), 1u);

  // The launcher starts only now: the device clock runs on in real time, and a launcher already
  // running fires the relaunch by itself once a slow exit has taken its 10 s.
  StartLauncher();
  int code = -1;
  Devicectl({"clock", "advance", "10s"}, &code);
  EXPECT_EQ(code, 0);
  for (int i = 0; i < 600 && Count(EventLogText(), "Velomar starting") < 2; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(Count(EventLogText(), "Velomar starting"), 2u) << EventLogText();
  ASSERT_TRUE(WaitForMainWindow(true));
  PostMessageW(FindWindowW(u"MainWindow", nullptr), WM_CLOSE, 0, 0);
  EXPECT_TRUE(WaitForMainWindow(false, 60000));
  const std::string out = StopLauncher();
  EXPECT_EQ(Count(out, "started \\Program Files\\Velomar\\Velomar.exe"), 1u) << out;
}

}  // namespace
