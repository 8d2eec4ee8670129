#include "cumulor/nav/gps/comm_port.h"

#include <chrono>

#include "platform/base/errors.h"
#include "platform/files/files.h"
#include "platform/kernel/kernel.h"

namespace cumulor {
namespace {

// Holds the port's handle for one call; handle() is INVALID_HANDLE_VALUE when the port is closed.
class PortUse {
 public:
  explicit PortUse(CommPort& port) : port_(port) {
    std::lock_guard<std::mutex> lock(port_.guard);
    handle_ = port_.handle;
    if (handle_ != INVALID_HANDLE_VALUE) ++port_.users;
  }
  ~PortUse() {
    if (handle_ == INVALID_HANDLE_VALUE) return;
    std::lock_guard<std::mutex> lock(port_.guard);
    if (--port_.users == 0) port_.idle.notify_all();
  }
  PortUse(const PortUse&) = delete;
  PortUse& operator=(const PortUse&) = delete;
  HANDLE handle() const { return handle_; }

 private:
  CommPort& port_;
  HANDLE handle_ = INVALID_HANDLE_VALUE;
};

// Under the guard: takes the handle away from new users, aborts the running calls and waits until
// the last one has returned. Returns the handle, which the caller then owns.
HANDLE DetachLocked(CommPort& port, std::unique_lock<std::mutex>& lock) {
  HANDLE h = port.handle;
  port.handle = INVALID_HANDLE_VALUE;
  if (h == INVALID_HANDLE_VALUE) return h;
  while (port.users > 0) {
    PurgeComm(h, PURGE_RXABORT | PURGE_TXABORT);
    port.idle.wait_for(lock, std::chrono::milliseconds(20));
  }
  return h;
}

void CloseDetached(HANDLE h) {
  if (h == INVALID_HANDLE_VALUE) return;
  FlushFileBuffers(h);
  CloseHandle(h);
}

HRESULT WriteTimeouts(HANDLE h, std::uint32_t readSeconds, std::uint32_t writeSeconds, bool setRead, bool setWrite) {
  COMMTIMEOUTS t{};
  if (!GetCommTimeouts(h, &t)) return E_FAIL;
  if (setRead) {
    t.ReadIntervalTimeout = 0;
    t.ReadTotalTimeoutMultiplier = 2;
    t.ReadTotalTimeoutConstant = readSeconds * 1000u;
  }
  if (setWrite) {
    t.WriteTotalTimeoutMultiplier = 1;
    t.WriteTotalTimeoutConstant = writeSeconds * 1000u;
  }
  return SetCommTimeouts(h, &t) ? S_OK : E_FAIL;
}

}  // namespace

void CommPortInit(CommPort& port) {
  port.settings = DCB{};
  port.handle = INVALID_HANDLE_VALUE;
  port.baudRate = 0;
  port.users = 0;
}

HRESULT SerialOpen(CommPort& port, const WCHAR* device, std::uint32_t baud, std::uint32_t readTimeoutSeconds) {
  std::unique_lock<std::mutex> lock(port.guard);
  CloseDetached(DetachLocked(port, lock));
  HANDLE h = CreateFileW(device, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return E_FAIL;
  port.handle = h;  // from here on a failure leaves the device open until the next open or close
  if (!SetCommMask(h, EV_RXCHAR | EV_BREAK | EV_ERR)) return E_FAIL;
  port.baudRate = baud;
  port.settings.DCBlength = sizeof(DCB);
  if (!GetCommState(h, &port.settings)) {
    port.handle = INVALID_HANDLE_VALUE;
    CloseHandle(h);
    return E_FAIL;
  }
  port.settings.ByteSize = 8;
  port.settings.Parity = NOPARITY;
  port.settings.StopBits = ONESTOPBIT;
  port.settings.fBinary = 1;
  port.settings.BaudRate = baud;
  if (!SetCommState(h, &port.settings)) return E_FAIL;
  if (WriteTimeouts(h, readTimeoutSeconds, 1000, true, true) != S_OK) return E_FAIL;
  PurgeComm(h, PURGE_RXCLEAR | PURGE_TXCLEAR);
  return S_OK;
}

HRESULT SerialSetBaud(CommPort& port, std::uint32_t baud) {
  PortUse use(port);
  if (use.handle() == INVALID_HANDLE_VALUE) return E_FAIL;
  FlushFileBuffers(use.handle());
  Sleep(50);
  DCB dcb = port.settings;
  dcb.BaudRate = baud;
  if (!SetCommState(use.handle(), &dcb)) return E_FAIL;
  port.settings = dcb;
  port.baudRate = baud;
  return S_OK;
}

HRESULT SerialSetReadTimeout(CommPort& port, std::uint32_t seconds) {
  PortUse use(port);
  if (use.handle() == INVALID_HANDLE_VALUE) return E_FAIL;
  return WriteTimeouts(use.handle(), seconds, 0, true, false);
}

HRESULT SerialSetWriteTimeout(CommPort& port, std::uint32_t seconds) {
  PortUse use(port);
  if (use.handle() == INVALID_HANDLE_VALUE) return E_FAIL;
  return WriteTimeouts(use.handle(), 0, seconds, false, true);
}

HRESULT SerialClose(CommPort& port) {
  std::unique_lock<std::mutex> lock(port.guard);
  CloseDetached(DetachLocked(port, lock));
  return S_OK;
}

HRESULT SerialWrite(CommPort& port, const void* bytes, std::uint32_t count) {
  if (count == 0) return S_OK;
  PortUse use(port);
  if (use.handle() == INVALID_HANDLE_VALUE) return E_FAIL;
  DWORD written = 0;
  if (!WriteFile(use.handle(), bytes, count, &written, nullptr) || written < count) return E_FAIL;
  return S_OK;
}

HRESULT SerialWriteByte(CommPort& port, std::uint8_t byte) { return SerialWrite(port, &byte, 1); }

HRESULT SerialRead(CommPort& port, void* buffer, std::uint32_t count, std::uint32_t& read) {
  read = 0;
  if (count == 0) return S_OK;
  PortUse use(port);
  if (use.handle() == INVALID_HANDLE_VALUE) return ERROR_INVALID_HANDLE;
  DWORD got = 0;
  if (!ReadFile(use.handle(), buffer, count, &got, nullptr)) {
    const DWORD error = GetLastError();
    return error != 0 ? static_cast<HRESULT>(error) : ERROR_GEN_FAILURE;
  }
  read = got;
  return S_OK;
}

BOOL SerialPurge(CommPort& port) {
  PortUse use(port);
  if (use.handle() == INVALID_HANDLE_VALUE) return FALSE;
  return PurgeComm(use.handle(), PURGE_RXABORT | PURGE_TXABORT | PURGE_RXCLEAR | PURGE_TXCLEAR);
}

void SerialAbortPending(CommPort& port) {
  std::lock_guard<std::mutex> lock(port.guard);
  if (port.handle != INVALID_HANDLE_VALUE && port.users > 0) PurgeComm(port.handle, PURGE_RXABORT | PURGE_TXABORT);
}

bool SerialIsOpen(CommPort& port) {
  std::lock_guard<std::mutex> lock(port.guard);
  return port.handle != INVALID_HANDLE_VALUE;
}

}  // namespace cumulor
