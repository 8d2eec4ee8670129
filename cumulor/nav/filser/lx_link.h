// The Filser/LX block protocol: 8-bit CRC, the SYN/ACK handshake and device commands 1 to 3
// (read the declaration block, write it, read the flight block).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

#include "cumulor/nav/volkslogger/logger_io.h"

namespace cumulor {

// Progress codes posted to the command window (wParam), and the error details (lParam of 600).
namespace lxcode {
constexpr int kHandshakeRetry = 500, kReadAttempt = 510, kWriteAttempt = 520, kReadDone = 100, kWriteDone = 101,
              kError = 600;
constexpr int kNoAnswer = 4, kPortBusy = 5, kTransferFailed = 10;
}  // namespace lxcode

struct DeviceLink {
  LoggerIo* io = nullptr;
  // Posts a progress code and its parameter to the command window.
  std::function<void(int code, int parameter)> post;
  // True when the command was cleared (the dialog ended) or the program stops.
  std::function<bool()> cancelled;

  void Post(int code, int parameter) const {
    if (post) post(code, parameter);
  }
  bool Cancelled() const { return cancelled && cancelled(); }
};

// CRC of the block protocol: start 0xFF, polynomial 0x69, most significant bit first.
std::uint8_t LxCrc(const std::uint8_t* bytes, std::size_t count);
// SYN, then three times: wait 200 ms, purge, SYN; success when the next byte is ACK.
bool LxHandshake(LoggerIo& io);

// Command 1: reads the 350-byte declaration block into `block`. 0 (posted 100) or E_FAIL.
HRESULT DeviceReadBlock(DeviceLink& link, std::uint8_t* block);
// Command 2: writes `block` (its last byte becomes the CRC). 0 (posted 101) or E_FAIL.
HRESULT DeviceWriteBlock(DeviceLink& link, std::uint8_t* block);
// Command 3: reads the 32769-byte flight block into a buffer freed afterwards.
HRESULT DeviceReadFlight(DeviceLink& link);

}  // namespace cumulor
