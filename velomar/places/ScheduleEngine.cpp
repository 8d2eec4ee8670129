#include "velomar/places/ScheduleEngine.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/kernel/kernel.h"
#include "platform/notify/notify.h"
#include "platform/power/power.h"
#include "platform/text/format.h"
#include "platform/time/time.h"
#include "platform/window/window.h"
#include "teskautils/TeskaUtils.h"
#include "velomar/core/Config.h"
#include "velomar/core/EventLog.h"
#include "velomar/core/Exceptions.h"
#include "velomar/core/ProgramNotifications.h"
#include "velomar/core/Trace.h"
#include "velomar/core/app/App.h"
#include "velomar/core/managers/BandMgr.h"
#include "velomar/core/managers/CallForwardMgr.h"
#include "velomar/core/managers/CellHistory.h"
#include "velomar/core/managers/MessageMgr.h"
#include "velomar/core/managers/MobilePhoneMgr.h"
#include "velomar/core/managers/RilMgr.h"
#include "velomar/core/managers/SpeakerMgr.h"
#include "velomar/places/DB.h"
#include "velomar/places/PeriodRules.h"
#include "velomar/places/ScheduleWindow.h"
#include "velomar/places/TableActions.h"
#include "velomar/places/TableLocation.h"
#include "velomar/places/TablePeriods.h"
#include "velomar/places/TablePlaces.h"
#include "velomar/places/TimeFrame.h"
#include "velomar/ui/Translator.h"

namespace {

// A queued start or end: the period key in the low half, its entry into force in the high half
// (0: none named, as the plain key of a caller that knows no entry).
static_assert(sizeof(ULONG_PTR) >= 8, "a transition holds a key and an entry");
ULONG_PTR PackTransition(int key, unsigned entry) {
  return static_cast<ULONG_PTR>(static_cast<std::uint32_t>(key)) | (static_cast<ULONG_PTR>(entry) << 32);
}
int TransitionKey(ULONG_PTR transition) { return static_cast<int>(static_cast<std::uint32_t>(transition & 0xFFFFFFFFu)); }
unsigned TransitionEntry(ULONG_PTR transition) { return static_cast<unsigned>(transition >> 32); }

std::mutex g_instanceLock;
std::atomic<CScheduleEngine*> g_instance{nullptr};

constexpr ULONGLONG kDay = 864000000000ull;  // in 100-ns units
constexpr DWORD kCueMs = 3000;
constexpr int kDelayedMs = 10000;

std::u16string Cut(std::u16string text, std::size_t limit) {
  if (text.size() > limit) text.resize(limit);
  return text;
}

CRilMgr* Ril() { return dynamic_cast<CRilMgr*>(CMgr::GetMgr(MGR_RIL)); }

// The phone is off or without coverage (a missing phone manager counts as on).
bool PhoneOff() {
  CMgr* phone = CMgr::GetMgr(MGR_PHONE);
  return phone != nullptr && phone->GetStatus() != 0;
}

// The user is switching the band or the phone radio: location events are left alone meanwhile.
bool UserSwitching() {
  auto* band = dynamic_cast<CBandMgr*>(CMgr::GetMgr(MGR_BAND));
  auto* phone = dynamic_cast<CMobilePhoneMgr*>(CMgr::GetMgr(MGR_PHONE));
  return (band && band->GetUserRequest() != 0) || (phone && phone->IsUserSwitchInProgress());
}

// The database and its lock, held around table work; null (nothing held) when there is none.
class DatabaseLock {
 public:
  DatabaseLock() : m_db(CDB::GetInstance()) {
    if (m_db) m_lock = std::unique_lock<std::recursive_mutex>(m_db->GetLock());
  }
  CDB* operator->() const { return m_db; }
  explicit operator bool() const { return m_db != nullptr; }

