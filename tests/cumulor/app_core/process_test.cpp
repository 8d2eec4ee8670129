// The installed program started as a process: the simulator start-up to its last command with its
// screenshot, a second start, the desktop requests from another process, and the quit command.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "cumulor/app/core/main_window.h"
#include "cumulor/setup/CumulorInstall.h"
#include "platform/device/device.h"
#include "platform/kernel/kernel.h"
#include "platform/registry/registry.h"
#include "platform/shell/launch.h"
#include "platform/testing/device_test.h"
#include "platform/window/window.h"

namespace {

class CumulorProcess : public ce::testing::DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    ASSERT_TRUE(cumulor::InstallDataFiles());
    ASSERT_TRUE(cumulor::SeedSettings());
    ASSERT_TRUE(cumulor::InstallProgram());
    screenshot_ = device_folder() / "start.png";
    const auto script = device_folder() / "user.txt";
    std::ofstream(script) << "box IDYES\n";
    ::setenv("CE_SCREENSHOT", screenshot_.c_str(), 1);
    ::setenv("CE_USER_SCRIPT", script.c_str(), 1);
  }
  void TearDown() override {
    ::unsetenv("CE_SCREENSHOT");
    ::unsetenv("CE_USER_SCRIPT");
    DeviceTest::TearDown();
  }
  static HANDLE Start(const char16_t* args) {
    std::u16string line = args;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(cumulor::kProgramPath, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, nullptr, &pi))
      return nullptr;
    CloseHandle(pi.hThread);
    return pi.hProcess;
  }
  static DWORD ExitCode(HANDLE process) {
    EXPECT_EQ(WaitForSingleObject(process, INFINITE), WAIT_OBJECT_0);
    DWORD code = 99;
    GetExitCodeProcess(process, &code);
    CloseHandle(process);
    return code;
  }
  static bool SoundPlayed(const std::string& name) {
    for (const auto& e : ce::device::Effects("sound"))
      if (e.target.find(name) != std::string::npos) return true;
    return false;
  }

  std::filesystem::path screenshot_;
};

TEST_F(CumulorProcess, SimulatorStartsAnswersTheDesktopAndQuits) {
  HANDLE first = Start(u" /sx");
  ASSERT_NE(first, nullptr) << GetLastError();
  // The screenshot is taken once the start-up ran its last command (the GPS threads started).
  for (int i = 0; i < 600 && !std::filesystem::exists(screenshot_); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  ASSERT_TRUE(std::filesystem::exists(screenshot_));
  std::filesystem::copy_file(screenshot_, std::filesystem::current_path() / "cumulor_start.png",
                             std::filesystem::copy_options::overwrite_existing);
  HWND window = FindWindowW(u"Cumulor", nullptr);
  ASSERT_NE(window, nullptr);

  // A second start finds the running one and ends at once.
  HANDLE second = Start(u" /sx");
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(ExitCode(second), 0u);

  EXPECT_EQ(SendMessageW(window, cumulor::kMsgDesktop, cumulor::kDesktopIdentify, 0), cumulor::kDesktopIdentity);
  EXPECT_TRUE(SoundPlayed("hwandsw.wav"));
  EXPECT_TRUE(SoundPlayed("Loudest.wav"));
  EXPECT_EQ(SendMessageW(window, cumulor::kMsgDesktop, cumulor::kDesktopInstall, 0), 0);
  EXPECT_EQ(SendMessageW(window, cumulor::kMsgDesktop, 1234, 0), 0);

  // Quit, answered Yes by the user's script: the shutdown saves the two registry values.
  ASSERT_TRUE(PostMessageW(window, WM_COMMAND, 40034, 0));
  EXPECT_EQ(ExitCode(first), 0u);
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"Software\\Halcyra\\Cumulor", 0, KEY_READ, &key), ERROR_SUCCESS);
  BYTE data[64];
  DWORD size = sizeof(data), type = 0;
  EXPECT_EQ(RegQueryValueExW(key, u"rScreen", nullptr, &type, data, &size), ERROR_SUCCESS);
  EXPECT_EQ(size, 16u);
  size = sizeof(data);
  EXPECT_EQ(RegQueryValueExW(key, u"SuaOff", nullptr, &type, data, &size), ERROR_SUCCESS);
  RegCloseKey(key);
  EXPECT_EQ(FindWindowW(u"Cumulor", nullptr), nullptr);
}

}  // namespace
