// What was started, the device's own programs, forced failures, and the command line a program
// started on the host receives.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/base/types.h"

namespace ce::shell {

struct Launch {
  std::u16string program;       // the CE path
  std::u16string command_line;  // the arguments
  std::u16string document;      // ShellExecuteExW: the file opened ("" when a program was started)
  std::u16string verb;          // ShellExecuteExW: the verb used
  bool on_host = false;         // ran as a host program
};

std::vector<Launch> RecordedLaunches();
void ClearRecordedLaunches();

// The next launch fails with `error` (one call).
void FailNextLaunch(DWORD error);

// A program of the device's own (control panel, file explorer, ...). Starting it calls `handler`
// with the arguments, if there is one (another area may show a simulated applet); it answers 0
// or an error that fails the start. "\Windows\ctlpnl.exe", "\Windows\CommApplet.exe" and
// "\Windows\fexplore.exe" are known from the start.
using DeviceProgram = std::function<DWORD(std::u16string_view command_line)>;
void RegisterDeviceProgram(std::u16string_view ce_path, DeviceProgram handler);

// A program started on the host gets $CE_DEVICE_DIR (the device folder), $CE_MODULE_PATH (its CE
// path) and the CE command line, UTF-8, as its one argument (none when it is empty). This gives
// the CE command line back from main's arguments.
std::u16string LaunchedCommandLine(int argc, char** argv);

}  // namespace ce::shell