 private:
  CDB* m_db;
  std::unique_lock<std::recursive_mutex> m_lock;
};

bool IsSpecialKind(int kind) { return kind >= ACTION_CUE && kind <= ACTION_RING_TONE; }

// The name an action has in the skipped-action event.
std::u16string ActionName(int kind, CMgr* mgr) {
  if (mgr) return mgr->GetName();
  CTranslator* texts = CTranslator::GetInstance();
  switch (kind) {
    case ACTION_CUE: return texts->GetText(u"EVENT_LOG_ACTION_NAME_CUE");
    case ACTION_OPEN_FILE: return texts->GetText(u"EVENT_LOG_ACTION_NAME_OPEN_FILE");
    case ACTION_MAIL: return texts->GetText(u"EVENT_LOG_ACTION_NAME_MAIL");
    case ACTION_SMS: return texts->GetText(u"EVENT_LOG_ACTION_NAME_SMS");
    case ACTION_THEME: return texts->GetText(u"EVENT_LOG_ACTION_NAME_THEME");
    case ACTION_RING_TONE: return texts->GetText(u"EVENT_LOG_ACTION_NAME_RING_TONE");
    default: return texts->GetFormatted(u"EVENT_LOG_ACTION_NAME_UNKNOWN", kind);
  }
}

}  // namespace

// ---- Life ------------------------------------------------------------------------------------------

CScheduleEngine::CScheduleEngine() : WorkerThread(1) {
  Trace(0, u"CScheduleEngine::CScheduleEngine()");
  m_currentPeriod.SetKey(-1);
  // Boundaries an earlier instance armed and did not clear (it was killed) would fire beside the
  // ones this engine arms: every boundary twice. They go before anything is armed.
  const std::u16string boundary = ce::text::Format(u"timer_notification_%02d_", kPeriodNotificationId);
  velomar::ForEachProgramNotification([&](HANDLE handle, const std::u16string& arguments) {
    if (arguments.starts_with(boundary)) CeClearUserNotification(handle);
  });
  if (CMgr* ril = CMgr::GetMgr(MGR_RIL)) ril->AddStatusListener(this);
  if (CMgr* phone = CMgr::GetMgr(MGR_PHONE)) phone->AddStatusListener(this);
  Start();
}

CScheduleEngine::~CScheduleEngine() {
  Trace(0, u"CScheduleEngine::~CScheduleEngine()");
  if (CMgr* ril = CMgr::GetMgr(MGR_RIL)) ril->RemoveStatusListener(this);
  if (CMgr* phone = CMgr::GetMgr(MGR_PHONE)) phone->RemoveStatusListener(this);
  Stop();
  for (ULONG_PTR parameter : m_parameters) delete reinterpret_cast<CStatusChange*>(parameter);
}

CScheduleEngine* CScheduleEngine::GetInstance() {
  std::lock_guard<std::mutex> lock(g_instanceLock);
  if (g_instance.load() == nullptr) g_instance = new CScheduleEngine();
  return g_instance.load();
}

CScheduleEngine* CScheduleEngine::GetExisting() { return g_instance.load(); }

void CScheduleEngine::DeleteInstance() {
  std::lock_guard<std::mutex> lock(g_instanceLock);
  delete g_instance.exchange(nullptr);
}

bool CScheduleEngine::ShuttingDown() {
  CApp* app = CApp::GetApp();
  return app != nullptr && app->IsShuttingDown();
}

// ---- Calls from other threads ----------------------------------------------------------------------

void CScheduleEngine::StatusChanged(int status, int mgr_id, int event) {
  if (ShuttingDown()) return;
  if (mgr_id != MGR_RIL || (event != RIL_EVENT_POSITION && event != kEventRefreshed)) return;
  auto* change = new CStatusChange(status, mgr_id, event);
  const auto parameter = reinterpret_cast<ULONG_PTR>(change);
  {
    std::lock_guard<std::mutex> lock(m_parametersLock);
    m_parameters.insert(parameter);
  }
  PostCommand(2, INFINITE, parameter);
}

