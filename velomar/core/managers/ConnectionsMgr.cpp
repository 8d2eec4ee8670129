#include "velomar/core/managers/ConnectionsMgr.h"

#include <algorithm>

#include "platform/connections/ras.h"
#include "platform/kernel/kernel.h"
#include "platform/notify/notify.h"
#include "platform/registry/registry.h"
#include "platform/time/time.h"
#include "platform/text/format.h"
#include "teskautils/TeskaUtils.h"
#include "velomar/core/Config.h"
#include "velomar/core/EventLog.h"
#include "velomar/core/ProgramNotifications.h"
#include "velomar/core/Trace.h"
#include "velomar/core/managers/MobilePhoneMgr.h"
#include "velomar/core/managers/RilMgr.h"
#include "velomar/places/DB.h"
#include "velomar/places/ScheduleEngine.h"
#include "velomar/places/TableActions.h"
#include "velomar/ui/Translator.h"

namespace {

std::atomic<CConnectionsMgr*> g_instance{nullptr};

constexpr const WCHAR* kProvidersKey = u"\\Comm\\ConnMgr\\Providers";
constexpr std::size_t kMaxKeyName = 260;
constexpr std::size_t kMaxKeyPath = 260;
constexpr DWORD kMaxEntries = 50;
constexpr DWORD kMaxActive = 10;
constexpr ULONGLONG kSecond = 10'000'000ull;  // in 100-ns units
constexpr int kWatchSeconds = 20;
constexpr int kTestPasses = 300;
constexpr DWORD kTestPauseMs = 5000;

bool IsZero(const SYSTEMTIME& time) {
  return time.wYear == 0 && time.wMonth == 0 && time.wDay == 0 && time.wHour == 0 && time.wMinute == 0 &&
         time.wSecond == 0 && time.wMilliseconds == 0;
}

// Depth-first below `path` (already open as `key`): the path of the first key named `name`.
bool FindKey(HKEY key, const std::u16string& path, const std::u16string& name, std::u16string* found) {
  for (DWORD index = 0;; ++index) {
    WCHAR child[kMaxKeyName + 1] = {};
    DWORD chars = kMaxKeyName + 1;
    const LONG r = RegEnumKeyExW(key, index, child, &chars, nullptr, nullptr, nullptr, nullptr);
    if (r == ERROR_NO_MORE_ITEMS) return false;
    if (r != ERROR_SUCCESS) continue;  // a name too long to hold: not a phonebook entry's
    const std::u16string child_path = path + u"\\" + child;
    if (child_path.size() > kMaxKeyPath) continue;
    if (name == child) {
      *found = child_path;
      return true;
    }
    HKEY sub = nullptr;
    if (RegOpenKeyExW(key, child, 0, 0, &sub) != ERROR_SUCCESS) continue;
    const bool hit = FindKey(sub, child_path, name, found);
    RegCloseKey(sub);
    if (hit) return true;
  }
}

bool FindProviderKey(const std::u16string& name, std::u16string* path) {
  HKEY root = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kProvidersKey, 0, 0, &root) != ERROR_SUCCESS) return false;
  const bool found = FindKey(root, kProvidersKey, name, path);
  RegCloseKey(root);
  return found;
}

// A 32-bit value of a key; false when it is missing or of another type.
bool ReadDword(HKEY key, const WCHAR* name, DWORD* value) {
  DWORD type = 0;
  DWORD size = sizeof *value;
  return RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(value), &size) == ERROR_SUCCESS &&
         type == REG_DWORD && size == sizeof *value;
}

}  // namespace

CConnectionsMgr::CConnectionsMgr() : CMgr(MGR_CONNECTIONS) {
  SetStatusValue(1);
  g_instance = this;
}

CConnectionsMgr::~CConnectionsMgr() {
  Stop();
  if (m_listening) {
    for (int id : {MGR_BAND, MGR_PHONE}) {
      if (CMgr* mgr = GetMgr(id)) mgr->RemoveStatusListener(this);
    }
  }
  ClearIddleNotification();
  {
    std::lock_guard<std::recursive_mutex> lock(m_listLock);
    m_connections.clear();
  }
  CConnectionsMgr* self = this;
  g_instance.compare_exchange_strong(self, nullptr);
}

