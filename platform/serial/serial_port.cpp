#include "platform/serial/serial_port.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <optional>

#include "platform/base/errors.h"
#include "platform/kernel/termination_point.h"

namespace ce::serial::internal {
namespace {

using Clock = std::chrono::steady_clock;
using Ms = std::chrono::milliseconds;

std::optional<speed_t> SpeedOf(DWORD baud) {
  switch (baud) {
    case 110: return B110;
    case 300: return B300;
    case 600: return B600;
    case 1200: return B1200;
    case 2400: return B2400;
    case 4800: return B4800;
    case 9600: return B9600;
    case 19200: return B19200;
    case 38400: return B38400;
    case 57600: return B57600;
    case 115200: return B115200;
    case 230400: return B230400;
    default: return std::nullopt;
  }
}

DWORD ErrorOf(int err) {
  switch (err) {
    case ENOENT:
    case ENXIO:
    case ENODEV: return ERROR_FILE_NOT_FOUND;
    case EACCES:
    case EPERM: return ERROR_ACCESS_DENIED;
    case EBUSY: return ERROR_BUSY;
    default: return ERROR_GEN_FAILURE;
  }
}

// Milliseconds until `deadline` for poll (at least 0), or -1 for none.
int PollWait(std::optional<Clock::time_point> deadline) {
  if (!deadline) return -1;
  const auto left = std::chrono::duration_cast<Ms>(*deadline - Clock::now()).count();
  return left <= 0 ? 0 : static_cast<int>(std::min<long long>(left + 1, 1 << 30));
}

void Drain(int fd) {
  char sink[64];
  while (::read(fd, sink, sizeof sink) > 0) {
  }
}

DCB DefaultDcb() {
  DCB d{};
  d.DCBlength = sizeof(DCB);
  d.BaudRate = CBR_9600;
  d.fBinary = 1;
  d.fDtrControl = DTR_CONTROL_ENABLE;
  d.fRtsControl = RTS_CONTROL_ENABLE;
  d.fTXContinueOnXoff = 1;
  d.ByteSize = 8;
  d.Parity = NOPARITY;
  d.StopBits = ONESTOPBIT;
  d.XonChar = 0x11;
  d.XoffChar = 0x13;
  return d;
}

}  // namespace

std::shared_ptr<SerialPort> SerialPort::Open(std::u16string name, const std::string& host_path, DWORD* error) {
  const int fd = ::open(host_path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    *error = ErrorOf(errno);
    return nullptr;
  }
  termios tio;
  if (::tcgetattr(fd, &tio) != 0) {  // not a terminal device
    ::close(fd);
    *error = ERROR_FILE_NOT_FOUND;
    return nullptr;
  }
  std::shared_ptr<SerialPort> port(new SerialPort(std::move(name), fd));
  if (port->read_wake_[0] < 0 || port->write_wake_[0] < 0) {
    *error = ERROR_TOO_MANY_OPEN_FILES;
    return nullptr;
  }
  if (DWORD e = port->SetState(DefaultDcb())) {
    *error = e;
    return nullptr;
  }
  port->lines_ = LineState{true, true, false};
  return port;
}

SerialPort::SerialPort(std::u16string name, int fd) : name_(std::move(name)), fd_(fd) {
  if (::pipe2(read_wake_, O_NONBLOCK | O_CLOEXEC) != 0) read_wake_[0] = read_wake_[1] = -1;
  if (::pipe2(write_wake_, O_NONBLOCK | O_CLOEXEC) != 0) write_wake_[0] = write_wake_[1] = -1;
}

SerialPort::~SerialPort() {
  ::close(fd_);
  for (int fd : {read_wake_[0], read_wake_[1], write_wake_[0], write_wake_[1]})
    if (fd >= 0) ::close(fd);
}

DWORD SerialPort::Usable() const {
  if (closed_) return ERROR_INVALID_HANDLE;
  if (unplugged_) return ERROR_GEN_FAILURE;
  return ERROR_SUCCESS;
}

void SerialPort::Wake(int pipe_write_end) {
  const char b = 1;
  [[maybe_unused]] ssize_t n = ::write(pipe_write_end, &b, 1);
}

void SerialPort::OnHandleClosed() {
  // Reads and writes still running in other threads end now; the device itself is closed when
  // the last of them lets go of the port, so its descriptor is never reused under them.
  closed_ = true;
  ++read_aborts_;
  ++write_aborts_;
  Wake(read_wake_[1]);
  Wake(write_wake_[1]);
}

void SerialPort::SetUnplugged(bool unplugged) {
  unplugged_ = unplugged;
  if (unplugged) {
    Wake(read_wake_[1]);
    Wake(write_wake_[1]);
  }
}

LineState SerialPort::Lines() {
  std::lock_guard lock(settings_mutex_);
  return lines_;
}

std::optional<DWORD> SerialPort::WaitReady(short events, int wake_read_end,
                                           std::optional<std::chrono::steady_clock::time_point> deadline,
                                           const kernel::TerminationPoint& point, const std::atomic<unsigned>& aborts,
                                           unsigned generation) {
  const int wait = PollWait(deadline);
  if (wait == 0) return ERROR_SUCCESS;  // time-out: success with what has been moved
  pollfd fds[2] = {{fd_, events, 0}, {wake_read_end, POLLIN, 0}};
  if ((::poll(fds, 2, wait) < 0 && errno != EINTR) || (fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)))
    return ERROR_GEN_FAILURE;  // hang-up or I/O error
  if (fds[1].revents) Drain(wake_read_end);
  if (point.Terminated() || closed_) return ERROR_OPERATION_ABORTED;
  if (unplugged_) return ERROR_GEN_FAILURE;
  if (aborts != generation) return ERROR_SUCCESS;  // purged
  return std::nullopt;
}

