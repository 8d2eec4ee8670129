// A recorder link's port wired straight to a recorder emulator, in process (waits only count).
// Safe to use from a worker thread while the test thread looks at the recorder under `lock()`.
#pragma once

#include <cstdint>
#include <deque>
#include <mutex>
#include <vector>

#include "cumulor/nav/volkslogger/logger_io.h"

namespace recorder_test {

// `Emulator` answers `Receive(byte, out)` and `unplugged()`.
template <class Emulator>
class RecorderEmulatorIo : public cumulor::LoggerIo {
 public:
  explicit RecorderEmulatorIo(Emulator& recorder) : recorder_(recorder) {}
  HRESULT WriteByte(std::uint8_t byte) override {
    std::lock_guard<std::mutex> hold(lock_);
    if (recorder_.unplugged()) return E_FAIL;
    std::vector<std::uint8_t> out;
    recorder_.Receive(byte, out);
    pending_.insert(pending_.end(), out.begin(), out.end());
    return 0;
  }
  HRESULT Read(std::uint8_t* buffer, std::uint32_t count, std::uint32_t& read) override {
    std::lock_guard<std::mutex> hold(lock_);
    read = 0;
    while (read < count && !pending_.empty()) {
      buffer[read++] = pending_.front();
      pending_.pop_front();
    }
    if (read == 0 && recorder_.unplugged()) return E_FAIL;  // the device is gone
    return 0;
  }
  void Purge() override {
    std::lock_guard<std::mutex> hold(lock_);
    pending_.clear();
  }
  HRESULT SetBaud(std::uint32_t) override {
    std::lock_guard<std::mutex> hold(lock_);
    return recorder_.unplugged() ? E_FAIL : 0;
  }
  void Wait(std::uint32_t ms) override { waited += ms; }
  std::mutex& lock() { return lock_; }
  std::uint64_t waited = 0;

 private:
  std::mutex lock_;
  Emulator& recorder_;
  std::deque<std::uint8_t> pending_;
};

}  // namespace recorder_test