CConnectionsMgr* CConnectionsMgr::GetInstance() { return g_instance.load(); }

void CConnectionsMgr::Initialize() {
  if (!Refreshes(GetId())) {
    SetStatusValue(-1);
    return;
  }
  EnumEntries();
  UpdateIddleNotification();
  for (int id : {MGR_BAND, MGR_PHONE}) {
    if (CMgr* mgr = GetMgr(id)) {
      mgr->AddStatusListener(this);
      m_listening = true;
    }
  }
}

void CConnectionsMgr::EnumEntries() {
  const std::u16string preferred = CConfig::GetInstance()->GetString(u"connection_prefered");
  std::lock_guard<std::recursive_mutex> lock(m_listLock);
  m_connections.clear();
  std::vector<RASENTRYNAME> entries(kMaxEntries);
  entries[0].dwSize = sizeof(RASENTRYNAME);
  DWORD size = static_cast<DWORD>(entries.size() * sizeof(RASENTRYNAME));
  DWORD count = 0;
  if (RasEnumEntries(nullptr, nullptr, entries.data(), &size, &count) != 0) count = 0;
  count = std::min(count, kMaxEntries);
  for (DWORD i = 0; i < count; ++i) {
    WCHAR* name_field = entries[i].szEntryName;
    name_field[RAS_MaxEntryName] = 0;
    const std::u16string name(name_field);
    RASENTRY properties{};
    properties.dwSize = sizeof properties;
    DWORD properties_size = sizeof properties;
    if (RasGetEntryProperties(nullptr, name_field, &properties, &properties_size, nullptr, nullptr) != 0) continue;
    std::u16string path;
    if (!FindProviderKey(name, &path)) continue;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, 0, &key) != ERROR_SUCCESS) continue;
    DWORD enabled = 0;
    DWORD always_on = 0;
    const bool has_enabled = ReadDword(key, u"enabled", &enabled);
    if (has_enabled && !ReadDword(key, u"AlwaysOn", &always_on)) always_on = 0;
    RegCloseKey(key);
    if (!has_enabled) continue;
    auto connection = std::make_unique<CRasConnection>(name, path);
    connection->SetEnabled(enabled == 1 ? 1 : 0);
    connection->SetTraffic(0);
    connection->SetPreferred(name == preferred ? 1 : 0);
    connection->SetAlwaysOn(always_on != 0 ? 1 : 0);
    EstablecerEstadoConnection(*connection);
    m_connections.push_back(std::move(connection));
  }
  if (m_connections.size() == 1) m_connections[0]->SetPreferred(1);
}

void CConnectionsMgr::EstablecerEstadoConnection(CRasConnection& connection) {
  connection.SetConnected(0);
  CMobilePhoneMgr* phone = CMobilePhoneMgr::GetInstance();
  if (phone != nullptr && phone->GetStatus() != 0) return;
  RASCONN active[kMaxActive] = {};
  for (RASCONN& record : active) record.dwSize = kDeviceRasConnSize;
  DWORD size = sizeof active;
  DWORD count = 0;
  if (RasEnumConnections(active, &size, &count) != 0) return;
  count = std::min(count, kMaxActive);
  for (DWORD i = 0; i < count; ++i) {
    active[i].szEntryName[RAS_MaxEntryName] = 0;
    if (!connection.IsName(active[i].szEntryName)) continue;
    connection.SetActiveRecord(active[i]);
    RASCONNSTATUS status{};
    status.dwSize = sizeof status;
    if (RasGetConnectStatus(active[i].hrasconn, &status) == 0 && status.rasconnstate == RASCS_Connected) {
      connection.SetConnected(1);
      RAS_STATS statistics{};
      statistics.dwSize = sizeof statistics;
      if (RasGetLinkStatistics(active[i].hrasconn, 1, &statistics) == 0)
        connection.SetTraffic(statistics.dwBytesXmited + statistics.dwBytesRcved);
    } else {
      connection.SetConnected(0);
      connection.SetTraffic(0);
    }
    return;
  }
}

