#include "velomar/core/managers/BandMgr.h"

#include <shared_mutex>

#include "platform/kernel/kernel.h"
#include "platform/registry/registry.h"
#include "platform/window/window.h"
#include "velomar/core/EventLog.h"
#include "velomar/core/Trace.h"
#include "velomar/core/app/App.h"
#include "velomar/core/managers/MobilePhoneMgr.h"
#include "velomar/core/managers/RilMgr.h"
#include "velomar/ui/Translator.h"

namespace {

std::atomic<CBandMgr*> g_instance{nullptr};
// Held shared by the line callback while it uses the manager, exclusively by the destructor.
std::shared_mutex g_callbackLock;

constexpr const WCHAR* kModeKey = u"\\SOFTWARE\\OEM\\UMTS";
constexpr DWORD kModemPauseMs = 2000;

}  // namespace

CBandMgr::CBandMgr() : CMgr(MGR_BAND) { g_instance = this; }

CBandMgr::~CBandMgr() {
  {
    std::lock_guard<std::mutex> lock(m_lineLock);
    if (m_line) lineClose(m_line);
    if (m_lineApp) lineShutdown(m_lineApp);
    m_line = nullptr;
    m_lineApp = nullptr;
  }
  // The application registers the band with the phone; a band that goes leaves the phone's list.
  if (CMobilePhoneMgr* phone = CMobilePhoneMgr::GetInstance()) phone->RemoveStatusListener(this);
  {
    std::unique_lock<std::shared_mutex> lock(g_callbackLock);
    CBandMgr* self = this;
    g_instance.compare_exchange_strong(self, nullptr);
  }
  Stop();
}

CBandMgr* CBandMgr::GetInstance() { return g_instance.load(); }

int CBandMgr::ReadMode() {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kModeKey, 0, 0, &key) != ERROR_SUCCESS) return 0;
  DWORD value = 0, size = sizeof value, type = 0;
  const LONG result = RegQueryValueExW(key, u"OpMode", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
  RegCloseKey(key);
  if (result != ERROR_SUCCESS || type != REG_DWORD || size != sizeof value) return -1;
  return value <= 2 ? static_cast<int>(value) : -1;
}

void CBandMgr::Initialize() {
  Trace(0, u"CBandMgr::Initialize()");
  if (!Refreshes(MGR_BAND))
    SetStatusValue(-1);
  else
    SetStatusValue(ReadMode());
  std::lock_guard<std::mutex> lock(m_lineLock);
  if (m_lineApp) return;
  DWORD devices = 0;
  HLINEAPP line_app = nullptr;
  if (lineInitialize(&line_app, CApp::GetAppInstance(), LineCallback, nullptr, &devices) != 0)
    return;
  m_lineApp = line_app;
  HLINE line = nullptr;
  if (lineOpen(m_lineApp, 0, &line, 0x00020000, 0, 0, LINECALLPRIVILEGE_NONE, 0, nullptr) == 0) m_line = line;
}

void CBandMgr::RefreshStatusChild(int /*force*/) { SetStatusValue(ReadMode()); }

void CBandMgr::StatusChanged(int /*status*/, int /*mgr_id*/, int /*event*/) { RefreshStatus(0); }

void CBandMgr::ProcessTimerNotification(int notification_id) {
  SetUserRequest(0);
  SetStatus(notification_id, 0, 0, 0);
}

HLINE CBandMgr::Line() {
  std::lock_guard<std::mutex> lock(m_lineLock);
  return m_line;
}

void CBandMgr::SetStatusChild(int mode, int /*minutes*/) {
  Trace(0, u"CBandMgr::SetStatusChild(%d)", mode);
  if (mode == 1) SetUserRequest(0);
  const int current = ReadMode();
  if (GetStatus() == -1) return;
  if (m_resetRunning.load()) return;
  if (GetUserRequest() == 0) {
    if (mode == current) return;
    if (mode == 1) ClearTimeLimitNotification(-1);
    if (mode < 0 || mode > 2) return;
  } else {
    if (mode == 1) ClearTimeLimitNotification(-1);
    if ((mode < 0 || mode > 2) && current < 0) return;
  }
  SetCursor(LoadCursorW(nullptr, IDC_WAIT));
  RegistrySetDWORD(HKEY_LOCAL_MACHINE, kModeKey, u"OpMode", static_cast<DWORD>(mode));
  StartReset();
  SetCursor(LoadCursorW(nullptr, IDC_ARROW));
}

