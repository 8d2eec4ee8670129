// RAS and the Connection Manager over the device model's phonebook. Connection handles are kept
// per process, one per entry name; the status message goes to this process's subscribed windows
// when the model's connection states change (by this process, another program or the tool).
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>
#include <set>
#include <string>

#include "platform/connections/connmgr.h"
#include "platform/connections/ras.h"
#include "platform/device/callback_thread.h"
#include "platform/device/device.h"
#include "platform/device/device_names.h"
#include "platform/device/device_watch.h"
#include "platform/registry/registry.h"
#include "platform/text/utf.h"
#include "platform/window/window.h"

namespace {

class Connections {
 public:
  static Connections& Get() {
    static Connections* c = new Connections();  // lives for the process, as the watch may call it to the end
    return *c;
  }

  HRASCONN HandleOf(const std::string& name) {
    std::lock_guard<std::mutex> guard(mu_);
    auto it = handles_.find(name);
    if (it != handles_.end()) return it->second;
    HRASCONN h = reinterpret_cast<HRASCONN>(next_handle_);
    next_handle_ += 4;
    handles_[name] = h;
    return h;
  }

  // The phonebook entry of a handle this process gave out.
  bool Find(HRASCONN h, ce::device::Connection* out) {
    std::string name;
    {
      std::lock_guard<std::mutex> guard(mu_);
      for (auto& [n, handle] : handles_)
        if (handle == h) name = n;
    }
    if (name.empty()) return false;
    for (const ce::device::Connection& c : ce::device::Connections())
      if (c.name == name) return *out = c, true;
    return false;
  }

  void Subscribe(HWND hwnd, bool enable) {
    std::lock_guard<std::mutex> guard(mu_);
    if (enable) {
      windows_.insert(hwnd);
      if (windows_.size() == 1) last_ = States();
      if (watch_ == 0) watch_ = ce::device::Subscribe([this] { OnModelChanged(); });
    } else {
      windows_.erase(hwnd);
    }
  }

  ce::device::CallbackThread& network() { return network_; }

 private:
  static std::map<std::string, int> States() {
    std::map<std::string, int> states;
    for (const ce::device::Connection& c : ce::device::Connections()) states[c.name] = c.state;
    return states;
  }

  void OnModelChanged() {
    std::map<std::string, int> now = States();
    std::set<HWND> targets;
    {
      std::lock_guard<std::mutex> guard(mu_);
      if (now == last_) return;
      last_ = now;
      targets = windows_;
    }
    UINT message = RegisterWindowMessageW(CONNMGR_STATUS_CHANGE_NOTIFICATION_MSG);
    for (HWND w : targets) PostMessageW(w, message, 0, 0);
  }

  std::mutex mu_;
  std::map<std::string, HRASCONN> handles_;
  std::uintptr_t next_handle_ = 0x52410004;
  std::set<HWND> windows_;
  std::map<std::string, int> last_;
  ce::device::WatchId watch_ = 0;
  ce::device::CallbackThread network_;
};

void CopyName(const std::string& utf8, WCHAR* out, std::size_t capacity) {
  std::u16string text = ce::text::FromUtf8(utf8);
  std::size_t n = std::min(text.size(), capacity - 1);
  std::memcpy(out, text.data(), n * sizeof(WCHAR));
  out[n] = 0;
}

bool SetState(const std::string& name, int state, bool reset_traffic) {
  for (ce::device::Connection c : ce::device::Connections()) {
    if (c.name != name) continue;
    c.state = state;
    if (reset_traffic) c.sent = c.received = 0;
    return ce::device::PutConnection(c);
  }
  return false;
}

std::string GuidText(const GUID& g) {
  char text[40];
  std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", g.Data1, g.Data2, g.Data3,
                g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3], g.Data4[4], g.Data4[5], g.Data4[6], g.Data4[7]);
  return text;
}

bool SameText(std::string a, std::string b) {
  auto lower = [](std::string& s) {
    for (char& c : s) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  };
  lower(a);
  lower(b);
  return a == b;
}

}  // namespace

