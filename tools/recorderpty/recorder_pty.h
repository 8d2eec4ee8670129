// A recorder emulator behind a pseudo-terminal: opens the terminal in raw mode, prints its slave
// path (to be mapped as "COM1" in HKLM \Host\SerialPorts), and feeds every byte read to the
// emulator, writing back what it answers, until the emulator unplugs or the far end is gone.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "tools/cmdline/number_arg.h"

namespace recorder_pty {

struct Recorder {
  // One byte in; the answer, if any, appended to `out`.
  std::function<void(std::uint8_t, std::vector<std::uint8_t>& out)> receive;
  // True once the emulated device has been unplugged: the terminal is closed and serving ends.
  std::function<bool()> unplugged;
  int slowMs = 0;  // delay before each answer
};

// Returns the program's exit code: 1 when no pseudo-terminal could be opened, else 0.
int Serve(const char* programName, const Recorder& recorder);

// Serves an emulator with `Receive(byte, out)`, `unplugged()` and `faults.slowMs`.
template <class Emulator>
int ServeEmulator(const char* programName, Emulator& emulator) {
  return Serve(programName, {[&emulator](std::uint8_t byte, std::vector<std::uint8_t>& out) { emulator.Receive(byte, out); },
                             [&emulator] { return emulator.unplugged(); }, emulator.faults.slowMs});
}

// The fault switches of the emulators' programs into `faults` (with fields `silent`, `crcErrors`,
// `unplugAfter` and `slowMs`): "--silent", "--crc-errors N", "--unplug-after N", "--slow MS". True
// when argv[i] is one of them with a sound value, with `i` moved onto its value; false for any other
// argument, a missing value, or a value that is not a whole number in the switch's range (said on
// stderr).
template <class Faults>
bool ReadFaultSwitch(const char* program, int argc, char** argv, int& i, Faults& faults) {
  const std::string arg = argv[i];
  if (arg == "--silent") {
    faults.silent = true;
    return true;
  }
  if (i + 1 >= argc) return false;
  const char* value = argv[i + 1];
  bool read = false;
  if (arg == "--crc-errors") {
    read = tool_args::ReadNumberInto(program, "--crc-errors", value, 0, 1000000, faults.crcErrors);
  } else if (arg == "--unplug-after") {
    read = tool_args::ReadNumberInto(program, "--unplug-after", value, 0, 100000000, faults.unplugAfter);
  } else if (arg == "--slow") {
    read = tool_args::ReadNumberInto(program, "--slow", value, 0, 60000, faults.slowMs);
  } else {
    return false;
  }
  if (read) ++i;
  return read;
}

}  // namespace recorder_pty
