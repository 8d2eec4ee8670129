// A recorder emulator behind a pseudo-terminal: opens the terminal in raw mode, prints its slave
// path (to be mapped as "COM1" in HKLM \Host\SerialPorts), and feeds every byte read to the
// emulator, writing back what it answers, until the emulator unplugs or the far end is gone.
#pragma once

#include <cstdint>
#include <functional>
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

}  // namespace recorder_pty
