// The byte-level port services of the recorder links (Volkslogger and Filser/LX).
#pragma once

#include <cstdint>

#include "platform/base/errors.h"
#include "platform/base/types.h"

namespace cumulor {

// The port services the link needs. The GPS input's CommPort is adapted by the recorder sessions;
// tests feed scripted bytes.
class LoggerIo {
 public:
  virtual ~LoggerIo() = default;
  // 0, or E_FAIL when the byte was not written.
  virtual HRESULT WriteByte(std::uint8_t byte) = 0;
  // 0 with the count read (0 when the read timed out), or a failure code.
  virtual HRESULT Read(std::uint8_t* buffer, std::uint32_t count, std::uint32_t& read) = 0;
  virtual void Purge() = 0;
  // Flushes the output, waits 50 ms and applies the rate; 0 or E_FAIL.
  virtual HRESULT SetBaud(std::uint32_t baud) = 0;
  // Waits `ms` milliseconds, ending early at program stop.
  virtual void Wait(std::uint32_t ms) = 0;
};

}  // namespace cumulor