void CScheduleEngine::HandleCommand(int command_id, ULONG_PTR parameter) {
  std::unique_ptr<CStatusChange> change;
  if (command_id == 2 && parameter != 0) {
    std::lock_guard<std::mutex> lock(m_parametersLock);
    if (m_parameters.erase(parameter) == 0) return;  // not ours
    change.reset(reinterpret_cast<CStatusChange*>(parameter));
  }
  if (ShuttingDown()) return;
  switch (command_id) {
    case 0: StartPeriod(0, parameter); break;
    case 1: StartPeriod(1, parameter); break;
    case 2:
      if (!change) throw CBaseException(u"Se envio un comando status_changed sin parametro");
      StatusChangedAsync(change->m_status, change->m_mgrId, change->m_event);
      break;
    default: break;
  }
}

void CScheduleEngine::OnTimerNotification(int id, int n) {
  if (ShuttingDown()) return;
  if (id != kPeriodNotificationId && id != kLockNotificationId) return;
  if (CConfig::GetInstance()->GetDWORD(u"profile_change_mode") != 0) return;
  if (id == kPeriodNotificationId) {
    if (n == 0) PostCommand(1, INFINITE, CurrentTransition());
    if (PhoneOff()) {
      (n != 0 ? m_phoneOffAtStart : m_phoneOffAtEnd) = 1;
    } else {
      m_location = kLocationForgotten;
    }
    StatusChanged(n != 0 ? 1 : 0, MGR_RIL, RIL_EVENT_POSITION);
    return;
  }
  if (m_locked.load() == 0) return;
  // The locked place's time is up.
  PostCommand(1, INFINITE, CurrentTransition());
  m_locked = 0;
  if (CRilMgr* ril = Ril()) ril->RefreshStatus(1);
  ChangeInDB();
  velomar::schedule::RefreshLocationDisplay();
}

void CScheduleEngine::ChangeInDB() {
  CCellHistory::GetInstance()->Refresh();
  m_location = kLocationForgotten;
  SetCurrentPeriodKey(-1);
  StatusChanged(0, MGR_RIL, RIL_EVENT_POSITION);
}

void CScheduleEngine::SetLocked(int flag) {
  if (m_locked.load() != 0 && flag == 0) PostCommand(1, INFINITE, CurrentTransition());
  m_locked = flag;
}

void CScheduleEngine::LockPlace(const CStrPlace& place) {
  {
    std::lock_guard<std::mutex> lock(m_stateLock);
    m_lockedPlace = place;
  }
  m_locked = 1;
  ClearPeriodNotification();
  m_location = 0;
  const ULONG_PTR current = CurrentTransition();
  if (TransitionKey(current) >= 0) PostCommand(1, INFINITE, current);
  SYSTEMTIME now{};
  GetLocalTime(&now);
  const int key = FindPeriodAt(now.wHour, now.wMinute, place.GetIdPlace(), true);
  CStrPeriod period;
  bool found = false;
  if (key != -1) {
    DatabaseLock db;
    period.SetKey(key);
    found = db && db->GetPeriodsTable()->FindAndFill(period);
  }
  if (found) {
    unsigned entry = 0;
    {
      std::lock_guard<std::mutex> lock(m_stateLock);
      m_currentPeriod = period;
      entry = ++m_currentEntry;
    }
    SetPeriodNotification(0, period.GetEnd().wHour, period.GetEnd().wMinute);
    PostCommand(0, INFINITE, PackTransition(period.GetKey(), entry));
  } else if (GetNextPeriod(period, place.GetIdPlace())) {
    SetPeriodNotification(1, period.GetBegin().wHour, period.GetBegin().wMinute);
  }
}

CStrPlace CScheduleEngine::GetCurrentPlace() {
  std::lock_guard<std::mutex> lock(m_stateLock);
  return m_lockedPlace;
}

CStrPeriod CScheduleEngine::GetCurrentPeriod() {
  std::lock_guard<std::mutex> lock(m_stateLock);
  return m_currentPeriod;
}

int CScheduleEngine::CurrentPeriodKey() {
  std::lock_guard<std::mutex> lock(m_stateLock);
  return m_currentPeriod.GetKey();
}

