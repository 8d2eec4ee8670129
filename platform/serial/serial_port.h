// Inside the serial area: one open port over a host terminal device (termios).
#pragma once

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "platform/files/file_object.h"
#include "platform/serial/serial.h"
#include "platform/serial/serial_test_seam.h"

namespace ce::kernel {
class TerminationPoint;
}

namespace ce::serial::internal {

class SerialPort final : public ce::files::FileObject {
 public:
  // Opens the host device in raw mode at 9600 baud, 8N1; null with *error set on failure.
  static std::shared_ptr<SerialPort> Open(std::u16string name, const std::string& host_path, DWORD* error);
  ~SerialPort() override;

  const std::u16string& name() const { return name_; }
  bool closed() const { return closed_; }

  DWORD Read(void* buffer, DWORD size, DWORD* done) override;
  DWORD Write(const void* data, DWORD size, DWORD* done) override;
  DWORD Flush() override;
  void OnHandleClosed() override;

  DWORD GetState(DCB* dcb);
  DWORD SetState(const DCB& dcb);
  DWORD GetTimeouts(COMMTIMEOUTS* timeouts);
  DWORD SetTimeouts(const COMMTIMEOUTS& timeouts);
  DWORD SetMask(DWORD mask);
  DWORD GetMask(DWORD* mask);
  DWORD Purge(DWORD flags);
  DWORD Escape(DWORD function);
  DWORD ClearError(DWORD* errors, COMSTAT* status);

  void SetUnplugged(bool unplugged);
  LineState Lines();

 private:
  SerialPort(std::u16string name, int fd);
  DWORD Usable() const;
  void Wake(int pipe_write_end);
  // One wait of a transfer for the port to be ready for `events`, the wake pipe or the deadline:
  // nothing to go on, else the code that ends the transfer (success for a time-out or a purge).
  std::optional<DWORD> WaitReady(short events, int wake_read_end,
                                 std::optional<std::chrono::steady_clock::time_point> deadline,
                                 const kernel::TerminationPoint& point, const std::atomic<unsigned>& aborts,
                                 unsigned generation);

  const std::u16string name_;
  const int fd_;
  int read_wake_[2] = {-1, -1};
  int write_wake_[2] = {-1, -1};

  std::mutex settings_mutex_;
  DCB dcb_{};
  COMMTIMEOUTS timeouts_{};
  DWORD mask_ = 0;
  LineState lines_;

  std::mutex read_mutex_;
  std::mutex write_mutex_;
  std::atomic<unsigned> read_aborts_{0};
  std::atomic<unsigned> write_aborts_{0};
  std::atomic<bool> closed_{false};
  std::atomic<bool> unplugged_{false};
};

}  // namespace ce::serial::internal
