#include "tools/recorderpty/recorder_pty.h"

#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>

namespace recorder_pty {

namespace {

// Writes all of `bytes`; false when the far end is gone for good.
bool WriteAll(int fd, const std::vector<std::uint8_t>& bytes) {
  for (std::size_t off = 0; off < bytes.size();) {
    const ssize_t w = ::write(fd, bytes.data() + off, bytes.size() - off);
    if (w > 0) {
      off += static_cast<std::size_t>(w);
    } else if (w < 0 && errno != EAGAIN && errno != EINTR) {
      return false;
    }
  }
  return true;
}

}  // namespace

int Serve(const char* programName, const Recorder& recorder) {
  const int master = posix_openpt(O_RDWR | O_NOCTTY);
  if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
    std::fprintf(stderr, "%s: pseudo-terminal: %s\n", programName, std::strerror(errno));
    return 1;
  }
  const std::string slave = ptsname(master);
  // Held open so that the terminal stays up between the flight computer's opens.
  const int keep = ::open(slave.c_str(), O_RDWR | O_NOCTTY);
  termios tio{};
  tcgetattr(keep, &tio);
  cfmakeraw(&tio);
  tcsetattr(keep, TCSANOW, &tio);
  std::printf("%s\n", slave.c_str());
  std::fflush(stdout);

  for (;;) {
    std::uint8_t in[512];
    const ssize_t n = ::read(master, in, sizeof in);
    if (n <= 0) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
      continue;
    }
    std::vector<std::uint8_t> out;
    for (ssize_t i = 0; i < n; ++i) recorder.receive(in[i], out);
    if (out.empty()) continue;
    if (recorder.slowMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(recorder.slowMs));
    if (!WriteAll(master, out)) return 0;  // nothing can be sent any more
    if (recorder.unplugged()) {
      // The device is gone: the far end closes, so the flight computer's reads fail.
      ::close(keep);
      ::close(master);
      return 0;
    }
  }
}

}  // namespace recorder_pty