void CScheduleEngine::SetCurrentPeriodKey(int key) {
  std::lock_guard<std::mutex> lock(m_stateLock);
  m_currentPeriod.SetKey(key);
}

ULONG_PTR CScheduleEngine::CurrentTransition() {
  std::lock_guard<std::mutex> lock(m_stateLock);
  return PackTransition(m_currentPeriod.GetKey(), m_currentEntry);
}

int CScheduleEngine::AddPeriod(CStrPeriod& period) {
  CDB* db = CDB::GetInstance();
  return db ? velomar::places::AddPeriod(*db, period) : 0;
}

int CScheduleEngine::ModifyPeriod(CStrPeriod& period) {
  CDB* db = CDB::GetInstance();
  return db ? velomar::places::ModifyPeriod(*db, period) : 0;
}

void CScheduleEngine::ApplyTheme(const std::u16string& theme) { velomar::schedule::StartTheme(theme); }

// ---- Lookups -----------------------------------------------------------------------------------------

int CScheduleEngine::FindPeriodAt(int hour, int minute, int place_key, bool inclusive_start) {
  std::vector<CStrPeriod> periods;
  {
    DatabaseLock db;
    if (!db) return -1;
    db->GetPeriodsTable()->GetAllRecordsForPlace(periods, place_key);
  }
  const CHourMinute time(hour, minute);
  for (const CStrPeriod& period : periods) {
    if (CTimeFrame(period).ContainsTime(time, inclusive_start)) return period.GetKey();
  }
  return -1;
}

bool CScheduleEngine::FindFrameNow(CStrPeriod& period, int place_key) {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  DatabaseLock db;
  const int key = FindPeriodAt(now.wHour, now.wMinute, place_key, true);
  if (key == -1 || !db) return false;
  CStrPeriod found;
  found.SetKey(key);
  if (!db->GetPeriodsTable()->FindAndFill(found)) return false;
  period = found;
  return true;
}

bool CScheduleEngine::GetNextPeriod(CStrPeriod& period, int place_key) {
  std::vector<CStrPeriod> periods;
  {
    DatabaseLock db;
    if (!db) return false;
    db->GetPeriodsTable()->GetAllRecordsForPlace(periods, place_key);
  }
  if (periods.empty()) return false;
  if (periods.size() == 1) {
    period = periods.front();
    return true;
  }
  std::stable_sort(periods.begin(), periods.end());
  SYSTEMTIME now{};
  GetLocalTime(&now);
  const CHourMinute time(now);
  for (const CStrPeriod& candidate : periods) {
    if (CHourMinute(candidate.GetBegin()) > time) {
      period = candidate;
      return true;
    }
  }
  period = periods.front();  // tomorrow's first
  return true;
}

bool CScheduleEngine::FindNowOrArmNext(CStrPeriod& period, int place_key) {
  if (FindFrameNow(period, place_key)) return true;
  CStrPeriod next;
  if (GetNextPeriod(next, place_key)) SetPeriodNotification(1, next.GetBegin().wHour, next.GetBegin().wMinute);
  return false;
}

int CScheduleEngine::PlaceOfLocation(int value, int fallback) {
  DatabaseLock db;
  if (!db) return fallback;
  CTableLocation* table = db->GetLocationTable();
  auto record = table->NewRecord();
  auto& location = dynamic_cast<CStrLocation&>(*record);
  location.SetValue(value);
  return table->FindAndFill(location) ? location.GetPlace() : fallback;
}

bool CScheduleEngine::LocationKnown(int value) {
  DatabaseLock db;
  if (!db) return false;
  CTableLocation* table = db->GetLocationTable();
  auto record = table->NewRecord();
  auto& location = dynamic_cast<CStrLocation&>(*record);
  location.SetValue(value);
  return table->FindAndFill(location);
}