DWORD SerialPort::Read(void* buffer, DWORD size, DWORD* done) {
  *done = 0;
  if (DWORD e = Usable()) return e;
  if (size == 0) return ERROR_SUCCESS;
  std::lock_guard lock(read_mutex_);
  // A thread terminated while it waits here is woken, gives up and ends as the read returns.
  kernel::TerminationPoint point([this] { Wake(read_wake_[1]); });
  const unsigned generation = read_aborts_;
  COMMTIMEOUTS t;
  {
    std::lock_guard settings(settings_mutex_);
    t = timeouts_;
  }
  const bool at_once = t.ReadIntervalTimeout == MAXDWORD && t.ReadTotalTimeoutMultiplier == 0 &&
                       t.ReadTotalTimeoutConstant == 0;
  const bool first_byte = t.ReadIntervalTimeout == MAXDWORD && t.ReadTotalTimeoutMultiplier == MAXDWORD &&
                          t.ReadTotalTimeoutConstant > 0 && t.ReadTotalTimeoutConstant < MAXDWORD;
  std::optional<Clock::time_point> total;
  if (first_byte) {
    total = Clock::now() + Ms(t.ReadTotalTimeoutConstant);
  } else if (!at_once && (t.ReadTotalTimeoutMultiplier || t.ReadTotalTimeoutConstant)) {
    const unsigned long long ms =
        static_cast<unsigned long long>(t.ReadTotalTimeoutMultiplier) * size + t.ReadTotalTimeoutConstant;
    total = Clock::now() + Ms(std::min(ms, 1ull << 40));
  }
  const bool use_interval = !at_once && !first_byte && t.ReadIntervalTimeout != 0 && t.ReadIntervalTimeout != MAXDWORD;

  auto* out = static_cast<unsigned char*>(buffer);
  DWORD got = 0;
  Clock::time_point last_byte{};
  while (true) {
    const ssize_t n = ::read(fd_, out + got, size - got);
    if (n > 0) {
      got += static_cast<DWORD>(n);
      last_byte = Clock::now();
      if (got == size || first_byte) break;
      continue;
    }
    // A terminal in raw mode with no data answers 0 or EAGAIN; anything else means the
    // device went away.
    if (n < 0 && errno != EAGAIN && errno != EINTR) {
      *done = got;
      return ERROR_GEN_FAILURE;
    }
    if (at_once) break;
    std::optional<Clock::time_point> deadline = total;
    if (use_interval && got > 0) {
      const auto gap = last_byte + Ms(t.ReadIntervalTimeout);
      if (!deadline || gap < *deadline) deadline = gap;
    }
    if (const std::optional<DWORD> end = WaitReady(POLLIN, read_wake_[0], deadline, point, read_aborts_, generation)) {
      *done = got;
      return *end;
    }
  }
  *done = got;
  return ERROR_SUCCESS;
}