void CConnectionsMgr::RefreshConnections() {
  std::lock_guard<std::recursive_mutex> lock(m_listLock);
  for (auto& connection : m_connections) EstablecerEstadoConnection(*connection);
}

void CConnectionsMgr::RefreshStatusChild(int /*force*/) {
  std::lock_guard<std::recursive_mutex> lock(m_listLock);
  SetStatusValue(!HayConexionesHabilitadas() ? 0 : !HayConexionesActivas() ? 1 : 2);
}

bool CConnectionsMgr::HayConexionesActivas() {
  std::lock_guard<std::recursive_mutex> lock(m_listLock);
  return std::any_of(m_connections.begin(), m_connections.end(), [](const auto& c) { return c->IsConnected() != 0; });
}

bool CConnectionsMgr::HayConexionesHabilitadas() {
  std::lock_guard<std::recursive_mutex> lock(m_listLock);
  return std::any_of(m_connections.begin(), m_connections.end(), [](const auto& c) { return c->IsEnabled() != 0; });
}

CRasConnection* CConnectionsMgr::At(int index) {
  if (index < 0 || static_cast<std::size_t>(index) >= m_connections.size()) return nullptr;
  return m_connections[static_cast<std::size_t>(index)].get();
}

CRasConnection* CConnectionsMgr::Preferred() {
  for (auto& connection : m_connections) {
    if (connection->IsPreferred()) return connection.get();
  }
  return nullptr;
}

void CConnectionsMgr::SetStatusChild(int status, int /*minutes*/) {
  Trace(0, u"CConnectionsMgr::SetStatusChild(%d)", status);
  RefreshConnections();
  switch (status) {
    case 0:
      ConectarTodasConexiones(0);
      HabilitarTodasConexiones(0);
      break;
    case 1:
      HabilitarTodasConexiones(1);
      ConectarTodasConexiones(0);
      break;
    case 2: {
      HabilitarTodasConexiones(1);
      std::lock_guard<std::recursive_mutex> lock(m_listLock);
      CRasConnection* target = Preferred();
      if (target == nullptr && !m_connections.empty()) target = m_connections.front().get();
      if (target) target->Connect();
      break;
    }
    default:
      break;
  }
}

void CConnectionsMgr::HabilitarTodasConexiones(int flag) {
  {
    std::lock_guard<std::recursive_mutex> lock(m_listLock);
    for (auto& connection : m_connections) {
      connection->SetEnabled(flag);
      if (flag == 0 && connection->IsConnected()) connection->HangUp();
      connection->WriteToRegistry();
    }
  }
  RefreshStatus(0);
}

void CConnectionsMgr::ConectarTodasConexiones(int flag) {
  {
    std::lock_guard<std::recursive_mutex> lock(m_listLock);
    std::vector<CRasConnection*> targets;
    if (CRasConnection* preferred = Preferred()) {
      targets.push_back(preferred);
    } else {
      for (auto& connection : m_connections) targets.push_back(connection.get());
    }
    for (CRasConnection* connection : targets) {
      if (!connection->IsEnabled()) {
        connection->SetEnabled(1);
        connection->WriteToRegistry();
      }
      if (flag == 0) {
        ClearTimeLimitNotification(-1);
        connection->HangUp();
      } else {
        connection->Connect();
      }
    }
  }
  RefreshStatus(0);
}

void CConnectionsMgr::ConnectPreferred(int flag) {
  std::lock_guard<std::recursive_mutex> lock(m_listLock);
  CRasConnection* target = Preferred();
  if (target == nullptr && !m_connections.empty()) target = m_connections.front().get();
  if (target == nullptr) return;
  if (!target->IsEnabled()) {
    target->SetEnabled(1);
    target->WriteToRegistry();
  }
  if (flag == 1)
    target->Connect();
  else
    target->HangUp();
}

