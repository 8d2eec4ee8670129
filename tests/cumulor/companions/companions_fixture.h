// What the companion tests share: a fresh device with the flight computer's data, the flight
// computer installed at one of its three paths (or a probe there that only notes its starts), the
// flight computer started as a process, the desktop connection host run as a process, and waits
// on processes the test did not start.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "cumulor/setup/CumulorInstall.h"
#include "platform/files/files.h"
#include "platform/kernel/kernel.h"
#include "platform/shell/install.h"
#include "platform/shell/launch.h"
#include "platform/testing/device_process.h"
#include "platform/testing/device_test.h"
#include "platform/window/window.h"

namespace companions_test {

// The three executables, in the order the companions try them.
inline constexpr const WCHAR* kPaths[] = {u"\\Program Files\\Cumulor_Apex.exe", u"\\Program Files\\Cumulor.exe",
                                          u"\\Program Files\\CumulorVista.exe"};

// Waits (real time, at most `seconds`) until `done` holds.
template <class Done>
bool WaitFor(Done done, int seconds = 60) {
  return ce::testing::WaitUntil(done, seconds * 1000, 50);
}

inline std::string ReadText(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

using ce::testing::ProcessRuns;

// The CE command line a host process of the device was started with (its one argument).
inline std::string CeCommandLine(DWORD pid) {
  const std::string all = ReadText("/proc/" + std::to_string(pid) + "/cmdline");
  const auto first = all.find('\0');
  if (first == std::string::npos || first + 1 >= all.size()) return {};
  return all.substr(first + 1, all.find('\0', first + 1) - first - 1);
}

class CompanionsTest : public ce::testing::DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    ASSERT_TRUE(cumulor::InstallDataFiles());
    ASSERT_TRUE(cumulor::SeedSettings());
    screenshot_ = device_folder() / "start.png";
    const auto script = device_folder() / "user.txt";
    std::ofstream(script) << "box IDYES\nopen \"\\\\My Documents\\\\Demo_Flight.igc\"\n";
    ::setenv("CE_SCREENSHOT", screenshot_.c_str(), 1);
    ::setenv("CE_USER_SCRIPT", script.c_str(), 1);
  }
  void TearDown() override {
    // A flight computer still running (started by a companion) is asked to quit, answered Yes.
    if (HWND window = FindWindowW(u"Cumulor", nullptr)) {
      DWORD pid = 0;
      GetWindowThreadProcessId(window, &pid);
      PostMessageW(window, WM_COMMAND, 40034, 0);
      EXPECT_TRUE(WaitFor([&] { return !ProcessRuns(pid); }));
    }
    ::unsetenv("CE_SCREENSHOT");
    ::unsetenv("CE_USER_SCRIPT");
    DeviceTest::TearDown();
  }

  // The flight computer at `path`, mapped so that a start runs it.
  static void InstallAt(const WCHAR* path) { ASSERT_TRUE(cumulor::InstallProgram(cumulor::HostProgram(), path)); }
  // A probe at `path`: a start of it only adds "<CE path>|<command line>" to starts.txt.
  void InstallProbeAt(const WCHAR* path) {
    const auto probe = device_folder() / "probe.sh";
    if (!std::filesystem::exists(probe)) {
      std::ofstream(probe) << "#!/bin/sh\nprintf '%s|%s\\n' \"$CE_MODULE_PATH\" \"$1\" >> \"$CE_DEVICE_DIR/starts.txt\"\n";
      std::filesystem::permissions(probe, std::filesystem::perms::owner_all);
    }
    ASSERT_TRUE(ce::shell::InstallHostProgram(path, probe));
  }
  static void Remove(const WCHAR* path) { DeleteFileW(path); }
  // What the probes noted, a line a start.
  std::vector<std::string> ProbeStarts() const {
    std::vector<std::string> out;
    std::istringstream in(ReadText(device_folder() / "starts.txt"));
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
  }

  // Starts the flight computer from its usual path with `args` and waits for the end of its
  // start-up (its screenshot).
  HANDLE StartCumulor(const char16_t* args) {
    std::filesystem::remove(screenshot_);
    PROCESS_INFORMATION pi = ce::testing::StartDeviceProgram(cumulor::kProgramPath, args);
    if (pi.hProcess == nullptr) {
      ADD_FAILURE() << "start failed: " << GetLastError();
      return nullptr;
    }
    CloseHandle(pi.hThread);
    EXPECT_TRUE(WaitFor([&] { return std::filesystem::exists(screenshot_); })) << "no end of the start-up";
    return pi.hProcess;
  }
  // Waits for the end of `process` and closes it; its exit code.
  static DWORD ExitCode(HANDLE process) {
    const int code = ce::testing::WaitForExit(process);
    EXPECT_NE(code, -1);
    CloseHandle(process);
    return static_cast<DWORD>(code);
  }

  // Runs the desktop connection host with `commands`; its output lines, one a command. (A flight
  // computer it starts shares its output, which therefore stays open: the lines are counted.)
  std::vector<std::string> Desktop(const std::vector<std::string>& commands) {
    std::size_t expected = 0;
    for (const std::string& c : commands)
      expected += c == "find" || c == "start" || c == "send" || c == "send-size" || c == "send-no-output";
    auto host = ce::testing::StartDeviceToolWithOutput(DESKTOPHOST_PATH, device_folder(), commands);
    EXPECT_TRUE(host->started());
    std::vector<std::string> lines;
    while (lines.size() < expected)
      if (auto line = host->ReadLine(60000))
        lines.push_back(*line);
      else
        break;
    EXPECT_EQ(host->Wait(), 0);
    return lines;
  }
  static std::string FindLine(HWND window) {
    return "find window=" + std::to_string(reinterpret_cast<std::uintptr_t>(window));
  }

  std::filesystem::path Docs(const char* name) const { return device_folder() / "root" / "My Documents" / name; }

  std::filesystem::path screenshot_;
};

}  // namespace companions_test
