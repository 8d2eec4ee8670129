#include "velomar/core/managers/RilMgr.h"

#include <cstring>
#include <limits>
#include <memory>

#include "platform/files/files.h"
#include "platform/kernel/kernel.h"
#include "platform/power/power.h"
#include "platform/time/time.h"
#include "platform/window/window.h"
#include "teskautils/TeskaUtils.h"
#include "velomar/core/Config.h"
#include "velomar/core/EventLog.h"
#include "velomar/core/Trace.h"
#include "velomar/core/app/App.h"
#include "velomar/core/managers/CellHistory.h"
#include "velomar/core/managers/MobilePhoneMgr.h"
#include "velomar/places/DB.h"
#include "velomar/places/Records.h"
#include "velomar/places/TableLocation.h"
#include "velomar/places/TablePlaces.h"
#include "velomar/ui/Translator.h"

namespace {

std::atomic<CRilMgr*> g_instance{nullptr};
// Held shared by the radio's callbacks while they use the manager, and exclusively by the
// destructor when it forgets the instance: once that returns, no callback is inside.
std::shared_mutex g_callbackLock;

constexpr DWORD kBatteryPeriodMs = 60000;
constexpr DWORD kMinuteMs = 60000;
constexpr std::size_t kResumeChars = 99;
constexpr std::size_t kDescriptionChars = 299;

DWORD Word(const void* data, DWORD offset) {
  DWORD value = 0;
  std::memcpy(&value, static_cast<const BYTE*>(data) + offset, 4);
  return value;
}

std::u16string Cut(std::u16string text, std::size_t chars) {
  if (text.size() > chars) text.resize(chars);
  return text;
}

std::u16string ProgramFolder() {
  WCHAR folder[260] = {};
  GetCurrentDirectory(folder);
  return std::u16string(folder);
}

void AddRilEvent(const std::u16string& resume, const std::u16string& description) {
  CEventLog::AddEvent(MGR_RIL, EVENT_DEBUG, Cut(resume, kResumeChars).c_str(),
                      Cut(description, kDescriptionChars).c_str());
}

}  // namespace

int SignalPercentOf(const void* data, DWORD size) {
  if (!data || size < 20) return -1;
  const DWORD mask = Word(data, 4);
  if ((mask & RIL_PARAM_SQ_SIGNALSTRENGTH) == 0 || (mask & RIL_PARAM_SQ_MINSIGNALSTRENGTH) == 0) return -1;
  const auto s = static_cast<std::int64_t>(static_cast<std::int32_t>(Word(data, 8)));
  const auto lo = static_cast<std::int64_t>(static_cast<std::int32_t>(Word(data, 12)));
  const auto hi = static_cast<std::int64_t>(static_cast<std::int32_t>(Word(data, 16)));
  if (hi == lo) return -1;
  const std::int64_t mid = (lo + hi) / 2;
  std::int64_t percent = 100 * ((s - mid) + (hi - mid)) / (hi - lo);
  if (percent > std::numeric_limits<int>::max()) percent = std::numeric_limits<int>::max();
  if (percent < std::numeric_limits<int>::min()) percent = std::numeric_limits<int>::min();
  return static_cast<int>(percent);
}

std::u16string BatteryLogLine(const SYSTEMTIME& t, int percent) {
  return ce::text::Format(u"%04d-%02d-%02d %02d:%02d:%02d %03d%%\r\n", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute,
                          t.wSecond, percent);
}

CRilMgr::CRilMgr() : CMgr(MGR_RIL) {
  InitializeCriticalSection(&m_batteryLogLock);
  m_stopThreads = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::u16string path = ProgramFolder() + u"\\log_battery.txt";
  if (path.size() > 259) path.resize(259);
  m_batteryLogPath = path;
  OpenBatteryLog(OPEN_ALWAYS);
  g_instance = this;
}