void CConnectionsMgr::SetEnabled(int index, int flag) {
  std::lock_guard<std::recursive_mutex> lock(m_listLock);
  CRasConnection* connection = At(index);
  if (connection == nullptr) return;
  connection->SetEnabled(flag);
  if (flag == 0 && connection->IsConnected()) connection->HangUp();
  connection->WriteToRegistry();
}

void CConnectionsMgr::ToggleEnabled(int index) {
  int flag = 0;
  {
    std::lock_guard<std::recursive_mutex> lock(m_listLock);
    CRasConnection* connection = At(index);
    if (connection == nullptr) return;
    flag = connection->IsEnabled() ? 0 : 1;
  }
  SetEnabled(index, flag);
}

// The entry operations that may hang up every connection release the list lock first: that
// ends with a status refresh, which calls the listeners.
void CConnectionsMgr::SetAlwaysOn(int index, int flag) {
  CRasConnection* connection = nullptr;
  bool switch_to_it = false;
  {
    std::lock_guard<std::recursive_mutex> lock(m_listLock);
    connection = At(index);
    if (connection == nullptr) return;
    connection->SetAlwaysOn(flag);
    connection->WriteToRegistry();
    switch_to_it = flag == 1 && !connection->IsConnected() && HayConexionesActivas();
  }
  if (!switch_to_it) return;
  ConectarTodasConexiones(0);
  std::lock_guard<std::recursive_mutex> lock(m_listLock);
  connection->Connect();
}

void CConnectionsMgr::ToggleAlwaysOn(int index) {
  int flag = 0;
  {
    std::lock_guard<std::recursive_mutex> lock(m_listLock);
    CRasConnection* connection = At(index);
    if (connection == nullptr) return;
    flag = connection->IsAlwaysOn() ? 0 : 1;
  }
  SetAlwaysOn(index, flag);
}

void CConnectionsMgr::SetConnected(int index, int flag) {
  CRasConnection* connection = nullptr;
  bool hang_up_all = false;
  {
    std::lock_guard<std::recursive_mutex> lock(m_listLock);
    connection = At(index);
    if (connection == nullptr) return;
    hang_up_all = flag == 1 && !connection->IsConnected() && HayConexionesActivas();
  }
  if (hang_up_all) ConectarTodasConexiones(0);
  std::lock_guard<std::recursive_mutex> lock(m_listLock);
  if (flag == 1)
    connection->Connect();
  else
    connection->HangUp();
}

void CConnectionsMgr::ToggleConnected(int index) {
  int flag = 0;
  {
    std::lock_guard<std::recursive_mutex> lock(m_listLock);
    CRasConnection* connection = At(index);
    if (connection == nullptr) return;
    flag = connection->IsConnected() ? 0 : 1;
  }
  SetConnected(index, flag);
}

void CConnectionsMgr::SetPreferredConnection(const std::u16string& name) {
  std::lock_guard<std::recursive_mutex> lock(m_listLock);
  for (auto& connection : m_connections) connection->SetPreferred(connection->IsName(name) ? 1 : 0);
}

void CConnectionsMgr::ClearPreferredConnection() {
  CConfig::GetInstance()->SetString(u"connection_prefered", u"");
  std::lock_guard<std::recursive_mutex> lock(m_listLock);
  for (auto& connection : m_connections) connection->SetPreferred(0);
}

void CConnectionsMgr::HangUpDisabledConnections() {
  std::lock_guard<std::recursive_mutex> lock(m_listLock);
  for (auto& connection : m_connections) {
    if (connection->IsConnected() && !connection->IsEnabled()) connection->HangUp();
  }
}

void CConnectionsMgr::PrintStatus() {
  std::lock_guard<std::recursive_mutex> lock(m_listLock);
  for (auto& c : m_connections) {
    Trace(0, u"%s enabled=%d connected=%d preferred=%d always_on=%d traffic=%u", c->GetName().c_str(), c->IsEnabled(),
          c->IsConnected(), c->IsPreferred(), c->IsAlwaysOn(), c->GetTraffic());
  }
}

DWORD CConnectionsMgr::GetTotalTraffic() {
  std::lock_guard<std::recursive_mutex> lock(m_listLock);
  DWORD total = 0;
  for (auto& connection : m_connections) total += connection->GetTraffic();
  return total;
}