DWORD RasEnumEntries(LPWSTR, LPWSTR, RASENTRYNAME* entries, LPDWORD size, LPDWORD count) {
  if (!size || !count) return ERROR_INVALID_PARAMETER;
  if (entries && entries[0].dwSize != sizeof(RASENTRYNAME)) return ERROR_INVALID_SIZE;
  auto list = ce::device::Connections();
  DWORD needed = static_cast<DWORD>(list.size() * sizeof(RASENTRYNAME));
  *count = 0;
  if (!entries || *size < needed) {
    *size = needed;
    return ERROR_BUFFER_TOO_SMALL;
  }
  for (std::size_t i = 0; i < list.size(); ++i) {
    entries[i].dwSize = sizeof(RASENTRYNAME);
    CopyName(list[i].name, entries[i].szEntryName, RAS_MaxEntryName + 1);
  }
  *size = needed;
  *count = static_cast<DWORD>(list.size());
  return 0;
}

DWORD RasGetEntryProperties(LPWSTR, LPWSTR entry_name, RASENTRY* entry, LPDWORD entry_size, LPBYTE,
                            LPDWORD device_info_size) {
  if (!entry_name || !entry_size) return ERROR_INVALID_PARAMETER;
  if (device_info_size) *device_info_size = 0;
  std::string name = ce::text::ToUtf8(ce::text::WideView(entry_name));
  auto list = ce::device::Connections();
  auto it = std::find_if(list.begin(), list.end(), [&](const ce::device::Connection& c) { return c.name == name; });
  if (it == list.end()) return ERROR_CANNOT_FIND_PHONEBOOK_ENTRY;
  if (!entry || *entry_size < sizeof(RASENTRY)) {
    *entry_size = sizeof(RASENTRY);
    return ERROR_BUFFER_TOO_SMALL;
  }
  if (entry->dwSize != sizeof(RASENTRY)) return ERROR_INVALID_SIZE;
  *entry = RASENTRY{};
  entry->dwSize = sizeof(RASENTRY);
  CopyName("*99#", entry->szLocalPhoneNumber, RAS_MaxPhoneNumber + 1);
  CopyName("modem", entry->szDeviceType, RAS_MaxDeviceType + 1);
  CopyName("Cellular Line", entry->szDeviceName, RAS_MaxDeviceName + 1);
  return 0;
}

DWORD RasEnumConnections(RASCONN* connections, LPDWORD size, LPDWORD count) {
  if (!size || !count) return ERROR_INVALID_PARAMETER;
  DWORD record = connections ? connections[0].dwSize : static_cast<DWORD>(sizeof(RASCONN));
  if (record != sizeof(RASCONN) && record != kDeviceRasConnSize) return ERROR_INVALID_SIZE;
  std::vector<ce::device::Connection> active;
  if (ce::device::GetInt("radio.power"))
    for (const ce::device::Connection& c : ce::device::Connections())
      if (c.state != 0) active.push_back(c);
  // The records are this layout's, so their room is counted in this layout's size.
  DWORD needed = static_cast<DWORD>(active.size() * sizeof(RASCONN));
  *count = 0;
  if (!connections || *size < needed) {
    *size = needed;
    return active.empty() && connections ? 0 : ERROR_BUFFER_TOO_SMALL;
  }
  for (std::size_t i = 0; i < active.size(); ++i) {
    connections[i].dwSize = record;
    connections[i].hrasconn = Connections::Get().HandleOf(active[i].name);
    CopyName(active[i].name, connections[i].szEntryName, RAS_MaxEntryName + 1);
  }
  *size = needed;
  *count = static_cast<DWORD>(active.size());
  return 0;
}

