// The far end of a serial port in the tests: a pseudo-terminal whose slave is mapped to a port
// name in the registry.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <string>

#include "platform/registry/registry.h"
#include "platform/text/utf.h"

namespace test_serial {

class PtyFarEnd {
 public:
  explicit PtyFarEnd(const char16_t* port_key) {
    master_ = posix_openpt(O_RDWR | O_NOCTTY);
    grantpt(master_);
    unlockpt(master_);
    slave_path_ = ptsname(master_);
    // Keep one slave descriptor open so the master never sees a hang-up between opens.
    keep_slave_ = ::open(slave_path_.c_str(), O_RDWR | O_NOCTTY);
    termios tio;
    tcgetattr(keep_slave_, &tio);
    cfmakeraw(&tio);
    tcsetattr(keep_slave_, TCSANOW, &tio);
    RegistrySetString(HKEY_LOCAL_MACHINE, u"\\Host\\SerialPorts", port_key,
                      ce::text::FromUtf8(slave_path_).c_str());
  }
  ~PtyFarEnd() {
    ::close(keep_slave_);
    ::close(master_);
  }
  void Send(const std::string& bytes) {
    for (size_t off = 0; off < bytes.size();) {
      const ssize_t n = ::write(master_, bytes.data() + off, bytes.size() - off);
      if (n > 0) off += n;
    }
  }
  // Whatever arrives within `ms` after the first byte (or nothing).
  std::string Receive(size_t want, int ms = 2000) {
    std::string got;
    char buf[512];
    while (got.size() < want) {
      pollfd p{master_, POLLIN, 0};
      if (poll(&p, 1, ms) <= 0) break;
      const ssize_t n = ::read(master_, buf, sizeof buf);
      if (n <= 0) break;
      got.append(buf, n);
    }
    return got;
  }

 private:
  int master_ = -1;
  int keep_slave_ = -1;
  std::string slave_path_;
};

}  // namespace test_serial