bool CScheduleEngine::ReadPlaceOrDrop(int place_key, int value, CStrPlace& place) {
  DatabaseLock db;
  if (!db) return false;
  CStrPlace found;
  found.SetIdPlace(place_key);
  if (db->GetPlacesTable()->FindAndFill(found)) {
    place = found;
    return true;
  }
  // The location names a place that is gone: the row goes too.
  CTableLocation* table = db->GetLocationTable();
  auto record = table->NewRecord();
  auto& location = dynamic_cast<CStrLocation&>(*record);
  location.SetValue(value);
  if (table->FindAndFill(location)) table->DeleteRecord(location);
  return false;
}

bool CScheduleEngine::GetCurrentFrame(CStrPeriod& period) {
  DatabaseLock db;
  if (!db) return false;
  const int value = m_location.load();
  if (!LocationKnown(value)) return false;
  CStrPlace place;
  if (!ReadPlaceOrDrop(PlaceOfLocation(value, 0), value, place)) return false;
  return FindFrameNow(period, place.GetIdPlace());
}

bool CScheduleEngine::FindFrameOfLocation(int value, CStrPeriod& period) {
  DatabaseLock db;
  if (!db || !LocationKnown(value)) return false;
  return FindFrameNow(period, PlaceOfLocation(value, 0));
}

std::u16string CScheduleEngine::PlaceNameNow() {
  if (m_locked.load() != 0) return GetCurrentPlace().GetName();
  CStrPlace place;
  DatabaseLock db;
  if (!db) return {};
  if (CRilMgr* ril = Ril(); ril && ril->FindPlaceOfLocation(place)) return place.GetName();
  place.SetIdPlace(0);
  return db->GetPlacesTable()->FindAndFill(place) ? place.GetName() : std::u16string();
}

// ---- The command thread ----------------------------------------------------------------------------

void CScheduleEngine::NewCurrentPeriod(const CStrPeriod& period) {
  unsigned entry = 0;
  {
    std::lock_guard<std::mutex> lock(m_stateLock);
    m_currentPeriod = period;
    entry = ++m_currentEntry;
  }
  SetPeriodNotification(0, period.GetEnd().wHour, period.GetEnd().wMinute);
  WakeUp();
  PostCommand(0, INFINITE, PackTransition(period.GetKey(), entry));
}