void CConnectionsMgr::ProcessTimerNotification(int notification_id) {
  switch (notification_id) {
    case 0: HabilitarTodasConexiones(0); break;
    case 1: ConectarTodasConexiones(0); break;
    case 2: ConectarTodasConexiones(1); break;
    default: break;
  }
  RefreshStatus(0);
}

void CConnectionsMgr::HandleCommand(int command_id, int argument) {
  switch (command_id) {
    case 0: HabilitarTodasConexiones(argument); break;
    case 1: ConectarTodasConexiones(argument); break;
    case 2: ConnectPreferred(argument); break;
    default: break;
  }
}

void CConnectionsMgr::Test() {
  for (int pass = 0; pass < kTestPasses; ++pass) {
    SetStatus(pass % 2 == 0 ? 2 : 0, 0, 0, 0);
    const std::u16string text = ce::text::Format(u"Test %d", pass);
    CEventLog::AddEvent(GetId(), EVENT_INFO, text.c_str(), text.c_str());
    Sleep(kTestPauseMs);
  }
}

void CConnectionsMgr::StatusChanged(int /*status*/, int mgr_id, int event) {
  if (mgr_id == MGR_PHONE && event == 0) ReapplyScheduledActions();
}

void CConnectionsMgr::ReapplyScheduledActions() {
  std::lock_guard<std::mutex> lock(m_scheduleLock);
  // The period the schedule finds for the radio's location now; its start actions for this manager
  // are applied again. Only start actions that run today: an end action would undo the period's
  // own state, and a disabled one is never applied.
  CRilMgr* ril = CRilMgr::GetInstance();
  CScheduleEngine* engine = CScheduleEngine::GetExisting();
  CDB* db = CDB::GetInstance();
  if (ril == nullptr || engine == nullptr || db == nullptr) return;
  CStrPeriod period;
  if (!engine->FindFrameOfLocation(static_cast<int>(ril->GetLocationKey()), period)) return;
  std::vector<CStrAction> actions;
  {
    std::lock_guard<std::recursive_mutex> db_lock(db->GetLock());
    db->GetActionsTable()->GetActionsOfPeriod(actions, period.GetKey());
  }
  for (const CStrAction& action : actions) {
    if (action.GetKind() != MGR_CONNECTIONS || action.GetTrigger() != 0) continue;
    if (!action.IsEnabled() || !action.IsOffToday()) continue;
    SetStatus(action.GetIntOp1(), 0, 0, 0);
    RefreshStatus(0);
  }
}

void CConnectionsMgr::NewEvent() {
  CountEvent();
  RefreshConnections();
  RefreshStatus(0);
  HangUpDisabledConnections();
  if (!HayConexionesActivas()) {
    std::lock_guard<std::mutex> lock(m_idleLock);
    m_lastCheck = SYSTEMTIME{};
  }
  UpdateIddleNotification();
}

void CConnectionsMgr::UpdateIddleNotification() {
  if (HayConexionesActivas() && CConfig::GetInstance()->GetDWORD(u"activate_idle") != 0)
    SetIddleNotification(kWatchSeconds);
  else
    ClearIddleNotification();
}

void CConnectionsMgr::SetIddleNotification(int seconds) {
  std::lock_guard<std::mutex> lock(m_idleLock);
  // The new notification replaces the armed one: two would run two chains of checks.
  if (m_idleNotification != nullptr) CeClearUserNotification(m_idleNotification);
  m_idleNotification = velomar::ArmProgramNotification(u"iddle_notification", kSecond, seconds);
}

void CConnectionsMgr::ClearIddleNotification() {
  std::lock_guard<std::mutex> lock(m_idleLock);
  if (m_idleNotification != nullptr) CeClearUserNotification(m_idleNotification);
  m_idleNotification = nullptr;
}

void CConnectionsMgr::RemoveIddleNotifications() {
  {
    std::lock_guard<std::mutex> lock(m_idleLock);
    m_lastCheck = SYSTEMTIME{};
  }
  ClearIddleNotification();
}