CRilMgr::~CRilMgr() {
  Trace(0, u"CRilMgr::~CRilMgr()");
  StopThreads();
  if (m_listeningToBroker) {
    if (CBroker* broker = CBroker::GetBroker()) broker->RemoveListener(this);
  }
  if (HREGNOTIFY registration = m_batteryNotification.exchange(nullptr)) RegistryCloseNotification(registration);
  if (m_listeningToPhone) {
    if (CMobilePhoneMgr* phone = CMobilePhoneMgr::GetInstance()) phone->RemoveStatusListener(this);
  }
  {
    std::lock_guard<std::mutex> lock(m_radioLock);
    if (m_radio) RIL_Deinitialize(m_radio);
    m_radio = nullptr;
  }
  {
    std::unique_lock<std::shared_mutex> lock(g_callbackLock);
    CRilMgr* self = this;
    g_instance.compare_exchange_strong(self, nullptr);
  }
  Stop();
  EnterCriticalSection(&m_batteryLogLock);
  if (m_batteryLog) {
    FlushFileBuffers(m_batteryLog);
    CloseHandle(m_batteryLog);
    m_batteryLog = nullptr;
  }
  LeaveCriticalSection(&m_batteryLogLock);
  DeleteCriticalSection(&m_batteryLogLock);
  ClearTimeLimitNotification(-1);
  if (m_stopThreads) CloseHandle(m_stopThreads);
}

CRilMgr* CRilMgr::GetInstance() { return g_instance.load(); }

void CRilMgr::StopThreads() {
  // The threads leave their sleep and are waited for (they may be appending to the log).
  m_pollRun = false;
  m_batteryRun = false;
  if (m_stopThreads) SetEvent(m_stopThreads);
  for (HANDLE* thread : {&m_pollThread, &m_batteryThread}) {
    if (*thread) {
      WaitForSingleObject(*thread, INFINITE);
      CloseHandle(*thread);
      *thread = nullptr;
    }
  }
}

bool CRilMgr::SwitchedOff() const { return !Refreshes(MGR_RIL); }

HRIL CRilMgr::Radio() const {
  std::lock_guard<std::mutex> lock(m_radioLock);
  return m_radio;
}

void CRilMgr::Initialize() {
  Trace(0, u"CRilMgr::Initialize()");
  CConfig* config = CConfig::GetInstance();
  m_locationMode = config->GetDWORD(u"location_mode");
  if (SwitchedOff()) {
    SetStatusValue(-1);
    return;
  }
  InitRil(config->GetDWORD(u"allow_ril_notifications") != 0 ? 1 : 0);
  RefreshStatus(1);
  if (CBroker* broker = CBroker::GetBroker()) {
    broker->AddListener(this);
    m_listeningToBroker = true;
    HREGNOTIFY registration = nullptr;
    broker->RegisterNotification(HKEY_LOCAL_MACHINE, u"System\\State\\Battery", u"Main", 0xFFFF0000u,
                                 &registration, 1);
    m_batteryNotification = registration;
  }
  if (CMobilePhoneMgr* phone = CMobilePhoneMgr::GetInstance()) {
    phone->AddStatusListener(this);
    m_listeningToPhone = true;
  }
  ReadLocationSettings();
  m_pollThread = CreateThread(nullptr, 0, PollThread, this, 0, nullptr);
  m_batteryThread = CreateThread(nullptr, 0, BatteryThread, this, 0, nullptr);
}

void CRilMgr::InitRil(int notifications) {
  Trace(0, u"CRilMgr::InitRil(%d)", notifications);
  HRESULT result = E_FAIL;
  {
    std::lock_guard<std::mutex> lock(m_radioLock);
    if (m_radio) RIL_Deinitialize(m_radio);
    m_radio = nullptr;
    HRIL radio = nullptr;
    result = notifications ? RIL_Initialize(1, ResultCallback, NotifyCallback, RIL_NCLASS_NETWORK | RIL_NCLASS_MISC,
                                            0, &radio)
                           : RIL_Initialize(1, ResultCallback, nullptr, 0, 0, &radio);
    if (result == S_OK) m_radio = radio;
  }
  const std::u16string text =
      CTranslator::GetInstance()->GetText(result == S_OK ? u"EVENT_LOG_RIL_INIT_OK" : u"EVENT_LOG_RIL_INIT_KO");
  AddRilEvent(text, text);
}

void CRilMgr::RefreshStatusChild(int force) {
  m_force = force;
  if (!SwitchedOff()) {
    QueryCellTower();
    QuerySignal();
  }
  ReadBatteryLevel();
}

// The query and the store of its command id go under the query lock, which an answer takes
// before it compares ids: an answer that comes back at once is not taken for a stranger's.
void CRilMgr::QueryCellTower() {
  if (SwitchedOff()) return;
  std::lock_guard<std::mutex> lock(m_queryLock);
  m_cellRequest = 0;
  m_cellRequest = RIL_GetCellTowerInfo(Radio());
}

