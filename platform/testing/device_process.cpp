#include "platform/testing/device_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <mutex>
#include <thread>

#include "platform/kernel/kernel.h"
#include "platform/kernel/process_identity.h"
#include "platform/window/window.h"

extern char** environ;

namespace ce::testing {

namespace {

std::vector<std::string> ToolArgs(const std::string& program, const std::filesystem::path& device,
                                  const std::vector<std::string>& args) {
  std::vector<std::string> all = {program, "--device", device.string()};
  all.insert(all.end(), args.begin(), args.end());
  return all;
}

std::string ReadAll(int fd) {
  std::string out;
  char buffer[4096];
  for (ssize_t n; (n = read(fd, buffer, sizeof buffer)) > 0;) out.append(buffer, static_cast<std::size_t>(n));
  return out;
}

std::mutex g_started_lock;
std::vector<DWORD> g_started;  // programs started and not yet looked at after a test

class EndLeftPrograms : public ::testing::EmptyTestEventListener {
  void OnTestEnd(const ::testing::TestInfo&) override { EndProgramsLeftRunning(); }
};

[[maybe_unused]] const bool g_end_left_programs = [] {
  ::testing::UnitTest::GetInstance()->listeners().Append(new EndLeftPrograms);
  return true;
}();

}  // namespace

bool WaitUntil(const std::function<bool()>& done, int ms, int step_ms) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (std::chrono::steady_clock::now() < deadline) {
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(step_ms));
  }
  return done();
}

bool WaitForWindow(const WCHAR* window_class, bool present, int ms) {
  return WaitUntil([&] { return (FindWindowW(window_class, nullptr) != nullptr) == present; }, ms, 10);
}

PROCESS_INFORMATION StartDeviceProgram(const WCHAR* path, std::u16string_view command_line) {
  std::u16string line(command_line);
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(path, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, nullptr, &info))
    return PROCESS_INFORMATION{};
  std::lock_guard<std::mutex> lock(g_started_lock);
  g_started.push_back(info.dwProcessId);
  return info;
}

int EndProgramsLeftRunning(int grace_ms) {
  std::vector<DWORD> started;
  {
    std::lock_guard<std::mutex> lock(g_started_lock);
    started.swap(g_started);
  }
  int killed = 0;
  for (DWORD pid : started) {
    if (WaitUntil([pid] { return !ProcessRuns(pid); }, grace_ms, 10)) continue;
    std::fprintf(stderr, "[device process] %u still ran after the test: killed\n", static_cast<unsigned>(pid));
    ::kill(static_cast<pid_t>(pid), SIGKILL);
    WaitUntil([pid] { return !ProcessRuns(pid); }, 5000, 10);
    ++killed;
  }
  return killed;
}

void CloseProcessHandles(PROCESS_INFORMATION& info) {
  if (info.hProcess) CloseHandle(info.hProcess);
  if (info.hThread) CloseHandle(info.hThread);
  info = PROCESS_INFORMATION{};
}

int WaitForExit(HANDLE process, int ms) {
  if (process == nullptr) return -1;
  DWORD code = STILL_ACTIVE;
  if (ms < 0) {
    if (WaitForSingleObject(process, INFINITE) != WAIT_OBJECT_0) return -1;
    return GetExitCodeProcess(process, &code) && code != STILL_ACTIVE ? static_cast<int>(code) : -1;
  }
  // Timed waits of the kernel follow the test's clock, which may stand still: the limit here is
  // real time, asked after.
  WaitUntil([&] { return !GetExitCodeProcess(process, &code) || code != STILL_ACTIVE; }, ms, 10);
  return code == STILL_ACTIVE ? -1 : static_cast<int>(code);
}

int RunDeviceProgram(const WCHAR* path, std::u16string_view command_line, int ms) {
  PROCESS_INFORMATION info = StartDeviceProgram(path, command_line);
  const int code = WaitForExit(info.hProcess, ms);
  CloseProcessHandles(info);
  return code;
}

bool ProcessRuns(DWORD pid) {
  if (pid == 0 || ::kill(static_cast<pid_t>(pid), 0) != 0) return false;
  const std::string stat = ce::kernel::ReadProcessFile(static_cast<int>(pid), "stat");
  const auto close = stat.rfind(')');
  return close != std::string::npos && close + 2 < stat.size() && stat[close + 2] != 'Z';
}

ToolRun RunTool(const std::vector<std::string>& args, bool capture_err) {
  ToolRun run;
  if (args.empty()) return run;
  std::vector<std::string> owned = args;
  std::vector<char*> argv;
  for (std::string& a : owned) argv.push_back(a.data());
  argv.push_back(nullptr);
  int out[2], err[2] = {-1, -1};
  if (pipe2(out, O_CLOEXEC) != 0) return run;
  if (capture_err && pipe2(err, O_CLOEXEC) != 0) {
    close(out[0]);
    close(out[1]);
    return run;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  if (capture_err) posix_spawn_file_actions_adddup2(&actions, err[1], 2);
  pid_t pid = -1;
  const bool started = posix_spawn(&pid, owned[0].c_str(), &actions, nullptr, argv.data(), environ) == 0;
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  if (capture_err) close(err[1]);
  if (started) {
    // Standard error is read on a thread of its own, so that neither pipe fills while the other
    // is read.
    std::thread err_reader;
    if (capture_err) err_reader = std::thread([&] { run.err = ReadAll(err[0]); });
    run.out = ReadAll(out[0]);
    if (err_reader.joinable()) err_reader.join();
    int status = 0;
    if (waitpid(pid, &status, 0) == pid && WIFEXITED(status)) run.code = WEXITSTATUS(status);
  }
  close(out[0]);
  if (capture_err) close(err[0]);
  return run;
}

ToolRun RunDeviceTool(const std::string& program, const std::filesystem::path& device,
                      const std::vector<std::string>& args, bool capture_err) {
  return RunTool(ToolArgs(program, device, args), capture_err);
}

std::unique_ptr<ChildProcess> StartDeviceTool(const std::string& program, const std::filesystem::path& device,
                                              const std::vector<std::string>& args) {
  return std::make_unique<ChildProcess>(program, ToolArgs(program, device, args), ChildProcess::AtEnd::kTerminate,
                                        ChildProcess::Output::kInherit);
}

std::unique_ptr<ChildProcess> StartDeviceToolWithOutput(const std::string& program,
                                                        const std::filesystem::path& device,
                                                        const std::vector<std::string>& args) {
  return std::make_unique<ChildProcess>(program, ToolArgs(program, device, args), ChildProcess::AtEnd::kTerminate);
}

}  // namespace ce::testing
