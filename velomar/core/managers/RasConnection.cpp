#include "velomar/core/managers/RasConnection.h"

#include "platform/connections/connmgr.h"
#include "platform/registry/registry.h"
#include "platform/xml/com_base.h"
#include "velomar/core/Config.h"
#include "velomar/core/Trace.h"

namespace {

constexpr DWORD kUnknownTraffic = 0xFFFFFFFFu;
constexpr DWORD kIdleBytes = 1024;

}  // namespace

CRasConnection::CRasConnection(std::u16string name, std::u16string key_path)
    : m_name(std::move(name)), m_keyPath(std::move(key_path)) {
  m_record.dwSize = kDeviceRasConnSize;
}

void CRasConnection::SetPreferred(int flag) {
  m_preferred = flag;
  if (flag == 1) CConfig::GetInstance()->SetString(u"connection_prefered", m_name.c_str());
}

void CRasConnection::HangUp() {
  Trace(0, u"CRasConnection::HangUp(%s)", m_name.c_str());
  RasHangUp(m_record.hrasconn);
  m_previousTraffic = kUnknownTraffic;
  m_traffic = 0;
}

void CRasConnection::RefreshDataTraffic() {
  RAS_STATS statistics{};
  statistics.dwSize = sizeof statistics;
  if (RasGetLinkStatistics(m_record.hrasconn, 1, &statistics) == 0) {
    m_previousTraffic = m_traffic.load();
    m_traffic = statistics.dwBytesXmited + statistics.dwBytesRcved;
  } else {
    m_traffic = 0;
    m_previousTraffic = kUnknownTraffic;
  }
}

bool CRasConnection::HaHabidoTrafico() const {
  const DWORD previous = m_previousTraffic.load();
  return previous != 0 && static_cast<DWORD>(m_traffic.load() - previous) > kIdleBytes;
}

void CRasConnection::WriteToRegistry() {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, m_keyPath.c_str(), 0, 0, &key) != ERROR_SUCCESS) return;
  const DWORD enabled = static_cast<DWORD>(m_enabled.load());
  const DWORD always_on = static_cast<DWORD>(m_alwaysOn.load());
  RegSetValueExW(key, u"enabled", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&enabled), sizeof enabled);
  RegSetValueExW(key, u"AlwaysOn", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&always_on), sizeof always_on);
  RegCloseKey(key);
}

void CRasConnection::Connect() {
  Trace(0, u"CRasConnection::Connect(%s)", m_name.c_str());
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, m_keyPath.c_str(), 0, 0, &key) != ERROR_SUCCESS) return;
  WCHAR text[100] = {};  // 200 bytes
  DWORD type = 0;
  DWORD size = sizeof text - sizeof(WCHAR);
  const LONG read = RegQueryValueExW(key, u"ConnectionGUID", nullptr, &type, reinterpret_cast<BYTE*>(text), &size);
  RegCloseKey(key);
  if (read != ERROR_SUCCESS || type != REG_SZ) return;
  text[size / sizeof(WCHAR)] = 0;
  GUID network{};
  if (FAILED(CLSIDFromString(text, &network))) return;
  CONNMGR_CONNECTIONINFO info{};
  info.cbSize = kDeviceConnectionInfoSize;
  info.dwParams = CONNMGR_PARAM_GUIDDESTNET;
  info.dwPriority = CONNMGR_PRIORITY_USERINTERACTIVE;
  info.guidDestNet = network;
  HANDLE connection = nullptr;
  ConnMgrEstablishConnection(&info, &connection);
}
