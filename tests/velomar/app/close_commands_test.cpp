// The installed Velomar closed from its menu, as processes: "Exit" asks first and only Yes ends
// the program; the restart command ends it without asking, and the notification launcher starts
// the installed program again once the device clock passes the relaunch time.
#include <gtest/gtest.h>

#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
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

  // Starts Velomar with the answers of `script` for its boxes.
  PROCESS_INFORMATION StartWithScript(const std::string& script) {
    const std::filesystem::path file = device_folder() / "user_script.txt";
    std::ofstream(file) << script;
    setenv("CE_USER_SCRIPT", file.c_str(), 1);
    PROCESS_INFORMATION info = StartVelomar(u"");
    unsetenv("CE_USER_SCRIPT");
    return info;
  }

  void StartLauncher() {
    ASSERT_EQ(pipe(m_launcherOut), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, m_launcherOut[1], 1);
    posix_spawn_file_actions_addclose(&actions, m_launcherOut[0]);
    std::string program = NOTIFY_LAUNCHER_PATH, flag = "--device", dev = device_folder().string();
    char* argv[] = {program.data(), flag.data(), dev.data(), nullptr};
    ASSERT_EQ(posix_spawn(&m_launcher, program.c_str(), &actions, nullptr, argv, environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    close(m_launcherOut[1]);
  }
  // Stops the launcher; what it wrote.
  std::string StopLauncher() {
    if (m_launcher <= 0) return {};
    kill(m_launcher, SIGTERM);
    int status = 0;
    waitpid(m_launcher, &status, 0);
    m_launcher = 0;
    std::string out;
    char buf[512];
    for (ssize_t n; (n = read(m_launcherOut[0], buf, sizeof buf)) > 0;) out.append(buf, static_cast<std::size_t>(n));
    close(m_launcherOut[0]);
    return out;
  }

  pid_t m_launcher = 0;
  int m_launcherOut[2] = {-1, -1};
};

TEST_F(CloseCommandsTest, ExitAsksAndEndsTheProgramOnlyOnYes) {
  PROCESS_INFORMATION velomar = StartWithScript("box IDNO\nbox IDYES\n");
  ASSERT_NE(velomar.hProcess, nullptr);
  ASSERT_TRUE(WaitForMainWindow(true));
  PostMessageW(FindWindowW(u"MainWindow", nullptr), WM_COMMAND, kExit, 0);
  EXPECT_EQ(WaitForExit(velomar, 1500), -1);  // answered No: still running
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
  StartLauncher();
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