DWORD SerialPort::Write(const void* data, DWORD size, DWORD* done) {
  *done = 0;
  if (DWORD e = Usable()) return e;
  if (size == 0) return ERROR_SUCCESS;
  std::lock_guard lock(write_mutex_);
  kernel::TerminationPoint point([this] { Wake(write_wake_[1]); });
  const unsigned generation = write_aborts_;
  COMMTIMEOUTS t;
  {
    std::lock_guard settings(settings_mutex_);
    t = timeouts_;
  }
  std::optional<Clock::time_point> deadline;
  if (t.WriteTotalTimeoutMultiplier || t.WriteTotalTimeoutConstant) {
    const unsigned long long ms =
        static_cast<unsigned long long>(t.WriteTotalTimeoutMultiplier) * size + t.WriteTotalTimeoutConstant;
    deadline = Clock::now() + Ms(std::min(ms, 1ull << 40));
  }
  const auto* in = static_cast<const unsigned char*>(data);
  DWORD sent = 0;
  while (sent < size) {
    const ssize_t n = ::write(fd_, in + sent, size - sent);
    if (n > 0) {
      sent += static_cast<DWORD>(n);
      continue;
    }
    if (n < 0 && errno != EAGAIN && errno != EINTR) {
      *done = sent;
      return ERROR_GEN_FAILURE;
    }
    if (const std::optional<DWORD> end = WaitReady(POLLOUT, write_wake_[0], deadline, point, write_aborts_, generation)) {
      *done = sent;
      return *end;
    }
  }
  *done = sent;
  return ERROR_SUCCESS;
}

DWORD SerialPort::Flush() {
  if (DWORD e = Usable()) return e;
  return ::tcdrain(fd_) == 0 ? ERROR_SUCCESS : ERROR_GEN_FAILURE;
}

DWORD SerialPort::GetState(DCB* dcb) {
  if (DWORD e = Usable()) return e;
  std::lock_guard lock(settings_mutex_);
  *dcb = dcb_;
  return ERROR_SUCCESS;
}

DWORD SerialPort::SetState(const DCB& dcb) {
  if (DWORD e = Usable()) return e;
  const std::optional<speed_t> speed = SpeedOf(dcb.BaudRate);
  if (!speed || dcb.ByteSize < 5 || dcb.ByteSize > 8 || dcb.Parity > SPACEPARITY ||
      (dcb.StopBits != ONESTOPBIT && dcb.StopBits != TWOSTOPBITS))
    return ERROR_INVALID_PARAMETER;
  std::lock_guard lock(settings_mutex_);
  termios tio;
  if (::tcgetattr(fd_, &tio) != 0) return ERROR_GEN_FAILURE;
  ::cfmakeraw(&tio);
  tio.c_cflag |= CLOCAL | CREAD;
  tio.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
  static const tcflag_t sizes[] = {CS5, CS6, CS7, CS8};
  tio.c_cflag |= sizes[dcb.ByteSize - 5];
  switch (dcb.Parity) {
    case ODDPARITY: tio.c_cflag |= PARENB | PARODD; break;
    case EVENPARITY: tio.c_cflag |= PARENB; break;
    case MARKPARITY: tio.c_cflag |= PARENB | PARODD | CMSPAR; break;
    case SPACEPARITY: tio.c_cflag |= PARENB | CMSPAR; break;
    default: break;
  }
  if (dcb.StopBits == TWOSTOPBITS) tio.c_cflag |= CSTOPB;
  if (dcb.fOutxCtsFlow || dcb.fRtsControl == RTS_CONTROL_HANDSHAKE) tio.c_cflag |= CRTSCTS;
  tio.c_iflag &= ~(IXON | IXOFF | IXANY);
  if (dcb.fOutX) tio.c_iflag |= IXON;
  if (dcb.fInX) tio.c_iflag |= IXOFF;
  tio.c_cc[VMIN] = 0;
  tio.c_cc[VTIME] = 0;
  ::cfsetispeed(&tio, *speed);
  ::cfsetospeed(&tio, *speed);
  if (::tcsetattr(fd_, TCSANOW, &tio) != 0) return ERROR_GEN_FAILURE;
  dcb_ = dcb;
  dcb_.DCBlength = sizeof(DCB);
  return ERROR_SUCCESS;
}

