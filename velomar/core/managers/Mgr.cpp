#include "velomar/core/managers/Mgr.h"

#include <algorithm>
#include <map>
#include <memory>
#include <mutex>

#include "platform/kernel/kernel.h"
#include "platform/kernel/sync.h"
#include "platform/notify/notify.h"
#include "platform/text/scan.h"
#include "teskautils/TeskaUtils.h"
#include "velomar/core/Config.h"
#include "velomar/core/EventLog.h"
#include "velomar/core/ProgramNotifications.h"
#include "velomar/core/Trace.h"
#include "velomar/core/app/App.h"
#include "velomar/ui/Translator.h"
#include "velomar/ui/WindowMain.h"
#include "velomar/core/managers/RilMgr.h"

namespace {

constexpr DWORD kMutexWaitMs = 2000;
constexpr ULONGLONG kMinute = 600000000ull;  // in 100-ns units

// The parameter of a status change, owned by its command once queued.
struct StatusParameter {
  int status;
  int delay_ms;
};

// Process-wide state: the manager list, the time-limit notification map, "mgr_config".
struct Shared {
  HANDLE listMutex = CreateMutexW(nullptr, FALSE, nullptr);
  std::vector<CMgr*> managers;
  HANDLE mapMutex = CreateMutexW(nullptr, FALSE, nullptr);
  std::map<int, HANDLE> notifications;
  std::mutex configLock;
  std::u16string config;  // at most 48 characters
};

Shared& State() {
  static Shared* shared = new Shared();  // kept for the whole process (threads may outlive statics)
  return *shared;
}

// Waits for a Velomar mutex. A time-out is shown (debug mode) and asks for a restart: false, and
// the caller skips its work.
bool TakeMutex(HANDLE mutex) {
  const DWORD r = WaitForSingleObject(mutex, kMutexWaitMs);
  if (r == WAIT_OBJECT_0 || r == WAIT_ABANDONED) return true;
  if (r == WAIT_TIMEOUT) {
    if (CConfig::IsDebug()) TextBox(nullptr, u"%s", CTranslator::GetInstance()->GetText(u"ERROR TIMEOUT MUTEX").c_str());
    RequestRestart();
  }
  return false;
}

std::u16string ConfigCopy() {
  std::lock_guard<std::mutex> lock(State().configLock);
  return State().config;
}

std::u16string Cut(std::u16string text, std::size_t limit) {
  if (text.size() > limit) text.resize(limit);
  return text;
}

// Listener calls the current thread is inside (a listener that removes one cannot wait for them).
thread_local int t_listenerCallDepth = 0;

std::vector<CMgr*> ManagerListCopy() {
  Shared& s = State();
  if (!TakeMutex(s.listMutex)) return {};
  std::vector<CMgr*> copy = s.managers;
  ReleaseMutex(s.listMutex);
  return copy;
}

}  // namespace

CMgr::CMgr(int id) : WorkerThread(1), m_id(id) {
  Trace(0, u"CMgr::CMgr(%d)", id);
  {
    Shared& s = State();
    std::lock_guard<std::mutex> lock(s.configLock);
    if (s.config.empty()) s.config = Cut(CConfig::GetInstance()->GetString(u"mgr_config"), 48);
  }
  AddMgr(this);
  m_listenerMutex = CreateMutexW(nullptr, FALSE, nullptr);
  Start();
  m_statusChangeEvent = CreateEventW(nullptr, FALSE, FALSE, nullptr);
}

CMgr::~CMgr() {
  Trace(0, u"CMgr::~CMgr(%d)", m_id);
  Stop();
  RemoveMgr(this);
  for (ULONG_PTR parameter : m_parameters) delete reinterpret_cast<StatusParameter*>(parameter);
  if (m_listenerMutex) CloseHandle(m_listenerMutex);
  if (m_statusChangeEvent) CloseHandle(m_statusChangeEvent);
}

bool CMgr::Refreshes(int id) {
  if (id >= 50) return true;
  const std::u16string config = ConfigCopy();
  return !(id >= 0 && static_cast<std::size_t>(id) < config.size() && config[id] == u'0');
}