void CScheduleEngine::StatusChangedAsync(int status, int mgr_id, int event) {
  Trace(0, u"CScheduleEngine::StatusChangedAsync(%d,%d,%d)", status, mgr_id, event);
  CConfig* config = CConfig::GetInstance();
  const bool location_event = mgr_id == MGR_RIL && event == RIL_EVENT_POSITION;
  if (location_event && config->GetDWORD(u"profile_change_mode") != 0) return;
  if (location_event && m_locked.load() != 0) return;

  if (m_phoneOffAtStart.exchange(0) != 0) {
    const int value = m_location.load();
    const int place_key =
        value < 1 ? static_cast<int>(config->GetDWORD(u"last_place")) : PlaceOfLocation(value, 0);
    CStrPeriod period;
    if (!FindFrameNow(period, place_key)) {
      TextBox(nullptr, u"%s", CTranslator::GetInstance()->GetFormatted(u"NO FRAME WITH PHONE OFF", place_key).c_str());
    } else if (period.GetKey() != CurrentPeriodKey()) {
      NewCurrentPeriod(period);
    }
    return;
  }
  if (m_phoneOffAtEnd.exchange(0) != 0) {
    const int value = m_location.load();
    const int place_key =
        value < 1 ? static_cast<int>(config->GetDWORD(u"last_place")) : PlaceOfLocation(value, 0);
    CStrPeriod period;
    if (FindNowOrArmNext(period, place_key)) NewCurrentPeriod(period);
    return;
  }
  if (!location_event) return;

  if (PhoneOff()) {
    // Place and period stay; only a first start with the phone off takes the last place known.
    const int last_place = static_cast<int>(config->GetDWORD(u"last_place"));
    if (m_location.load() == -1 && last_place != 0) {
      CStrPeriod period;
      if (FindNowOrArmNext(period, last_place) && period.GetKey() != CurrentPeriodKey()) NewCurrentPeriod(period);
    }
    return;
  }
  if (UserSwitching()) return;
  CRilMgr* ril = Ril();
  if (ril == nullptr) return;

  const int new_value = static_cast<int>(ril->GetLocationKey());
  const int old_value = m_location.load();
  if (new_value == old_value) {
    // Learning: a LAC place also learns the cells seen in it.
    if (!ril->UseCellId() && config->GetDWORD(u"intelligent_lac_mode") != 0 && LocationKnown(new_value)) {
      DatabaseLock db;
      const int place_key = PlaceOfLocation(new_value, 0);
      CStrCell cell;
      cell.SetValue(static_cast<int>(ril->GetCellId()));
      if (db && !db->GetCellsTable()->FindAndFill(cell)) {
        cell.SetPlace(place_key);
        db->GetCellsTable()->Insert(cell);
      }
    }
    return;
  }

  const bool old_known = LocationKnown(old_value);
  bool new_known = LocationKnown(new_value);
  int value = new_value;
  if (old_known && !new_known) {
    // Leaving a known place for an unknown cell: ask the radio once more before believing it.
    Sleep(5000);
    ril->QueryCellTower();
    Sleep(2000);
    ril->RefreshMainWindow();
    // What the radio says now decides: back where it was is no change at all (the boundary armed
    // stays), anything else is judged by itself, not by the cell that was only passed through.
    value = static_cast<int>(ril->GetLocationKey());
    if (value == old_value) return;
    new_known = LocationKnown(value);
  }
  m_location = value;

  CStrPeriod found;
  const bool has_frame = GetCurrentFrame(found);
  const ULONG_PTR transition = CurrentTransition();
  const int current = TransitionKey(transition);
  if (has_frame && found.GetKey() == current) return;
  if (!(new_known || old_known || value == 0)) return;
  if (current != -1 && status != 0) PostCommand(1, INFINITE, transition);
  ClearPeriodNotification();
  int place_key = 0;
  if (new_known) {
    place_key = PlaceOfLocation(value, 0);
    CStrPlace place;
    if (!ReadPlaceOrDrop(place_key, value, place)) {
      place_key = 0;
      SetCurrentPeriodKey(-1);
    }
  } else {
    SetCurrentPeriodKey(-1);
  }
  config->SetDWORD(u"last_place", static_cast<DWORD>(place_key));
  CStrPeriod period;
  if (FindNowOrArmNext(period, place_key) && (period.GetKey() != CurrentPeriodKey() || old_value == 0))
    NewCurrentPeriod(period);
}

