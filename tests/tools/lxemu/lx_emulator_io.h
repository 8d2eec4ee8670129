// The block protocol's port wired straight to the Filser/LX emulator, in process (waits only
// count); safe to use from the GPS input thread while the test looks at the recorder under lock().
#pragma once

#include <cstdint>
#include <deque>
#include <mutex>

#include "cumulor/nav/volkslogger/logger_io.h"
#include "tools/lxemu/lx_emulator.h"

namespace lxemu_test {

class LxEmulatorIo : public cumulor::LoggerIo {
 public:
  explicit LxEmulatorIo(lxemu::LxEmulator& recorder) : recorder_(recorder) {}
  HRESULT WriteByte(std::uint8_t byte) override {
    std::lock_guard<std::mutex> hold(lock_);
    if (recorder_.unplugged()) return E_FAIL;
    lxemu::Bytes out;
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
    if (read == 0 && recorder_.unplugged()) return E_FAIL;
    return 0;
  }
  void Purge() override {
    std::lock_guard<std::mutex> hold(lock_);
    pending_.clear();
  }
  HRESULT SetBaud(std::uint32_t) override { return 0; }
  void Wait(std::uint32_t) override {}
  std::mutex& lock() { return lock_; }

 private:
  std::mutex lock_;
  lxemu::LxEmulator& recorder_;
  std::deque<std::uint8_t> pending_;
};

}  // namespace lxemu_test
