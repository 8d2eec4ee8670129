// lxemu: a Filser/LX recorder behind a pseudo-terminal. Prints the slave path (map it to "COM1"
// with the registry value HKLM \Host\SerialPorts COM1) and answers the flight computer until
// killed.
#include <cstdio>
#include <string>

#include "tools/cmdline/number_arg.h"
#include "tools/recorderpty/recorder_pty.h"
#include "tools/lxemu/lx_emulator.h"

namespace {

void Usage() {
  std::fprintf(stderr,
               "usage: lxemu [-b BLOCK_FILE] [--silent] [--crc-errors N] [--unplug-after N] [--slow MS]\n"
               "  -b  file that keeps the 350-byte declaration block\n");
}

}  // namespace

int main(int argc, char** argv) {
  std::string blockFile;
  lxemu::Faults faults;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == "-b" && hasValue) {
      blockFile = argv[++i];
      if (!tool_args::FolderOfFileExists("lxemu", "-b", blockFile)) return 2;
    } else if (!recorder_pty::ReadFaultSwitch("lxemu", argc, argv, i, faults)) {
      Usage();
      return 2;
    }
  }
  lxemu::LxEmulator recorder(blockFile);
  recorder.faults = faults;

  return recorder_pty::ServeEmulator("lxemu", recorder);
}