void CScheduleEngine::StartPeriod(int trigger, ULONG_PTR transition) {
  const int period_key = TransitionKey(transition);
  const unsigned entry = TransitionEntry(transition);
  Trace(0, u"CScheduleEngine::StartPeriod(%d,%d)", trigger, period_key);
  // Transitions run in the order they were queued. A start whose period is no longer current, or
  // is current again through a later entry, was overtaken by a later change (whose own start is
  // queued behind it): it is dropped.
  if (trigger == 0) {
    const ULONG_PTR now = CurrentTransition();
    if (period_key != TransitionKey(now) || (entry != 0 && entry != TransitionEntry(now))) return;
  }
  std::vector<CStrAction> actions;
  CStrPeriod period;
  CStrPlace place;
  bool found = false;
  {
    DatabaseLock db;
    if (!db) return;
    db->GetActionsTable()->GetActionsOfPeriod(actions, period_key);
    period.SetKey(period_key);
    found = db->GetPeriodsTable()->FindAndFill(period);
    place.SetIdPlace(period.GetIdPlace());
    if (found && !db->GetPlacesTable()->FindAndFill(place)) place.SetName(u"");
  }
  CTranslator* texts = CTranslator::GetInstance();
  if (trigger == m_lastTrigger && period_key == m_lastPeriod) {
    // A start of the period already in force: it stays in force, now through this entry, whose
    // end is then the one to run.
    if (trigger == 0 && period_key == m_startedPeriod && entry != 0) m_startedEntry = entry;
    const std::u16string skip = texts->GetText(u"EVENT_LOG_MGR_SKIP_SCHEDULE");
    Log(EVENT_WARNING, skip, skip);
    return;
  }
  if (!found) return;  // the period went away since the run was queued
  // The end of a period whose start was dropped as overtaken: nothing of it ran, nothing ends.
  if (trigger == 1 && (period_key != m_startedPeriod || (entry != 0 && entry != m_startedEntry))) return;

  const int count = static_cast<int>(actions.size());
  std::u16string frame;
  const char16_t* summary_id = u"EVENT_LOG_MGR_END_SCHEDULE_RESUME";
  const char16_t* description_id = u"EVENT_LOG_MGR_END_SCHEDULE_DESCRIPTION";
  if (trigger == 0) {
    frame = ce::text::Format(u"%s(%02d:%02d-%02d:%02d)", period.GetName().c_str(), period.GetBegin().wHour,
                             period.GetBegin().wMinute, period.GetEnd().wHour, period.GetEnd().wMinute);
    summary_id = u"EVENT_LOG_MGR_START_SCHEDULE_RESUME";
    description_id = u"EVENT_LOG_MGR_START_SCHEDULE_DESCRIPTION";
  }
  Log(EVENT_INFO, texts->GetFormatted(summary_id, place.GetName(), period.GetName(), count),
      texts->GetFormatted(description_id, place.GetName(), period.GetName(), count));
  velomar::schedule::PlaceChanged(PlaceNameNow(), frame);

  WakeUp();
  const bool cue = std::any_of(actions.begin(), actions.end(), [&](const CStrAction& a) {
    return a.GetKind() == ACTION_CUE && a.GetTrigger() == trigger && a.GetIntOp1() != 0;
  });
  if (cue) CMobilePhoneMgr::Vibrate(kCueMs);
  RunActions(trigger, actions);
  m_lastTrigger = trigger;
  m_lastPeriod = period_key;
  if (trigger == 0) {
    m_startedPeriod = period_key;
    m_startedEntry = entry;
  } else {
    // Once its end ran, the period is no longer in force: a later move ends nothing again. A
    // later entry of the same period into force is not this one's to end.
    m_startedPeriod = -1;
    m_startedEntry = 0;
    std::lock_guard<std::mutex> lock(m_stateLock);
    if (m_currentPeriod.GetKey() == period_key && (entry == 0 || entry == m_currentEntry)) m_currentPeriod.SetKey(-1);
  }
  velomar::schedule::RefreshLocationDisplay();
}

