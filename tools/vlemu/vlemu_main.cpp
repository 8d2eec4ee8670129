// vlemu: a Volkslogger behind a pseudo-terminal. Prints the slave path (map it to "COM1" with the
// registry value HKLM \Host\SerialPorts COM1) and answers the flight computer until killed.
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>

#include "tools/vlemu/vl_emulator.h"

namespace {

void Usage() {
  std::fprintf(stderr,
               "usage: vlemu [-m MEMORY_FILE] [-f FLIGHTS] [--silent] [--crc-errors N] [--unplug-after N]\n"
               "             [--oversize] [--slow MS]\n"
               "  -m  file that keeps the 16384-byte declaration memory\n"
               "  -f  number of generated flights (default 2)\n");
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
    } else if (arg == "-f" && hasValue) {
      flights = std::atoi(argv[++i]);
    } else if (arg == "--silent") {
      faults.silent = true;
    } else if (arg == "--crc-errors" && hasValue) {
      faults.crcErrors = std::atoi(argv[++i]);
    } else if (arg == "--unplug-after" && hasValue) {
      faults.unplugAfter = std::atol(argv[++i]);
    } else if (arg == "--oversize") {
      faults.oversizeFlight = true;
    } else if (arg == "--slow" && hasValue) {
      faults.slowMs = std::atoi(argv[++i]);
    } else {
      Usage();
      return 2;
    }
  }
  vlemu::VlEmulator recorder(memoryFile);
  recorder.faults = faults;
  for (int i = 0; i < flights; ++i) {
    recorder.AddFlight(vlemu::MakeFlight(60 + 20 * i, 2850000 + 6000 * i, 495000, static_cast<std::uint8_t>(i + 1)));
  }

  const int master = posix_openpt(O_RDWR | O_NOCTTY);
  if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
    std::perror("vlemu: pseudo-terminal");
    return 1;
  }
  const std::string slave = ptsname(master);
  const int keep = ::open(slave.c_str(), O_RDWR | O_NOCTTY);
  termios tio{};
  tcgetattr(keep, &tio);
  cfmakeraw(&tio);
  tcsetattr(keep, TCSANOW, &tio);
  std::printf("%s\n", slave.c_str());
  std::fflush(stdout);

  for (;;) {
    std::uint8_t in[256];
    const ssize_t n = ::read(master, in, sizeof in);
    if (n <= 0) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
      continue;
    }
    vlemu::Bytes out;
    for (ssize_t i = 0; i < n; ++i) recorder.Receive(in[i], out);
    if (out.empty()) continue;
    if (recorder.faults.slowMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(recorder.faults.slowMs));
    for (std::size_t off = 0; off < out.size();) {
      const ssize_t w = ::write(master, out.data() + off, out.size() - off);
      if (w > 0) {
        off += static_cast<std::size_t>(w);
      } else if (w < 0 && errno != EAGAIN && errno != EINTR) {
        return 0;  // the far end is gone: nothing can be sent any more
      }
    }
    if (recorder.unplugged()) {
      // The recorder is gone: the far end closes, so the flight computer's reads fail.
      ::close(keep);
      ::close(master);
      return 0;
    }
  }
}
