// Velomar installed on a fresh device and started as a process, with the device's tools beside
// it: devicectl runs to its end, notifylauncher runs in the background until stopped.
#pragma once

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/kernel/kernel.h"
#include "platform/shell/launch.h"
#include "platform/testing/device_process.h"
#include "platform/text/utf.h"
#include "platform/window/window.h"
#include "tests/velomar/velomar_fixture.h"
#include "velomar/core/app/App.h"
#include "velomar/data/DataInstall.h"

namespace velomar_test {

class ProcessTest : public VelomarTest {
 protected:
  void SetUp() override {
    VelomarTest::SetUp();
    ASSERT_TRUE(velomar::InstallVelomar());
  }

  // Starts the installed program with `command_line` and waits (real time, at most 60 s) for its
  // end; its exit code, or -1.
  static int RunVelomar(const std::u16string& command_line) {
    return ce::testing::RunDeviceProgram(velomar::kProgramPath, command_line);
  }

  // Starts the installed program with `command_line` and returns at once; null handles when it
  // could not start. The caller closes the handles.
  static PROCESS_INFORMATION StartVelomar(const std::u16string& command_line) {
    return ce::testing::StartDeviceProgram(velomar::kProgramPath, command_line);
  }
  // Waits (real time) for the process to end; its exit code, or -1 when it still runs after `ms`.
  static int WaitForExit(const PROCESS_INFORMATION& info, int ms) { return ce::testing::WaitForExit(info.hProcess, ms); }
  // Waits (real time, at most `ms`) until a window of class "MainWindow" exists, or no longer does.
  static bool WaitForMainWindow(bool present, int ms = 30000) {
    return ce::testing::WaitForWindow(u"MainWindow", present, ms);
  }

  // Destroys the application's main window on this thread (its creator's: a window is destroyed
  // only by its own thread), before the application object goes on another; the quit its
  // destruction posts is taken out of this thread's queue.
  static void DestroyMainWindowHere() {
    CApp* app = CApp::GetApp();
    if (HWND window = app ? app->GetMainWindowHandle() : nullptr) DestroyWindow(window);
    MSG msg{};
    while (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
  }

  // Runs a host tool on this device; its standard output, and its exit code in `code`.
  std::string RunTool(const char* program, std::vector<std::string> args, int* code = nullptr) {
    ce::testing::ToolRun run = ce::testing::RunDeviceTool(program, device_folder(), args);
    if (code) *code = run.code;
    return run.out;
  }
  std::string Devicectl(std::vector<std::string> args, int* code = nullptr) {
    return RunTool(DEVICECTL_PATH, std::move(args), code);
  }
  // Runs devicectl with `args`, which must succeed.
  void Tool(std::vector<std::string> args) {
    int code = -1;
    const std::string joined = args.empty() ? "" : args[0];
    const std::string out = Devicectl(std::move(args), &code);
    ASSERT_EQ(code, 0) << joined << ": " << out;
  }

#ifdef NOTIFY_LAUNCHER_PATH
  // The notification launcher, running on this device until the test ends.
  void StartLauncher() {
    m_launcher = ce::testing::StartDeviceTool(NOTIFY_LAUNCHER_PATH, device_folder());
    ASSERT_TRUE(m_launcher->started());
  }
#endif
  // The installed program started with an empty command line, its main window made.
  void Start() {
    m_velomar = StartVelomar(u"");
    ASSERT_NE(m_velomar.hProcess, nullptr);
    ASSERT_TRUE(WaitForMainWindow(true));
  }
  void CloseProcess() { ce::testing::CloseProcessHandles(m_velomar); }
  // Ends what the test started: the program (closed, or killed when `kill`) and the launcher.
  void StopProcesses(bool kill = false) {
    if (m_velomar.hProcess) {
      if (kill)
        TerminateProcess(m_velomar.hProcess, 9);
      else
        PostMessageW(FindWindowW(u"MainWindow", nullptr), WM_CLOSE, 0, 0);
      WaitForExit(m_velomar, 30000);
      CloseProcess();
    }
    m_launcher.reset();
  }

  std::filesystem::path HostPath(const std::u16string& ce_path) const {
    std::string relative = ce::text::ToUtf8(ce_path);
    for (char& c : relative)
      if (c == '\\') c = '/';
    while (!relative.empty() && relative.front() == '/') relative.erase(0, 1);
    return device_folder() / "root" / relative;
  }

  // The event-log file of the installed program (UTF-16LE), as UTF-8.
  std::string EventLogText() const {
    std::ifstream in(HostPath(u"\\Program Files\\Velomar\\log.txt"), std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), {});
    std::u16string wide;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
      wide.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                           (static_cast<unsigned char>(bytes[i + 1]) << 8)));
    return ce::text::ToUtf8(wide);
  }

  static std::size_t Count(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
  }

  PROCESS_INFORMATION m_velomar{};
  std::unique_ptr<ce::testing::ChildProcess> m_launcher;
};

}  // namespace velomar_test