void CRilMgr::QuerySignal() {
  std::lock_guard<std::mutex> lock(m_queryLock);
  m_signalRequest = 0;
  m_signalRequest = RIL_GetSignalQuality(Radio());
}

void CRilMgr::ResultCallback(DWORD code, HRESULT command_id, const void* data, DWORD size, DWORD) {
  std::shared_lock<std::shared_mutex> lock(g_callbackLock);
  if (CRilMgr* self = g_instance.load()) self->OnResult(code, command_id, data, size);
}

void CRilMgr::NotifyCallback(DWORD code, const void* data, DWORD size, DWORD) {
  std::shared_lock<std::shared_mutex> lock(g_callbackLock);
  if (CRilMgr* self = g_instance.load()) self->OnNotify(code, data, size);
}

void CRilMgr::OnResult(DWORD code, HRESULT command_id, const void* data, DWORD size) {
  ++m_resultCount;
  if (SwitchedOff()) return;
  // Failed answers and answers without their record carry nothing to use.
  if (code != RIL_RESULT_OK || !data || command_id <= 0) return;
  HRESULT cell_request = 0, signal_request = 0;
  {
    std::lock_guard<std::mutex> lock(m_queryLock);
    cell_request = m_cellRequest.load();
    signal_request = m_signalRequest.load();
  }
  if (command_id == cell_request) {
    if (size < kRilCellTowerInfoSize) return;
    ++m_cellAnswers;
    PositionChanged(Word(data, 20), Word(data, 16), 0);
  } else if (command_id == signal_request) {
    if (size < kRilSignalQualitySize) return;
    SignalChanged(SignalPercentOf(data, size), true);
  }
}

void CRilMgr::OnNotify(DWORD code, const void* data, DWORD size) {
  ++m_notifications;
  switch (code) {
    case RIL_NOTIFY_LOCATIONUPDATE: {
      if (!data || size < kRilLocationUpdateSize) return;
      ++m_locationNotifications;
      CConfig* config = CConfig::GetInstance();
      if (config->GetDWORD(u"location_notification_received") == 0)
        config->SetDWORD(u"location_notification_received", 1);
      PositionChanged(Word(data, 8), Word(data, 4), 1);
      break;
    }
    case RIL_NOTIFY_SIGNALQUALITY:
      if (!data || size < kRilSignalQualitySize) return;
      SignalChanged(SignalPercentOf(data, size), false);
      break;
    default:  // RIL_NOTIFY_SYSTEMCHANGED and the others
      break;
  }
}

void CRilMgr::SignalChanged(int percent, bool use_force) {
  if (percent == m_signal.load() && !(use_force && m_force.load())) return;
  SetSignalPercent(percent);
  FireStatusChanged(RIL_EVENT_SIGNAL);
  RepaintBar();
}

void CRilMgr::PositionChanged(DWORD cell_id, DWORD lac, int from_notification) {
  Trace(0, u"CRilMgr::PositionChanged(%u, %u, %d)", cell_id, lac, from_notification);
  DWORD old_cell = 0, old_lac = 0;
  bool changed = false;
  {
    std::lock_guard<std::mutex> lock(m_positionLock);
    old_cell = m_cellId.load();
    old_lac = m_lac.load();
    if (old_cell != cell_id || old_lac != lac) {
      m_cellId = cell_id;
      m_lac = lac;
      changed = true;
    }
  }
  if (changed) {
    CTranslator* texts = CTranslator::GetInstance();
    const std::u16string resume = texts->GetFormatted(u"EVENT_LOG_MGR_CHANGE_POS_RESUME", cell_id, lac);
    const std::u16string description =
        texts->GetFormatted(u"EVENT_LOG_MGR_CHANGE_POS_DESCRIPTION", old_cell, old_lac, cell_id, lac);
    CCellHistory::GetInstance()->Add(cell_id, lac, from_notification != 0);
    AddRilEvent(resume, description);
    FireStatusChanged(RIL_EVENT_POSITION);
  } else if (m_force.load()) {
    FireStatusChanged(RIL_EVENT_POSITION);
  }
}

void CRilMgr::SetLocationMode(DWORD mode) {
  m_locationMode = mode;
  CConfig::GetInstance()->SetDWORD(u"location_mode", mode);
}

void CRilMgr::ClearLocationKey() {
  if (UseCellId())
    m_cellId = 0;
  else
    m_lac = 0;
  FireStatusChanged(RIL_EVENT_POSITION);
}