void CScheduleEngine::RunActions(int trigger, const std::vector<CStrAction>& actions) {
  CTranslator* texts = CTranslator::GetInstance();
  CMgr* phone = nullptr;
  CMgr* power = nullptr;
  CMgr* forward = nullptr;
  int phone_status = 0, power_status = 0, forward_status = 0;
  std::u16string number;
  for (const CStrAction& action : actions) {
    if (action.GetTrigger() != trigger) continue;
    const int kind = action.GetKind();
    if (kind == ACTION_CUE) continue;  // given before the run
    CMgr* mgr = IsSpecialKind(kind) ? nullptr : CMgr::GetMgr(kind);
    if (!action.IsEnabled() || !action.IsOffToday() || (!IsSpecialKind(kind) && mgr == nullptr)) {
      // Disabled, not for today, or for a manager this program does not have.
      const std::u16string name = ActionName(kind, mgr);
      Log(EVENT_INFO, texts->GetFormatted(u"EVENT_LOG_MGR_ACTION_SKIPPED_RESUME", name),
          texts->GetFormatted(u"EVENT_LOG_MGR_ACTION_SKIPPED_DESCRIPTION", name));
      continue;
    }
    switch (kind) {
      case ACTION_OPEN_FILE: velomar::schedule::StartOpenFile(action.GetSzOp1()); break;
      case ACTION_THEME: ApplyTheme(action.GetSzOp1()); break;
      case ACTION_RING_TONE: velomar::schedule::StartRingTone(action); break;
      case ACTION_MAIL:
        if (auto* messages = dynamic_cast<CMessageMgr*>(CMgr::GetMgr(MGR_MESSAGES)))
          messages->SendMail(action.GetSzOp1(), action.GetSzOp2(), action.GetSzOp3(),
                             static_cast<int>(CConfig::GetInstance()->GetDWORD(u"mail_provider")));
        break;
      case ACTION_SMS:
        if (auto* messages = dynamic_cast<CMessageMgr*>(CMgr::GetMgr(MGR_MESSAGES)))
          messages->SendSMS(action.GetSzOp1(), action.GetSzOp3());
        break;
      case MGR_PHONE:
        phone = mgr;
        phone_status = action.GetIntOp1();
        break;
      case MGR_CPU:
        power = mgr;
        power_status = action.GetIntOp1();
        break;
      case MGR_CALLFORWARD:
        forward = mgr;
        forward_status = action.GetIntOp1();
        number = action.GetSzOp1();
        break;
      case MGR_SPEAKER:
        if (auto* speaker = dynamic_cast<CSpeakerMgr*>(mgr)) speaker->SetPendingValue(action.GetIntOp3());
        mgr->SetStatus(action.GetIntOp1(), 0, 0, 0);
        break;
      default: mgr->SetStatus(action.GetIntOp1(), 0, 0, 0); break;
    }
  }
  // Forwarding and the phone after the others, in the order that keeps calls reachable; power last.
  auto set_number = [&] {
    if (auto* forwarding = dynamic_cast<CCallForwardMgr*>(forward)) forwarding->SetNumber(number);
  };
  if (forward && !phone) {
    set_number();
    forward->SetStatus(forward_status, 0, 0, 0);
  } else if (phone && !forward) {
    phone->SetStatus(phone_status, 0, 0, 0);
  } else if (phone && forward) {
    if (phone_status == 0) {
      phone->SetStatus(0, 0, 0, 0);
      set_number();
      forward->SetStatus(forward_status, 0, 0, kDelayedMs);
    } else {
      set_number();
      forward->SetStatus(forward_status, 0, 0, 0);
      phone->SetStatus(phone_status, 0, kDelayedMs, 0);
    }
  }
  if (power) {
    power->SetStatus(power_status, 0, 0,
                     static_cast<DWORD>(power_status) == POWER_STATE_RESET ? kDelayedMs : 0);
  }
}

// ---- Notifications, waking, the log -----------------------------------------------------------------

void CScheduleEngine::SetPeriodNotification(int kind, int hour, int minute) {
  const std::u16string arguments = ce::text::Format(u"timer_notification_%02d_%02d", kPeriodNotificationId, kind);
  SYSTEMTIME now{};
  GetLocalTime(&now);
  SYSTEMTIME start = now;
  start.wHour = static_cast<WORD>(hour);
  start.wMinute = static_cast<WORD>(minute);
  start.wSecond = 0;
  start.wMilliseconds = 0;
  if (CHourMinute(now) > CHourMinute(hour, minute)) {
    SYSTEMTIME today = start;
    DT_AddDiff(&start, kDay, 1, &today);
  }
  CMgr::ArmMapNotificationAt(kPeriodNotificationId, arguments, start);
}

void CScheduleEngine::ClearPeriodNotification() { CMgr::ClearMapNotification(kPeriodNotificationId); }

void CScheduleEngine::WakeUp() {
  if (CConfig::GetInstance()->GetDWORD(u"awake_to_execute_actions") != 0)
    SetSystemPowerState(nullptr, POWER_STATE_ON, POWER_FORCE);
}

void CScheduleEngine::Log(int level, const std::u16string& summary, const std::u16string& description) {
  CEventLog::AddEvent(kEventLogScheduleId, level, Cut(summary, 99).c_str(), Cut(description, 299).c_str());
}