bool CMgr::AcceptsChanges(int id) {
  if (id >= 50) return true;
  const std::u16string config = ConfigCopy();
  return id >= 0 && static_cast<std::size_t>(id) < config.size() && config[id] == u'2';
}

void CMgr::OnTimerNotification(int mgr_id, int notification_id) {
  if (mgr_id == GetId()) ProcessTimerNotification(notification_id);
}

void CMgr::SetStatus(int status, int minutes, int notification_id, int delay_ms) {
  Trace(0, u"CMgr::SetStatus(%d)(%d)", status, minutes);
  ResetEvent(m_statusChangeEvent);
  if (!AcceptsChanges(GetId())) {
    m_statusChangeResult = 0;
    SetEvent(m_statusChangeEvent);
    return;
  }
  if (status == 10) return;
  ClearTimeLimitNotification(-1);
  m_timeLimitMinutes = minutes;
  m_timeLimitNotification = notification_id;
  auto* parameter = new StatusParameter{status, delay_ms};

  CTranslator* texts = CTranslator::GetInstance();
  const std::u16string name = GetName();
  const std::u16string state = GetStatusText(status);
  const std::u16string summary = Cut(texts->GetFormatted(u"EVENT_LOG_MGR_CHANGING_STATUS_RESUME", name, state), 99);
  const std::u16string description =
      Cut(texts->GetFormatted(u"EVENT_LOG_MGR_CHANGING_STATUS_DESCRIPTION", name, state), 299);
  CEventLog::AddEvent(GetId(), EVENT_INFO, summary.c_str(), description.c_str());
  {
    std::lock_guard<std::mutex> lock(m_parametersLock);
    m_parameters.insert(reinterpret_cast<ULONG_PTR>(parameter));
  }
  PostCommand(0, INFINITE, reinterpret_cast<ULONG_PTR>(parameter));
}

void CMgr::PostMgrCommand(int command_id, int argument) {
  if (command_id == 0) return;
  auto* parameter = new StatusParameter{argument, 0};
  {
    std::lock_guard<std::mutex> lock(m_parametersLock);
    m_parameters.insert(reinterpret_cast<ULONG_PTR>(parameter));
  }
  PostCommand(command_id, INFINITE, reinterpret_cast<ULONG_PTR>(parameter));
}

bool CMgr::TakeParameter(ULONG_PTR parameter) {
  std::lock_guard<std::mutex> lock(m_parametersLock);
  return m_parameters.erase(parameter) != 0;
}

void CMgr::HandleCommand(int command_id, ULONG_PTR parameter) {
  if (!TakeParameter(parameter)) return;
  std::unique_ptr<StatusParameter> change(reinterpret_cast<StatusParameter*>(parameter));
  // A delayed change that the program's close overtakes is dropped, as a queued one is: the close
  // does not wait out the delay.
  if (change->delay_ms > 0 && !PauseUnlessStopping(static_cast<DWORD>(change->delay_ms))) return;
  if (command_id != 0) {
    HandleCommand(command_id, change->status);
    return;
  }
  const int minutes = m_timeLimitMinutes.load();
  SetStatusChild(change->status, minutes);
  if (minutes > 0) SetTimeLimitNotification(GetId(), minutes, m_timeLimitNotification.load());
  RefreshStatus(0);
}

void CMgr::HandleCommand(int /*command_id*/, int /*status*/) {}

void CMgr::RefreshStatus(int force) {
  Trace(0, u"CMgr::RefreshStatus(%d)", force);
  int old_status = 0;
  int new_status = 0;
  {
    std::lock_guard<std::recursive_mutex> refreshing(m_refreshLock);
    old_status = GetStatus();
    if (!Refreshes(GetId())) return;
    RefreshStatusChild(force);
    new_status = GetStatus();
    if (new_status != old_status) LogStatusChange(old_status, new_status);
  }
  if (NotifiesOnRefresh() != 0 && (force != 0 || new_status != old_status)) FireStatusChanged(kEventRefreshed);
}

