// The recorder links' port services over the GPS input's CommPort.
#pragma once

#include "cumulor/nav/gps/comm_port.h"
#include "cumulor/nav/volkslogger/logger_io.h"

namespace cumulor {

class CommPortIo : public LoggerIo {
 public:
  // Waits end early when `abortEvent` or `stopEvent` is set (either may be null).
  CommPortIo(CommPort& port, HANDLE abortEvent, HANDLE stopEvent) : port_(port), abort_(abortEvent), stop_(stopEvent) {}
  HRESULT WriteByte(std::uint8_t byte) override;
  // Any failure of the port (closed, unplugged) reads as E_FAIL.
  HRESULT Read(std::uint8_t* buffer, std::uint32_t count, std::uint32_t& read) override;
  void Purge() override;
  HRESULT SetBaud(std::uint32_t baud) override;
  void Wait(std::uint32_t ms) override;

 private:
  CommPort& port_;
  HANDLE abort_;
  HANDLE stop_;
};

}  // namespace cumulor