DWORD RasGetConnectStatus(HRASCONN connection, RASCONNSTATUS* status) {
  if (!status || status->dwSize != sizeof(RASCONNSTATUS)) return ERROR_INVALID_SIZE;
  ce::device::Connection c;
  if (!Connections::Get().Find(connection, &c)) return ERROR_INVALID_HANDLE;
  status->rasconnstate = c.state == 2 ? RASCS_Connected : c.state == 1 ? RASCS_OpenPort : RASCS_Disconnected;
  status->dwError = 0;
  CopyName("modem", status->szDeviceType, RAS_MaxDeviceType + 1);
  CopyName("Cellular Line", status->szDeviceName, RAS_MaxDeviceName + 1);
  return 0;
}

DWORD RasGetLinkStatistics(HRASCONN connection, DWORD sub_entry, RAS_STATS* statistics) {
  if (!statistics || statistics->dwSize != sizeof(RAS_STATS) || sub_entry != 1) return ERROR_INVALID_PARAMETER;
  ce::device::Connection c;
  if (!Connections::Get().Find(connection, &c) || c.state != 2) return ERROR_INVALID_HANDLE;
  ce::device::Reply reply = ce::device::TakeReply("ras.stats");
  if (reply.refused) return ce::device::ErrorCode(reply, ERROR_GEN_FAILURE);
  *statistics = RAS_STATS{};
  statistics->dwSize = sizeof(RAS_STATS);
  statistics->dwBytesXmited = c.sent;
  statistics->dwBytesRcved = c.received;
  statistics->dwBps = 384000;
  return 0;
}

DWORD RasHangUp(HRASCONN connection) {
  ce::device::Connection c;
  if (!Connections::Get().Find(connection, &c)) return ERROR_INVALID_HANDLE;
  if (c.state != 0) SetState(c.name, 0, true);
  return 0;
}

HRESULT ConnMgrEstablishConnection(CONNMGR_CONNECTIONINFO* info, HANDLE* connection) {
  if (!info || !connection) return E_INVALIDARG;
  *connection = nullptr;
  if ((info->cbSize != sizeof(CONNMGR_CONNECTIONINFO) && info->cbSize != kDeviceConnectionInfoSize) ||
      !(info->dwParams & CONNMGR_PARAM_GUIDDESTNET))
    return E_INVALIDARG;
  std::string guid = GuidText(info->guidDestNet);
  std::string name;
  for (const ce::device::Connection& c : ce::device::Connections())
    if (SameText(c.guid, guid)) name = c.name;
  if (name.empty()) return E_FAIL;
  // An entry disabled for the Connection Manager (its provider key's "enabled" is 0) is not used.
  std::u16string key = std::u16string(ce::device::kConnectionProviders) + u"\\" + ce::text::FromUtf8(name);
  DWORD enabled = 1;
  if (SUCCEEDED(RegistryGetDWORD(HKEY_LOCAL_MACHINE, key.c_str(), u"enabled", &enabled)) && enabled == 0)
    return E_FAIL;
  ce::device::Reply reply = ce::device::TakeReply("ras.connect");
  if (reply.refused && reply.immediate) return ce::device::FailureCode(reply, E_FAIL);
  ce::device::Connection current;
  HRASCONN handle = Connections::Get().HandleOf(name);
  Connections::Get().Find(handle, &current);
  if (current.state == 0) {
    SetState(name, 1, true);
    Connections::Get().network().Post(
        [name, refused = reply.refused] {
          bool up = !refused && ce::device::GetInt("radio.power") != 0;
          SetState(name, up ? 2 : 0, !up);
        },
        reply.delay_ms);
  }
  *connection = reinterpret_cast<HANDLE>(handle);
  return S_OK;
}

HRESULT ConnMgrReleaseConnection(HANDLE connection, LONG) {
  ce::device::Connection c;
  return Connections::Get().Find(reinterpret_cast<HRASCONN>(connection), &c) ? S_OK : E_INVALIDARG;
}

HRESULT ConnMgrRegisterForStatusNotification(BOOL enable, HWND hwnd) {
  if (!hwnd) return E_INVALIDARG;
  Connections::Get().Subscribe(hwnd, enable != FALSE);
  return S_OK;
}
