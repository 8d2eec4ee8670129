// nmeaplayer: writes an NMEA log, or an IGC file converted to NMEA sentences, into a serial port or
// a pseudo-terminal at a chosen rate, for tests and for trying the flight computer without a GPS.
#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "tools/nmeaplayer/nmea_source.h"

namespace {

void Usage() {
  std::fprintf(stderr,
               "usage: nmeaplayer [-r EPOCHS_PER_SECOND] [-b BAUD] [-l] FILE (DEVICE | --pty)\n"
               "  FILE     an NMEA log (one sentence a line, '#' comments) or an IGC file\n"
               "  DEVICE   a serial device such as /dev/ttyUSB0 or a pseudo-terminal slave\n"
               "  --pty    create a pseudo-terminal and print its slave path (map it to a port with\n"
               "           the registry value HKLM \\Host\\SerialPorts COMn)\n"
               "  -r       receiver seconds played per second (default 1; 0 = as fast as possible)\n"
               "  -b       baud rate of a serial device (default 4800)\n"
               "  -l       play the file again and again\n");
}

speed_t BaudConstant(long baud) {
  switch (baud) {
    case 4800: return B4800;
    case 9600: return B9600;
    case 19200: return B19200;
    case 38400: return B38400;
    case 57600: return B57600;
    case 115200: return B115200;
    default: return 0;
  }
}

bool WriteAll(int fd, const std::string& bytes) {
  for (std::size_t off = 0; off < bytes.size();) {
    const ssize_t n = ::write(fd, bytes.data() + off, bytes.size() - off);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    off += static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  double rate = 1.0;
  long baud = 4800;
  bool loop = false;
  int i = 1;
  for (; i < argc && argv[i][0] == '-' && argv[i][1] != '-'; ++i) {
    const std::string opt = argv[i];
    if (opt == "-l") {
      loop = true;
    } else if ((opt == "-r" || opt == "-b") && i + 1 < argc) {
      char* end = nullptr;
      const double v = std::strtod(argv[++i], &end);
      // Not a number, or beyond what a rate or a baud rate can be (a step past the clock's range).
      if (*end != '\0' || !(v >= 0 && v <= 1e7) || (v > 0 && v < 1e-3)) {
        std::fprintf(stderr, "nmeaplayer: bad value for %s: %s\n", opt.c_str(), argv[i]);
        return 2;
      }
      if (opt == "-r") rate = v;
      else baud = static_cast<long>(v);
    } else {
      Usage();
      return 2;
    }
  }
  if (argc - i != 2) {
    Usage();
    return 2;
  }
  const std::string path = argv[i], target = argv[i + 1];
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "nmeaplayer: cannot read %s\n", path.c_str());
    return 1;
  }
  std::stringstream text;
  text << in.rdbuf();
  const auto epochs = nmeaplayer::LooksLikeIgc(text.str()) ? nmeaplayer::EpochsFromIgc(text.str())
                                                           : nmeaplayer::EpochsFromNmeaLog(text.str());
  if (epochs.empty()) {
    std::fprintf(stderr, "nmeaplayer: nothing to play in %s\n", path.c_str());
    return 1;
  }

  int fd = -1;
  if (target == "--pty") {
    fd = posix_openpt(O_RDWR | O_NOCTTY);
    if (fd < 0 || grantpt(fd) != 0 || unlockpt(fd) != 0) {
      std::perror("nmeaplayer: pseudo-terminal");
      return 1;
    }
    std::printf("%s\n", ptsname(fd));
    std::fflush(stdout);
    // Keep a slave descriptor in raw mode so the line discipline passes the bytes unchanged.
    const int slave = ::open(ptsname(fd), O_RDWR | O_NOCTTY);
    termios tio{};
    if (slave >= 0 && tcgetattr(slave, &tio) == 0) {
      cfmakeraw(&tio);
      tcsetattr(slave, TCSANOW, &tio);
    }
  } else {
    fd = ::open(target.c_str(), O_RDWR | O_NOCTTY);
    if (fd < 0) {
      std::fprintf(stderr, "nmeaplayer: cannot open %s: %s\n", target.c_str(), std::strerror(errno));
      return 1;
    }
    termios tio{};
    if (tcgetattr(fd, &tio) == 0) {
      const speed_t speed = BaudConstant(baud);
      if (speed == 0) {
        std::fprintf(stderr, "nmeaplayer: unsupported baud rate %ld\n", baud);
        return 2;
      }
      cfmakeraw(&tio);
      cfsetispeed(&tio, speed);
      cfsetospeed(&tio, speed);
      tcsetattr(fd, TCSANOW, &tio);
    }
  }

  const auto step = rate > 0 ? std::chrono::duration<double>(1.0 / rate) : std::chrono::duration<double>(0);
  auto next = std::chrono::steady_clock::now();
  do {
    for (const auto& e : epochs) {
      std::this_thread::sleep_until(next);
      if (!WriteAll(fd, e.bytes)) {
        std::fprintf(stderr, "nmeaplayer: write failed: %s\n", std::strerror(errno));
        return 1;
      }
      next += std::chrono::duration_cast<std::chrono::steady_clock::duration>(step);
    }
  } while (loop);
  ::close(fd);
  return 0;
}
