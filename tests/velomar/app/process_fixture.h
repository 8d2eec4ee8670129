// Velomar installed on a fresh device and started as a process, with the device's tools beside
// it: devicectl runs to its end, notifylauncher runs in the background until stopped.
#pragma once

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "platform/kernel/kernel.h"
#include "platform/shell/launch.h"
#include "platform/text/utf.h"
#include "platform/window/window.h"
#include "tests/velomar/velomar_fixture.h"
#include "velomar/core/app/App.h"
#include "velomar/data/DataInstall.h"

extern char** environ;

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
    std::u16string line = command_line;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(velomar::kProgramPath, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, nullptr,
                        &info))
      return -1;
    DWORD code = STILL_ACTIVE;
    for (int i = 0; i < 6000 && GetExitCodeProcess(info.hProcess, &code) && code == STILL_ACTIVE; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    CloseHandle(info.hProcess);
    CloseHandle(info.hThread);
    return code == STILL_ACTIVE ? -1 : static_cast<int>(code);
  }

  // Starts the installed program with `command_line` and returns at once; null handles when it
  // could not start. The caller closes the handles.
  static PROCESS_INFORMATION StartVelomar(const std::u16string& command_line) {
    std::u16string line = command_line;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(velomar::kProgramPath, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, nullptr,
                        &info))
      return PROCESS_INFORMATION{};
    return info;
  }
  // Waits (real time) for the process to end; its exit code, or -1 when it still runs after `ms`.
  static int WaitForExit(const PROCESS_INFORMATION& info, int ms) {
    DWORD code = STILL_ACTIVE;
    for (int i = 0; i < ms / 10 && GetExitCodeProcess(info.hProcess, &code) && code == STILL_ACTIVE; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return code == STILL_ACTIVE ? -1 : static_cast<int>(code);
  }
  // Waits (real time, at most `ms`) until a window of class "MainWindow" exists, or no longer does.
  static bool WaitForMainWindow(bool present, int ms = 30000) {
    for (int i = 0; i < ms / 10; ++i) {
      if ((FindWindowW(u"MainWindow", nullptr) != nullptr) == present) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
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
    std::vector<char*> argv{const_cast<char*>(program)};
    std::string flag = "--device", dev = device_folder().string();
    argv.push_back(flag.data());
    argv.push_back(dev.data());
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    int fds[2];
    if (pipe(fds) != 0) return "<pipe>";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    pid_t pid = 0;
    const int rc = posix_spawn(&pid, program, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    std::string out;
    char buf[1024];
    ssize_t n;
    while (rc == 0 && (n = read(fds[0], buf, sizeof buf)) > 0) out.append(buf, static_cast<std::size_t>(n));
    close(fds[0]);
    int status = 0;
    if (rc == 0) waitpid(pid, &status, 0);
    if (code) *code = (rc == 0 && WIFEXITED(status)) ? WEXITSTATUS(status) : -1;
    return out;
  }
  std::string Devicectl(std::vector<std::string> args, int* code = nullptr) {
    return RunTool(DEVICECTL_PATH, std::move(args), code);
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
};

}  // namespace velomar_test