bool CBandMgr::StartReset() {
  bool expected = false;
  if (!m_resetRunning.compare_exchange_strong(expected, true)) return true;
  CMobilePhoneMgr* phone = CMobilePhoneMgr::GetInstance();
  LONG request = 0;
  if (phone && phone->IsKaiserOrPolaris())
    request = m_requests.Issue(m_requests.unregister, [&] { return lineUnregister(Line()); });
  else
    request = m_requests.Issue(m_requests.minimum, [&] { return lineSetEquipmentState(Line(), LINEEQUIPSTATE_MINIMUM); });
  if (request >= 0) return true;
  RefusedAtOnce();
  return false;
}

void CBandMgr::RefusedAtOnce() {
  const std::u16string text = u"Error turning off radio";
  CEventLog::AddEvent(MGR_BAND, EVENT_WARNING, text.c_str(), text.c_str());
  EndReset();
  SetStatusChangeResult(2);
  SetEvent(GetStatusChangeEvent());
}

void CBandMgr::Request(std::atomic<LONG>& slot, DWORD state) {
  if (m_requests.Issue(slot, [&] { return lineSetEquipmentState(Line(), state); }) < 0) RefusedAtOnce();
}

void CBandMgr::RequestRegistration() {
  if (m_requests.Issue(m_requests.registration, [&] { return lineRegister(Line(), LINEREGMODE_AUTOMATIC, nullptr, 0); }) < 0)
    RefusedAtOnce();
}

void CBandMgr::LineCallback(DWORD, DWORD message, DWORD_PTR, DWORD_PTR param1, DWORD_PTR param2, DWORD_PTR) {
  if (message != LINE_REPLY) return;
  std::shared_lock<std::shared_mutex> lock(g_callbackLock);
  if (CBandMgr* self = g_instance.load())
    self->OnLineReply(static_cast<LONG>(param1), static_cast<LONG>(static_cast<DWORD>(param2)));
}

void CBandMgr::OnLineReply(LONG request, LONG result) {
  std::atomic<LONG>* matched = m_requests.Take(request);
  if (!matched) return;
  CMobilePhoneMgr* phone = CMobilePhoneMgr::GetInstance();
  const bool needs_modem = phone && phone->IsKaiserOrPolaris();
  if (matched == &m_requests.unregister) {
    if (needs_modem) {
      const int mode = ReadMode();
      const BYTE command[16] = {0x34, 0, 0, 0, 2, 0, 0, 0, 1, 0, 0, 0, static_cast<BYTE>(mode), 0, 0, 0};
      if (CRilMgr* ril = CRilMgr::GetInstance()) ril->SendModemCommand(command, sizeof command);
      Sleep(kModemPauseMs);
    }
    Request(m_requests.minimum, LINEEQUIPSTATE_MINIMUM);
  } else if (matched == &m_requests.minimum) {
    Request(m_requests.full, LINEEQUIPSTATE_FULL);
  } else if (matched == &m_requests.full) {
    if (phone) phone->UnlockSim();
    RequestRegistration();
  } else {
    if (result == 0 && phone) {
      if (needs_modem) {
        phone->CloseLine();
        phone->OpenLine();
      }
      phone->UnlockSim();
    }
    EndReset();
  }
}

std::u16string CBandMgr::GetName() { return CTranslator::GetInstance()->GetText(u"EVENT_LOG_MGR_BAND_NAME"); }

std::u16string CBandMgr::GetStatusText(int status) {
  CTranslator* texts = CTranslator::GetInstance();
  if (status == 0) return texts->GetText(u"EVENT_LOG_MGR_BAND_STATUS_AUTO");
  if (status == 1) return texts->GetText(u"EVENT_LOG_MGR_BAND_STATUS_2G");
  if (status == 2) return texts->GetText(u"EVENT_LOG_MGR_BAND_STATUS_3G");
  return u"unknown";
}
