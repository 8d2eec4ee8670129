// A LoggerIo whose far end is a byte script: what the link writes is recorded, reads take the
// scripted bytes (an empty script reads as a time-out), waits only count.
#pragma once

#include <cstdint>
#include <deque>
#include <vector>

#include "cumulor/nav/volkslogger/vl_link.h"

namespace cumulor::testing {

class ScriptedIo : public LoggerIo {
 public:
  HRESULT WriteByte(std::uint8_t byte) override {
    written.push_back(byte);
    return failWrites ? E_FAIL : 0;
  }
  HRESULT Read(std::uint8_t* buffer, std::uint32_t count, std::uint32_t& read) override {
    read = 0;
    if (input.empty() && unplugWhenEmpty) return E_FAIL;
    while (read < count && !input.empty()) {
      buffer[read++] = input.front();
      input.pop_front();
    }
    if (read == 0) ++timeouts;
    return 0;
  }
  void Purge() override { ++purges; }
  HRESULT SetBaud(std::uint32_t baud) override {
    bauds.push_back(baud);
    return 0;
  }
  void Wait(std::uint32_t ms) override { waited += ms; }

  void Feed(const std::vector<std::uint8_t>& bytes) { input.insert(input.end(), bytes.begin(), bytes.end()); }

  std::deque<std::uint8_t> input;
  std::vector<std::uint8_t> written;
  std::vector<std::uint32_t> bauds;
  bool failWrites = false;
  bool unplugWhenEmpty = false;
  int timeouts = 0, purges = 0;
  std::uint64_t waited = 0;
};

}  // namespace cumulor::testing
