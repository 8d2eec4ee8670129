// nmeaplayer: writes an NMEA log, or an IGC file converted to NMEA sentences, into a serial port or
// a pseudo-terminal at a chosen rate, for tests and for trying the flight computer without a GPS.
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
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

// The most a FILE may hold: a long flight logged at one fix a second is far less.
constexpr std::size_t kMaxInput = 64u << 20;

// Reads the whole of `path` if it holds at most kMaxInput bytes; false with `why` otherwise.
bool ReadBounded(const std::string& path, std::string* text, std::string* why) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  struct stat st {};
  if (fd < 0 || fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
    *why = "cannot read " + path;
    if (fd >= 0) ::close(fd);
    return false;
  }
  char buf[65536];
  for (;;) {
    const ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      *why = "cannot read " + path + ": " + std::strerror(errno);
      ::close(fd);
      return false;
    }
    if (n == 0) break;
    text->append(buf, static_cast<std::size_t>(n));
    if (text->size() > kMaxInput) {
      *why = path + " is larger than " + std::to_string(kMaxInput >> 20) + " MB";
      ::close(fd);
      return false;
    }
  }
  ::close(fd);
  return true;
}

// Sets the terminal behind `fd` raw, so the line discipline passes the bytes unchanged.
void MakeRaw(int fd) {
  termios tio{};
  if (tcgetattr(fd, &tio) == 0) {
    cfmakeraw(&tio);
    tcsetattr(fd, TCSANOW, &tio);
  }
}

// Waits until a reader opens the slave of the pseudo-terminal `master` (none has it open now): the
// master reports a hang-up while no slave is open.
void AwaitReader(int master) {
  for (;;) {
    pollfd p{master, POLLIN, 0};
    if (poll(&p, 1, 0) >= 0 && !(p.revents & POLLHUP)) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

// Lets the reader take what is still waiting in the slave's input (seen through `slave`), for at
// most ten seconds, so that closing the master loses nothing.
void Drain(int slave) {
  int quiet = 0;
  for (int i = 0; i < 500 && quiet < 2; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    int pending = 0;
    if (ioctl(slave, FIONREAD, &pending) != 0) return;
    quiet = pending == 0 ? quiet + 1 : 0;
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
  std::string text, why;
  if (!ReadBounded(path, &text, &why)) {
    std::fprintf(stderr, "nmeaplayer: %s\n", why.c_str());
    return 1;
  }
  const auto epochs =
      nmeaplayer::LooksLikeIgc(text) ? nmeaplayer::EpochsFromIgc(text) : nmeaplayer::EpochsFromNmeaLog(text);
  if (epochs.empty()) {
    std::fprintf(stderr, "nmeaplayer: nothing to play in %s\n", path.c_str());
    return 1;
  }

  int fd = -1;
  int slave = -1;  // with --pty: the player's own slave descriptor, once a reader has come
  if (target == "--pty") {
    fd = posix_openpt(O_RDWR | O_NOCTTY);
    if (fd < 0 || grantpt(fd) != 0 || unlockpt(fd) != 0) {
      std::perror("nmeaplayer: pseudo-terminal");
      return 1;
    }
    const std::string slave_path = ptsname(fd);
    const int setup = ::open(slave_path.c_str(), O_RDWR | O_NOCTTY);
    if (setup >= 0) {
      MakeRaw(setup);
      ::close(setup);
    }
    std::printf("%s\n", slave_path.c_str());
    std::fflush(stdout);
    // Nothing is played before the reader has the port: the first epochs would go nowhere.
    AwaitReader(fd);
    // From now on a slave descriptor of our own keeps the port up while the reader reopens it.
    slave = ::open(slave_path.c_str(), O_RDWR | O_NOCTTY);
  } else {
    // Only a device: a regular file named by mistake would be overwritten.
    struct stat st {};
    if (::stat(target.c_str(), &st) == 0 && !S_ISCHR(st.st_mode)) {
      std::fprintf(stderr, "nmeaplayer: %s is not a serial device or pseudo-terminal\n", target.c_str());
      return 2;
    }
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
  if (slave >= 0) {
    Drain(slave);
    ::close(slave);
  }
  ::close(fd);
  return 0;
}
