// Programs a test starts as processes on its device folder: the device's own programs through
// CreateProcessW (waited for by their end or their windows), and the host tools that take
// "--device <folder>" (run to their end, or left running until the test is done with them).
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/base/types.h"
#include "platform/shell/launch.h"
#include "platform/testing/child_process.h"

namespace ce::testing {

// Waits in real time until `done` holds, asking every `step_ms`; whether it held within `ms`
// (it is asked once more at the end).
bool WaitUntil(const std::function<bool()>& done, int ms, int step_ms = 20);

// Waits (real time, at most `ms`) until a top-level window of `window_class` exists (`present`) or
// no longer does.
bool WaitForWindow(const WCHAR* window_class, bool present = true, int ms = 30000);

// Starts the device program at `path` with `command_line` (its arguments only); null handles
// when it cannot start (GetLastError tells why). The handles are the caller's
// (`CloseProcessHandles`).
PROCESS_INFORMATION StartDeviceProgram(const WCHAR* path, std::u16string_view command_line);
void CloseProcessHandles(PROCESS_INFORMATION& info);
// Waits (real time) for the process to end: its exit code, or -1 when it still runs after `ms`
// (no limit when `ms` is negative).
int WaitForExit(HANDLE process, int ms = -1);
// Starts the program and waits (at most `ms`) for its end: its exit code, or -1 when it could not
// start or still runs.
int RunDeviceProgram(const WCHAR* path, std::u16string_view command_line, int ms = 60000);

// Whether the host process `pid` runs (a zombie no longer does).
bool ProcessRuns(DWORD pid);

// Ends the device programs started since the last call that still run: each gets `grace_ms` (real
// time) to end by itself, then is killed. How many were killed. Runs after every test, so that a
// program a failed test left hung cannot hold the test's output open until the runner's time-out.
int EndProgramsLeftRunning(int grace_ms = 10000);

// A host program run to its end.
struct ToolRun {
  int code = -1;    // exit code, -1 when it did not start or ended by a signal
  std::string out;  // standard output
  std::string err;  // standard error, when asked for
};
// `argv[0]` is the program.
ToolRun RunTool(const std::vector<std::string>& argv, bool capture_err = false);
// A host tool of the device: `program --device <device> args...`.
ToolRun RunDeviceTool(const std::string& program, const std::filesystem::path& device,
                      const std::vector<std::string>& args, bool capture_err = false);

// A host tool left running on the device (`program --device <device> args...`, its output the
// test's own); ended with SIGTERM and waited for when the pointer goes.
std::unique_ptr<ChildProcess> StartDeviceTool(const std::string& program, const std::filesystem::path& device,
                                              const std::vector<std::string>& args = {});
// The same with its standard output on a pipe (`ReadLine`).
std::unique_ptr<ChildProcess> StartDeviceToolWithOutput(const std::string& program,
                                                        const std::filesystem::path& device,
                                                        const std::vector<std::string>& args = {});

}  // namespace ce::testing
