// A recorder emulator behind a pseudo-terminal: opens the terminal in raw mode, prints its slave
// path (to be mapped as "COM1" in HKLM \Host\SerialPorts), and feeds every byte read to the
// emulator, writing back what it answers, until the emulator unplugs or the far end is gone.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

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
// when argv[i] is one of them, with `i` moved onto its value; false for any other argument or a
// missing value.
template <class Faults>
bool ReadFaultSwitch(int argc, char** argv, int& i, Faults& faults) {
  const std::string arg = argv[i];
  if (arg == "--silent") {
    faults.silent = true;
    return true;
  }
  if (i + 1 >= argc) return false;
  if (arg == "--crc-errors") {
    faults.crcErrors = std::atoi(argv[++i]);
  } else if (arg == "--unplug-after") {
    faults.unplugAfter = std::atol(argv[++i]);
  } else if (arg == "--slow") {
    faults.slowMs = std::atoi(argv[++i]);
  } else {
    return false;
  }
  return true;
}

}  // namespace recorder_pty