DWORD SerialPort::GetTimeouts(COMMTIMEOUTS* timeouts) {
  if (DWORD e = Usable()) return e;
  std::lock_guard lock(settings_mutex_);
  *timeouts = timeouts_;
  return ERROR_SUCCESS;
}

DWORD SerialPort::SetTimeouts(const COMMTIMEOUTS& timeouts) {
  if (DWORD e = Usable()) return e;
  std::lock_guard lock(settings_mutex_);
  timeouts_ = timeouts;
  return ERROR_SUCCESS;
}

DWORD SerialPort::SetMask(DWORD mask) {
  if (DWORD e = Usable()) return e;
  std::lock_guard lock(settings_mutex_);
  mask_ = mask;
  return ERROR_SUCCESS;
}

DWORD SerialPort::GetMask(DWORD* mask) {
  if (DWORD e = Usable()) return e;
  std::lock_guard lock(settings_mutex_);
  *mask = mask_;
  return ERROR_SUCCESS;
}

DWORD SerialPort::Purge(DWORD flags) {
  if (DWORD e = Usable()) return e;
  if (flags & ~(PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR)) return ERROR_INVALID_PARAMETER;
  if (flags & PURGE_RXABORT) {
    ++read_aborts_;
    Wake(read_wake_[1]);
  }
  if (flags & PURGE_TXABORT) {
    ++write_aborts_;
    Wake(write_wake_[1]);
  }
  if ((flags & PURGE_RXCLEAR) && (flags & PURGE_TXCLEAR)) ::tcflush(fd_, TCIOFLUSH);
  else if (flags & PURGE_RXCLEAR) ::tcflush(fd_, TCIFLUSH);
  else if (flags & PURGE_TXCLEAR) ::tcflush(fd_, TCOFLUSH);
  return ERROR_SUCCESS;
}

DWORD SerialPort::Escape(DWORD function) {
  if (DWORD e = Usable()) return e;
  std::lock_guard lock(settings_mutex_);
  // Modem lines and break are recorded; on a device without them (a pseudo-terminal) the host
  // call's refusal is no error.
  int bits = 0;
  switch (function) {
    case SETDTR:
    case CLRDTR:
      bits = TIOCM_DTR;
      lines_.dtr = function == SETDTR;
      ::ioctl(fd_, function == SETDTR ? TIOCMBIS : TIOCMBIC, &bits);
      break;
    case SETRTS:
    case CLRRTS:
      bits = TIOCM_RTS;
      lines_.rts = function == SETRTS;
      ::ioctl(fd_, function == SETRTS ? TIOCMBIS : TIOCMBIC, &bits);
      break;
    case SETBREAK:
    case CLRBREAK:
      lines_.brk = function == SETBREAK;
      ::ioctl(fd_, function == SETBREAK ? TIOCSBRK : TIOCCBRK, 0);
      break;
    case SETXOFF:
    case SETXON:
      ::tcflow(fd_, function == SETXOFF ? TCOOFF : TCOON);
      break;
    default:
      return ERROR_INVALID_PARAMETER;
  }
  return ERROR_SUCCESS;
}

DWORD SerialPort::ClearError(DWORD* errors, COMSTAT* status) {
  if (DWORD e = Usable()) return e;
  if (errors) *errors = 0;  // the host reports no line errors to us
  if (status) {
    std::memset(status, 0, sizeof *status);
    int in = 0, out = 0;
    if (::ioctl(fd_, FIONREAD, &in) == 0 && in > 0) status->cbInQue = static_cast<DWORD>(in);
    if (::ioctl(fd_, TIOCOUTQ, &out) == 0 && out > 0) status->cbOutQue = static_cast<DWORD>(out);
  }
  return ERROR_SUCCESS;
}

}  // namespace ce::serial::internal