void CMgr::LogStatusChange(int old_status, int new_status) {
  CTranslator* texts = CTranslator::GetInstance();
  std::u16string name = GetName();
  // Before its first reading the manager has no status: not "Off" (which made the first line
  // of the log say "changed from Off to Off").
  std::u16string old_text = old_status == kStatusNone ? std::u16string() : GetStatusText(old_status);
  std::u16string new_text = GetStatusText(new_status);
  for (std::u16string* text : {&name, &old_text, &new_text}) {
    if (text->size() < 2) *text = texts->GetText(u"EVENT_LOG_MGR_UNKNOWN_STATUS");
  }
  const std::u16string summary = Cut(texts->GetFormatted(u"EVENT_LOG_MGR_CHANGED_STATUS_RESUME", name, new_text), 99);
  const std::u16string description =
      Cut(texts->GetFormatted(u"EVENT_LOG_MGR_CHANGED_STATUS_DESCRIPTION", name, old_text, new_text), 299);
  CEventLog::AddEvent(GetId(), EVENT_DEBUG, summary.c_str(), description.c_str());
}

void CMgr::FireStatusChanged(int event) {
  Trace(0, u"CMgr::FireStatusChanged(%d)(%d)", GetId(), event);
  if (!CApp::EnterListenerCalls()) return;
  PostToToday();
  // Counted as running before the list is copied: a removal that comes after the copy then waits
  // for this call, and one that comes before leaves the listener out of the copy.
  {
    std::lock_guard<std::mutex> lock(m_callsLock);
    ++m_callsRunning;
  }
  std::vector<IStatusListener*> listeners;
  if (TakeMutex(m_listenerMutex)) {
    listeners = m_listeners;
    ReleaseMutex(m_listenerMutex);
  }
  const int status = GetStatus();
  ++t_listenerCallDepth;
  for (IStatusListener* listener : listeners) listener->StatusChanged(status, GetId(), event);
  --t_listenerCallDepth;
  {
    std::lock_guard<std::mutex> lock(m_callsLock);
    --m_callsRunning;
  }
  m_callsDone.notify_all();
  CApp::LeaveListenerCalls();
  Trace(0, u"CMgr::-FireStatusChanged(%d)", GetId());
}

void CMgr::AddStatusListener(IStatusListener* listener) {
  if (!TakeMutex(m_listenerMutex)) return;
  m_listeners.push_back(listener);
  ReleaseMutex(m_listenerMutex);
}

void CMgr::RemoveStatusListener(IStatusListener* listener) {
  if (!TakeMutex(m_listenerMutex)) return;
  auto it = std::find(m_listeners.begin(), m_listeners.end(), listener);
  if (it != m_listeners.end()) m_listeners.erase(it);
  ReleaseMutex(m_listenerMutex);
  // A call that copied the list before the removal may still be calling it.
  if (t_listenerCallDepth > 0) return;
  std::unique_lock<std::mutex> lock(m_callsLock);
  m_callsDone.wait(lock, [&] { return m_callsRunning == 0; });
}

void CMgr::AddMgr(CMgr* mgr) {
  Shared& s = State();
  if (!TakeMutex(s.listMutex)) return;
  s.managers.push_back(mgr);
  ReleaseMutex(s.listMutex);
}

void CMgr::RemoveMgr(CMgr* mgr) {
  Shared& s = State();
  // A destroyed manager must leave the list whatever the wait says.
  const DWORD r = WaitForSingleObject(s.listMutex, INFINITE);
  s.managers.erase(std::remove(s.managers.begin(), s.managers.end(), mgr), s.managers.end());
  if (r == WAIT_OBJECT_0 || r == WAIT_ABANDONED) ReleaseMutex(s.listMutex);
}

CMgr* CMgr::GetMgr(int id) {
  for (CMgr* mgr : ManagerListCopy()) {
    if (mgr->GetId() == id) return mgr;
  }
  return nullptr;
}

