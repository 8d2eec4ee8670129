// The Volkslogger link: waking the recorder, command frames, stuffed data blocks with CRC, the
// baud-rate switches, the declaration memory and flight reads.
//
// Every retry loop here also ends when LoggerLink::stopRequested says so (the dialog's stop or
// cancel, the program's abort, the exchange's run flag cleared), so an unplugged recorder never
// keeps the reader thread.
#pragma once

#include <cstdint>
#include <functional>

#include "cumulor/nav/volkslogger/logger_io.h"
#include "platform/base/errors.h"
#include "platform/base/types.h"

namespace cumulor {

namespace vl {
constexpr std::uint8_t kCan = 0x18, kEnq = 0x05, kAck = 0x06, kStx = 0x02, kEtx = 0x03, kDle = 0x10;
constexpr std::uint8_t kRequest = 'R', kAnswer = 'L';
constexpr std::int32_t kMemorySize = 16384;
constexpr std::int32_t kFlightBufferSize = 82000;
constexpr std::uint8_t kBaud57600 = 4;
}  // namespace vl

struct LoggerLink {
  LoggerIo* io = nullptr;
  std::uint8_t reply = 0;  // the recorder's answer to the last command
  // True when the exchange must end (see the file comment); null: never.
  std::function<bool()> stopRequested;
  // Status text (null: keep the text) and progress position of total (total 0: no progress).
  std::function<void(std::int32_t position, std::int32_t total, const WCHAR* text)> status;

  bool Stopping() const { return stopRequested && stopRequested(); }
  void Status(std::int32_t position, std::int32_t total, const WCHAR* text) const {
    if (status) status(position, total, text);
  }
};

HRESULT LoggerConnect(LoggerLink& link);
HRESULT LoggerSendCommand(LoggerLink& link, std::uint8_t command, std::uint8_t parameter1, std::uint8_t parameter2);
// Receives one block into buffer[0, capacity) after filling it with `fill`: the count of data
// bytes without the CRC (which can exceed the capacity: bytes beyond it are checked but not
// stored, and callers treat such a result as a failed read), -1 on a CRC error or a block under
// three bytes, E_FAIL on a read error, a missing buffer, a capacity below 1 or a stop.
std::int32_t LoggerReadBlock(LoggerLink& link, std::uint8_t* buffer, std::int32_t capacity, std::uint8_t fill);
// Reads the 16384-byte declaration memory (command 4) into `buffer` of `length` bytes.
HRESULT LoggerReadMemory(LoggerLink& link, std::uint8_t* buffer, std::int32_t length);
// Reads flight `index` (command 3 when `secondForm`, else 2) and its security block (command 8)
// into `buffer`; `length` gets the bytes of both.
HRESULT LoggerReadFlight(LoggerLink& link, std::uint8_t* buffer, std::int32_t capacity, std::uint8_t index,
                         bool secondForm, std::uint8_t baudCode, std::int32_t& length);

// Writes the 16384-byte declaration memory (command 7, the raw bytes, the CRC), repeating until
// the recorder acknowledges it or the exchange stops: 0 or E_FAIL.
HRESULT LoggerWriteMemory(LoggerLink& link, const std::uint8_t* memory);

}  // namespace cumulor
