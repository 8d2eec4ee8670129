// CommPort: a thin record over one serial device ("COM1:" ...), shared by the GPS input and the
// recorder links.
//
// The handle is guarded: every read, write and settings call holds the port for its duration, and
// SerialOpen / SerialClose replace the handle only when no call is inside it (running reads are
// aborted first). So a reopen from another thread never leaves a reader on a handle value that
// has meanwhile been given to another file.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>

#include "platform/base/types.h"
#include "platform/serial/serial.h"

namespace cumulor {

struct CommPort {
  DCB settings{};
  HANDLE handle = INVALID_HANDLE_VALUE;
  std::uint32_t baudRate = 0;

  // Guard of the handle (see above).
  std::mutex guard;
  std::condition_variable idle;
  int users = 0;
};

void CommPortInit(CommPort& port);
// Closes an open port, opens `device` (read/write, not shared, existing only) and sets 8N1 binary
// at `baud`, read time-outs of `readTimeoutSeconds` and purges. 0 or E_FAIL; a failure after the
// device opened leaves it open.
HRESULT SerialOpen(CommPort& port, const WCHAR* device, std::uint32_t baud, std::uint32_t readTimeoutSeconds);
HRESULT SerialSetBaud(CommPort& port, std::uint32_t baud);
HRESULT SerialSetReadTimeout(CommPort& port, std::uint32_t seconds);
HRESULT SerialSetWriteTimeout(CommPort& port, std::uint32_t seconds);
HRESULT SerialClose(CommPort& port);
// 0, or E_FAIL when the write fails or is short. A count of 0 is 0 at once.
HRESULT SerialWrite(CommPort& port, const void* bytes, std::uint32_t count);
HRESULT SerialWriteByte(CommPort& port, std::uint8_t byte);
// 0 with the count read (0 on a time-out), or the platform's error code (positive) on failure.
HRESULT SerialRead(CommPort& port, void* buffer, std::uint32_t count, std::uint32_t& read);
// Discards both directions' buffers; returns the platform call's result.
BOOL SerialPurge(CommPort& port);
// Makes reads and writes running in other threads return at once (with what they have).
void SerialAbortPending(CommPort& port);
bool SerialIsOpen(CommPort& port);

}  // namespace cumulor
