#include "cumulor/nav/recorder/comm_port_io.h"

#include "platform/kernel/kernel.h"
#include "platform/kernel/sync.h"

namespace cumulor {

HRESULT CommPortIo::WriteByte(std::uint8_t byte) { return SerialWriteByte(port_, byte) == 0 ? 0 : E_FAIL; }

HRESULT CommPortIo::Read(std::uint8_t* buffer, std::uint32_t count, std::uint32_t& read) {
  return SerialRead(port_, buffer, count, read) == 0 ? 0 : E_FAIL;
}

void CommPortIo::Purge() { SerialPurge(port_); }

HRESULT CommPortIo::SetBaud(std::uint32_t baud) { return SerialSetBaud(port_, baud) == 0 ? 0 : E_FAIL; }

void CommPortIo::Wait(std::uint32_t ms) {
  HANDLE waits[2];
  DWORD count = 0;
  if (abort_) waits[count++] = abort_;
  if (stop_) waits[count++] = stop_;
  if (count == 0) {
    Sleep(ms);
    return;
  }
  WaitForMultipleObjects(count, waits, FALSE, ms);
}

}  // namespace cumulor
