// The serial calls on a port handle, and the "COM" device driver that opens ports.
#include <map>
#include <mutex>
#include <set>
#include <string>

#include "platform/base/errors.h"
#include "platform/files/ce_path.h"
#include "platform/kernel/handle_table.h"
#include "platform/kernel/last_error.h"
#include "platform/registry/registry.h"
#include "platform/serial/serial.h"
#include "platform/serial/serial_port.h"
#include "platform/serial/serial_test_seam.h"
#include "platform/text/utf.h"

namespace ce::serial {
namespace {

using internal::SerialPort;

// "COM1:" or "com1" -> "COM1"; empty when the name is no port name.
std::u16string PortKey(std::u16string_view name) {
  if (!name.empty() && name.back() == u':') name.remove_suffix(1);
  if (name.size() < 4 || !ce::files::NamesEqual(name.substr(0, 3), u"COM")) return {};
  for (char16_t c : name.substr(3))
    if (c < u'0' || c > u'9') return {};
  return u"COM" + std::u16string(name.substr(3));
}

struct Ports {
  std::mutex mutex;
  std::map<std::u16string, std::weak_ptr<SerialPort>> open;
  std::set<std::u16string> unplugged;
};

Ports& ThePorts() {
  static Ports* ports = new Ports;
  return *ports;
}

std::shared_ptr<SerialPort> OpenPort(const std::u16string& key, const std::u16string_view name, DWORD* error) {
  Ports& ports = ThePorts();
  std::lock_guard lock(ports.mutex);
  if (ports.unplugged.count(key)) {
    *error = ERROR_FILE_NOT_FOUND;
    return nullptr;
  }
  // A port whose handle was closed may still be held a moment by a read that is ending.
  if (auto existing = ports.open[key].lock(); existing && !existing->closed()) {
    *error = ERROR_ACCESS_DENIED;  // one handle per port, as on the device
    return nullptr;
  }
  WCHAR host[MAX_PATH] = {};
  if (FAILED(RegistryGetString(HKEY_LOCAL_MACHINE, u"\\Host\\SerialPorts", key.c_str(), host, MAX_PATH)) ||
      host[0] == 0) {
    *error = ERROR_FILE_NOT_FOUND;
    return nullptr;
  }
  auto port = SerialPort::Open(std::u16string(name), ce::text::ToUtf8(ce::text::WideView(host)), error);
  if (port) ports.open[key] = port;
  return port;
}

std::shared_ptr<SerialPort> PortOf(std::u16string_view name) {
  Ports& ports = ThePorts();
  std::lock_guard lock(ports.mutex);
  auto it = ports.open.find(PortKey(name));
  return it == ports.open.end() ? nullptr : it->second.lock();
}

const bool driver_registered = [] {
  ce::files::RegisterDeviceDriver(
      u"COM", [](std::u16string_view name, DWORD, DWORD, DWORD* error) -> std::shared_ptr<ce::files::FileObject> {
        const std::u16string key = PortKey(name);
        if (key.empty()) {
          *error = ERROR_FILE_NOT_FOUND;
          return nullptr;
        }
        return OpenPort(key, name, error);
      });
  return true;
}();

BOOL Answer(DWORD error) {
  SetLastError(error);
  return error == ERROR_SUCCESS;
}

std::shared_ptr<SerialPort> Find(HANDLE h) { return ce::kernel::LookupAs<SerialPort>(h); }

// A call that reads or fills the caller's structure: the handle is checked first, then the pointer.
template <class Call>
BOOL WithPort(HANDLE h, const void* argument, Call call) {
  auto p = Find(h);
  if (!p) return Answer(ERROR_INVALID_HANDLE);
  if (!argument) return Answer(ERROR_INVALID_PARAMETER);
  return Answer(call(*p));
}

}  // namespace

void SetUnplugged(std::u16string_view port, bool unplugged) {
  const std::u16string key = PortKey(port);
  std::shared_ptr<SerialPort> open;
  {
    Ports& ports = ThePorts();
    std::lock_guard lock(ports.mutex);
    if (unplugged) ports.unplugged.insert(key);
    else ports.unplugged.erase(key);
    auto it = ports.open.find(key);
    if (it != ports.open.end()) open = it->second.lock();
  }
  if (open) open->SetUnplugged(unplugged);
}

LineState GetLineState(std::u16string_view port) {
  auto p = PortOf(port);
  return p ? p->Lines() : LineState{};
}

}  // namespace ce::serial

using ce::serial::Answer;
using ce::serial::Find;
using ce::serial::WithPort;
using ce::serial::internal::SerialPort;

BOOL GetCommState(HANDLE port, LPDCB dcb) {
  return WithPort(port, dcb, [&](SerialPort& p) { return p.GetState(dcb); });
}

BOOL SetCommState(HANDLE port, LPDCB dcb) {
  return WithPort(port, dcb, [&](SerialPort& p) { return p.SetState(*dcb); });
}

BOOL GetCommTimeouts(HANDLE port, LPCOMMTIMEOUTS timeouts) {
  return WithPort(port, timeouts, [&](SerialPort& p) { return p.GetTimeouts(timeouts); });
}

BOOL SetCommTimeouts(HANDLE port, LPCOMMTIMEOUTS timeouts) {
  return WithPort(port, timeouts, [&](SerialPort& p) { return p.SetTimeouts(*timeouts); });
}

BOOL SetCommMask(HANDLE port, DWORD mask) {
  auto p = Find(port);
  return p ? Answer(p->SetMask(mask)) : Answer(ERROR_INVALID_HANDLE);
}

BOOL GetCommMask(HANDLE port, LPDWORD mask) {
  return WithPort(port, mask, [&](SerialPort& p) { return p.GetMask(mask); });
}

BOOL PurgeComm(HANDLE port, DWORD flags) {
  auto p = Find(port);
  return p ? Answer(p->Purge(flags)) : Answer(ERROR_INVALID_HANDLE);
}

BOOL EscapeCommFunction(HANDLE port, DWORD function) {
  auto p = Find(port);
  return p ? Answer(p->Escape(function)) : Answer(ERROR_INVALID_HANDLE);
}

BOOL ClearCommError(HANDLE port, LPDWORD errors, LPCOMSTAT status) {
  auto p = Find(port);
  return p ? Answer(p->ClearError(errors, status)) : Answer(ERROR_INVALID_HANDLE);
}

BOOL SetupComm(HANDLE port, DWORD, DWORD) {
  auto p = Find(port);
  return Answer(p ? ERROR_SUCCESS : ERROR_INVALID_HANDLE);
}