void CMgr::RefreshAll() {
  for (CMgr* mgr : ManagerListCopy()) mgr->RefreshStatus(1);
}

void CMgr::SendStatusToPlugin() {
  CApp* app = CApp::GetApp();
  if (app == nullptr || app->GetMainWindow() == nullptr) return;
  if (!CApp::EnterListenerCalls()) return;
  for (CMgr* mgr : ManagerListCopy()) mgr->PostToToday();
  CApp::LeaveListenerCalls();
}

void CMgr::PostToToday() {
  CApp* app = CApp::GetApp();
  CWindowMain* window = app ? app->GetMainWindow() : nullptr;
  if (window == nullptr) return;
  if (auto* ril = dynamic_cast<CRilMgr*>(this)) {
    window->PostTodayState(ril->GetCellId(), ril->GetLac());  // the radio tells its cell and LAC
  } else {
    window->PostTodayStatus(GetId(), GetStatus());
  }
}

void CMgr::SetTimeLimitNotification(int mgr_id, int minutes, int notification_id) {
  if (minutes <= 0) return;
  const std::u16string arguments =
      Cut(ce::text::Format(u"timer_notification_%02d_%02d", mgr_id, notification_id), 259);
  Shared& s = State();
  if (!TakeMutex(s.mapMutex)) return;
  // Cleared, armed and stored in one step, so that a clear from another thread never misses it.
  HANDLE& slot = s.notifications[mgr_id];
  if (slot != nullptr) CeClearUserNotification(slot);
  slot = velomar::ArmProgramNotification(arguments.c_str(), kMinute, minutes);
  m_lastNotification = slot;
  ReleaseMutex(s.mapMutex);
}

void CMgr::ClearTimeLimitNotification(int mgr_id) { ClearMapNotification(mgr_id == -1 ? GetId() : mgr_id); }

void CMgr::ClearMapNotification(int key) {
  Shared& s = State();
  if (!TakeMutex(s.mapMutex)) return;
  auto it = s.notifications.find(key);
  if (it != s.notifications.end() && it->second != nullptr) {
    CeClearUserNotification(it->second);
    it->second = nullptr;
  }
  ReleaseMutex(s.mapMutex);
}

HANDLE CMgr::ArmMapNotificationAt(int key, const std::u16string& arguments, const SYSTEMTIME& start) {
  Shared& s = State();
  if (!TakeMutex(s.mapMutex)) return nullptr;
  HANDLE& slot = s.notifications[key];
  if (slot != nullptr) CeClearUserNotification(slot);
  slot = velomar::ArmProgramNotificationAt(arguments.c_str(), start);
  HANDLE armed = slot;
  ReleaseMutex(s.mapMutex);
  return armed;
}

void CMgr::EnsureTimeLimitNotification(int mgr_id, int minutes, int notification_id) {
  Shared& s = State();
  if (!TakeMutex(s.mapMutex)) return;
  bool found = false;
  const int own_id = GetId();
  velomar::ForEachProgramNotification([&](HANDLE, const std::u16string& arguments) {
    if (arguments.find(u"timer_notification") == std::u16string::npos) return;
    int mgr = 0, notification = 0;
    if (swscanf(arguments.c_str(), u"timer_notification_%02d_%02d", &mgr, &notification) == 2 &&
        mgr == own_id && notification == notification_id) {
      found = true;
    }
  });
  ReleaseMutex(s.mapMutex);
  if (!found) SetTimeLimitNotification(mgr_id, minutes, notification_id);
}

void CMgr::ProcessTimerNotification(int /*notification_id*/) {
  Trace(0, u"Un manager no implemento ProcessTimerNotification");
}

std::u16string CMgr::GetName() { return u"unknown"; }

std::u16string CMgr::GetStatusText(int /*status*/) { return u"unknown"; }

namespace velomar::seam {
void ResetMgrConfig() {
  std::lock_guard<std::mutex> lock(State().configLock);
  State().config.clear();
}
}  // namespace velomar::seam
