// vlemu: a Volkslogger behind a pseudo-terminal. Prints the slave path (map it to "COM1" with the
// registry value HKLM \Host\SerialPorts COM1) and answers the flight computer until killed.
#include <stdlib.h>

#include <cstdio>
#include <string>

#include "tools/cmdline/number_arg.h"
#include "tools/recorderpty/recorder_pty.h"
#include "tools/vlemu/vl_emulator.h"

namespace {

// The recorder numbers its flights in one byte.
constexpr long long kMaxFlights = 250;

void Usage() {
  std::fprintf(stderr,
               "usage: vlemu [-m MEMORY_FILE] [-f FLIGHTS] [--silent] [--crc-errors N] [--unplug-after N]\n"
               "             [--oversize] [--slow MS]\n"
               "  -m  file that keeps the 16384-byte declaration memory\n"
               "  -f  number of generated flights, 0 to 250 (default 2)\n");
}

}  // namespace

int main(int argc, char** argv) {
  std::string memoryFile;
  int flights = 2;
  vlemu::Faults faults;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == "-m" && hasValue) {
      memoryFile = argv[++i];
      if (!tool_args::FolderOfFileExists("vlemu", "-m", memoryFile)) return 2;
    } else if (arg == "-f" && hasValue) {
      if (!tool_args::ReadNumberInto("vlemu", "-f", argv[++i], 0, kMaxFlights, flights)) return 2;
    } else if (arg == "--oversize") {
      faults.oversizeFlight = true;
    } else if (!recorder_pty::ReadFaultSwitch("vlemu", argc, argv, i, faults)) {
      Usage();
      return 2;
    }
  }
  vlemu::VlEmulator recorder(memoryFile);
  recorder.faults = faults;
  for (int i = 0; i < flights; ++i) {
    recorder.AddFlight(vlemu::MakeFlight(60 + 20 * i, 2850000 + 6000 * i, 495000, static_cast<std::uint8_t>(i + 1)));
  }

  return recorder_pty::ServeEmulator("vlemu", recorder);
}