namespace {

// The stored record of a location (a cell when `by_cell`, else a LAC), filled from its table;
// null when the database, its table or the record is missing.
std::unique_ptr<CStrLocation> FindLocationRecord(CDB& db, bool by_cell, int key) {
  std::unique_ptr<CStrLocation> location;
  CTableLocation* table = nullptr;
  if (by_cell) {
    location = std::make_unique<CStrCell>();
    table = db.GetCellsTable();
  } else {
    location = std::make_unique<CStrLAC>();
    table = db.GetLacsTable();
  }
  if (!table) return nullptr;
  location->SetValue(key);
  if (!table->FindAndFill(*location)) return nullptr;
  return location;
}

}  // namespace

bool CRilMgr::IsLocationKnown() {
  CDB* db = CDB::GetInstance();
  if (!db) return false;
  try {
    return FindLocationRecord(*db, UseCellId(), static_cast<int>(GetLocationKey())) != nullptr;
  } catch (...) {
    return false;
  }
}

bool CRilMgr::FindPlaceOfLocation(CStrPlace& place) {
  CDB* db = CDB::GetInstance();
  if (!db || !db->GetPlacesTable()) return false;
  try {
    const std::unique_ptr<CStrLocation> location =
        FindLocationRecord(*db, UseCellId(), static_cast<int>(GetLocationKey()));
    if (!location) return false;
    place.SetIdPlace(location->GetPlace());
    return db->GetPlacesTable()->FindAndFill(place);
  } catch (...) {
    return false;
  }
}

void CRilMgr::ReadLocationSettings() {
  Trace(0, u"CRilMgr::ReadLocationSettings()");
  CConfig* config = CConfig::GetInstance();
  const int old_interval = m_refreshInterval.load();
  const int old_mode = m_refreshMode.load();
  const int interval = static_cast<int>(config->GetDWORD(u"refresh_location"));
  const int mode = interval == 0 ? 0 : (config->GetDWORD(u"awake_to_refresh_location") != 0 ? 2 : 1);
  m_refreshInterval = interval;
  m_refreshMode = mode;
  if (old_interval == -1) {
    if (mode == 2 && interval > 0) SetTimeLimitNotification(MGR_RIL, interval, 0);
    return;
  }
  if (interval == old_interval && mode == old_mode) return;
  if (mode == 2) {
    ClearTimeLimitNotification(-1);
    SetTimeLimitNotification(MGR_RIL, interval, 0);
  }
}

void CRilMgr::ProcessTimerNotification(int notification_id) {
  Trace(0, u"CRilMgr::ProcessTimerNotification(%d)", notification_id);
  const int interval = m_refreshInterval.load();
  if (notification_id != 0 || m_refreshMode.load() != 2 || interval < 1) return;
  CMobilePhoneMgr* phone = CMobilePhoneMgr::GetInstance();
  if (phone && phone->GetStatus() == 0) QueryCellTower();
  SetTimeLimitNotification(MGR_RIL, interval, 0);
}

DWORD CRilMgr::PollThread(LPVOID param) {
  auto* self = static_cast<CRilMgr*>(param);
  while (self->m_pollRun.load()) {
    const int interval = self->m_refreshInterval.load();
    if (self->m_refreshMode.load() == 1 && interval > 0 && !self->SwitchedOff()) self->QueryCellTower();
    const DWORD sleep_ms = interval > 0 ? static_cast<DWORD>(interval) * kMinuteMs : kMinuteMs;
    if (WaitForSingleObject(self->m_stopThreads, sleep_ms) != WAIT_TIMEOUT) break;
  }
  return 0;
}

DWORD CRilMgr::BatteryThread(LPVOID param) {
  auto* self = static_cast<CRilMgr*>(param);
  while (self->m_batteryRun.load()) {
    self->ReadBatteryLevel();
    if (WaitForSingleObject(self->m_stopThreads, kBatteryPeriodMs) != WAIT_TIMEOUT) break;
  }
  return 0;
}

void CRilMgr::ReadBatteryLevel() {
  if (SwitchedOff()) return;
  SYSTEM_POWER_STATUS_EX2 status{};
  if (GetSystemPowerStatusEx2(&status, sizeof status, TRUE) == 0) return;
  // The battery thread and the state notification may read at once: one of them logs a change.
  std::lock_guard<std::mutex> lock(m_batteryReadLock);
  int percent = status.BatteryLifePercent;
  if (percent > 100) percent = 100;
  if (percent == m_battery.load()) return;
  m_battery = percent;
  CTranslator* texts = CTranslator::GetInstance();
  AddRilEvent(texts->GetFormatted(u"EVENT_LOG_BATTERY_STATUS_RESUME", percent),
              texts->GetFormatted(u"EVENT_LOG_BATTERY_STATUS_DESCRIPTION", percent));
  FireStatusChanged(RIL_EVENT_BATTERY);
  RepaintBar();
  AppendBatteryLog();
}