void CConnectionsMgr::RefreshTraffic() {
  std::lock_guard<std::recursive_mutex> lock(m_listLock);
  for (auto& connection : m_connections) connection->RefreshDataTraffic();
  m_checks.fetch_add(1);
}

void CConnectionsMgr::OnIddleNotification() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  const int seconds_idle = static_cast<int>(CConfig::GetInstance()->GetDWORD(u"seconds_idle"));
  if (HayConexionesActivas() && CConfig::GetInstance()->GetDWORD(u"activate_idle") != 0) {
    SYSTEMTIME last{};
    {
      std::lock_guard<std::mutex> lock(m_idleLock);
      last = m_lastCheck;
    }
    if (IsZero(last)) {
      {
        std::lock_guard<std::mutex> lock(m_idleLock);
        m_lastCheck = now;
      }
      RefreshTraffic();
      SetIddleNotification(seconds_idle);
    } else {
      const auto elapsed = static_cast<long long>(DT_PeriodsBetween(kSecond, &last, &now));
      if (elapsed < seconds_idle) {
        // Early: the check keeps its start, so the period is measured in full.
        SetIddleNotification(static_cast<int>(seconds_idle - elapsed));
      } else {
        {
          std::lock_guard<std::mutex> lock(m_idleLock);
          m_lastCheck = now;
        }
        RefreshTraffic();
        bool traffic = false;
        {
          std::lock_guard<std::recursive_mutex> lock(m_listLock);
          traffic = std::any_of(m_connections.begin(), m_connections.end(),
                                [](const auto& c) { return c->HaHabidoTrafico(); });
        }
        if (traffic) {
          SetIddleNotification(seconds_idle);
        } else {
          m_idleHangUps.fetch_add(1);
          {
            std::lock_guard<std::mutex> lock(m_idleLock);
            m_lastCheck = SYSTEMTIME{};
            m_lastHangUp = now;
          }
          ConectarTodasConexiones(0);
        }
      }
    }
  }
  std::vector<ITimerNotificationListener*> listeners;
  {
    std::lock_guard<std::mutex> lock(m_listenersLock);
    listeners = m_idleListeners;
  }
  for (ITimerNotificationListener* listener : listeners) listener->OnTimerNotification(GetId(), 0);
}

void CConnectionsMgr::AddListener(ITimerNotificationListener* listener) {
  std::lock_guard<std::mutex> lock(m_listenersLock);
  m_idleListeners.push_back(listener);
}

void CConnectionsMgr::RemoveListener(ITimerNotificationListener* listener) {
  std::lock_guard<std::mutex> lock(m_listenersLock);
  m_idleListeners.erase(std::remove(m_idleListeners.begin(), m_idleListeners.end(), listener), m_idleListeners.end());
}

SYSTEMTIME CConnectionsMgr::GetLastCheckTime() {
  std::lock_guard<std::mutex> lock(m_idleLock);
  return m_lastCheck;
}

SYSTEMTIME CConnectionsMgr::GetLastHangUpTime() {
  std::lock_guard<std::mutex> lock(m_idleLock);
  return m_lastHangUp;
}

HANDLE CConnectionsMgr::GetIddleNotification() {
  std::lock_guard<std::mutex> lock(m_idleLock);
  return m_idleNotification;
}

std::u16string CConnectionsMgr::GetName() {
  return CTranslator::GetInstance()->GetText(u"EVENT_LOG_MGR_CONNECTIONS_NAME");
}

std::u16string CConnectionsMgr::GetStatusText(int status) {
  switch (status) {
    case 0: return CTranslator::GetInstance()->GetText(u"EVENT_LOG_MGR_CONNECTIONS_STATUS_DISABLED");
    case 1: return CTranslator::GetInstance()->GetText(u"EVENT_LOG_MGR_CONNECTIONS_STATUS_OFF");
    case 2: return CTranslator::GetInstance()->GetText(u"EVENT_LOG_MGR_CONNECTIONS_STATUS_ON");
    default: return u"unknown";
  }
}