void CRilMgr::OnStateChanged(DWORD notification) {
  const HREGNOTIFY registration = m_batteryNotification.load();
  if (!registration || notification != static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(registration)))
    return;
  CTranslator* texts = CTranslator::GetInstance();
  AddRilEvent(texts->GetText(u"EVENT_LOG_BATTERY_CHANGED_RESUME"),
              texts->GetText(u"EVENT_LOG_BATTERY_CHANGED_DESCRIPTION"));
  const int before = m_battery.load();
  ReadBatteryLevel();
  if (m_battery.load() != before) FireStatusChanged(RIL_EVENT_BATTERY);
}

void CRilMgr::StatusChanged(int status, int mgr_id, int /*event*/) {
  if (mgr_id != MGR_PHONE) return;
  if (status != 0) {
    m_signal = 0;
    m_cellId = 0;
    m_lac = 0;
    RepaintBar();
  } else {
    RefreshStatus(1);
  }
}

void CRilMgr::OpenBatteryLog(DWORD creation) {
  m_batteryLog = CreateFileW(m_batteryLogPath.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             nullptr, creation, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (m_batteryLog == INVALID_HANDLE_VALUE) m_batteryLog = nullptr;
  m_batteryLogSize = 0;
  if (!m_batteryLog) return;
  m_batteryLogSize = GetFileSize(m_batteryLog, nullptr);
  if (m_batteryLogSize == INVALID_FILE_SIZE) m_batteryLogSize = 0;
  SetFilePointer(m_batteryLog, 0, nullptr, FILE_END);
}

void CRilMgr::AppendBatteryLog() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  std::u16string line = BatteryLogLine(now, m_battery.load() < 0 ? 0 : m_battery.load());
  if (line.size() > 999) line.resize(999);
  EnterCriticalSection(&m_batteryLogLock);
  if (m_batteryLogSize + 2 * line.size() > m_batteryLogLimitKb * 1024) {
    if (m_batteryLog) CloseHandle(m_batteryLog);
    m_batteryLog = nullptr;
    DeleteFileW(m_batteryLogPath.c_str());
    OpenBatteryLog(OPEN_ALWAYS);
  }
  if (m_batteryLog) {
    // UTF-16LE, no byte-order mark, no terminator.
    std::string bytes;
    bytes.reserve(line.size() * 2);
    for (char16_t c : line) {
      bytes.push_back(static_cast<char>(c & 0xFF));
      bytes.push_back(static_cast<char>(c >> 8));
    }
    DWORD written = 0;
    WriteFile(m_batteryLog, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    m_batteryLogSize += written;
  }
  LeaveCriticalSection(&m_batteryLogLock);
}

void CRilMgr::ClearBatteryHistory() {
  CTranslator* texts = CTranslator::GetInstance();
  const std::u16string question = texts->GetText(u"DIALOG_BATTERY_CLEAN_HISTORY_CONFIRMATION");
  if (QuestionBox(nullptr, u"%s", question.c_str()) != 6) return;  // IDYES
  const std::u16string folder = ProgramFolder();
  const std::u16string backup = Cut(folder + u"\\log_battery.bak", 259);
  EnterCriticalSection(&m_batteryLogLock);
  if (m_batteryLog) {
    FlushFileBuffers(m_batteryLog);
    CloseHandle(m_batteryLog);
    m_batteryLog = nullptr;
  }
  DeleteFileW(backup.c_str());
  MoveFileW(m_batteryLogPath.c_str(), backup.c_str());
  OpenBatteryLog(CREATE_ALWAYS);
  LeaveCriticalSection(&m_batteryLogLock);
  AppendBatteryLog();
}

HRESULT CRilMgr::SendModemCommand(const BYTE* command, DWORD size) {
  return RIL_DevSpecific(Radio(), command, size);
}

void CRilMgr::RefreshMainWindow() {
  if (CApp* app = CApp::GetApp())
    if (HWND window = app->GetMainWindowHandle()) InvalidateRect(window, nullptr, TRUE);
}

void CRilMgr::RepaintBar() { RefreshMainWindow(); }
