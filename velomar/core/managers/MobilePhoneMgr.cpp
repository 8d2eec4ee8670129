#include "velomar/core/managers/MobilePhoneMgr.h"

#include <cstring>
#include <shared_mutex>
#include <vector>

#include "platform/device/device_identity.h"
#include "platform/kernel/kernel.h"
#include "platform/kernel/sync.h"
#include "platform/kernel/system_info.h"
#include "platform/power/power.h"
#include "platform/registry/registry.h"
#include "platform/sound/sound.h"
#include "platform/time/time.h"
#include "platform/window/window.h"
#include "teskautils/TeskaUtils.h"
#include "velomar/core/Config.h"
#include "velomar/core/EventLog.h"
#include "velomar/core/Trace.h"
#include "velomar/core/Vibration.h"
#include "velomar/core/app/App.h"
#include "velomar/core/managers/BandMgr.h"
#include "velomar/core/managers/RilMgr.h"
#include "velomar/ui/Translator.h"

namespace {

std::atomic<CMobilePhoneMgr*> g_instance{nullptr};
// Held shared by the line callback while it uses the manager, exclusively by the destructor when
// it forgets the instance.
std::shared_mutex g_callbackLock;

// What Encriptar and Desencriptar need to work in.
constexpr DWORD kCipherBuffer = 1008;
// The largest stored value read.
constexpr DWORD kStoredPinBytes = 100;
constexpr int kTestRounds = 4000;
constexpr int kAlertVibrationMs = 1000;

// The plain PIN of a stored value, when it deciphers to an even byte count of at most 9
// characters; `usable` tells whether it did.
std::u16string ReadStoredPin(const WCHAR* setting, bool& usable) {
  usable = true;
  std::vector<BYTE> buffer(kCipherBuffer, 0);
  DWORD size = kStoredPinBytes;
  if (CConfig::GetInstance()->GetBinary(setting, buffer.data(), &size) != ERROR_SUCCESS || size == 0) return {};
  if (size > kStoredPinBytes) size = kStoredPinBytes;
  DWORD length = size;
  if (Desencriptar(buffer.data(), &length) != 1 || length % 2 != 0 ||
      length > 2 * CMobilePhoneMgr::kMaxPinChars) {
    usable = false;
    return {};
  }
  std::u16string pin;
  for (DWORD i = 0; i + 1 < length; i += 2)
    pin.push_back(static_cast<char16_t>(buffer[i] | (buffer[i + 1] << 8)));
  return pin;
}

}  // namespace

CMobilePhoneMgr::CMobilePhoneMgr() : CMgr(MGR_PHONE) {
  m_deviceModel = CTranslator::GetInstance()->GetText(u"UNKNOWN");
  bool usable = true;
  m_pin = ReadStoredPin(u"pin", usable);
  if (!usable) LogFormateado(3, u"The stored %s cannot be used and is ignored", u"pin");
  m_pin2 = ReadStoredPin(u"pin2", usable);
  if (!usable) LogFormateado(3, u"The stored %s cannot be used and is ignored", u"pin2");
  g_instance = this;
}

CMobilePhoneMgr::~CMobilePhoneMgr() {
  Trace(0, u"CMobilePhoneMgr::~CMobilePhoneMgr()");
  if (m_listeningToBroker) {
    if (CBroker* broker = CBroker::GetBroker()) broker->RemoveListener(this);
  }
  if (m_phoneNotification) RegistryCloseNotification(m_phoneNotification);
  if (m_batteryNotification) RegistryCloseNotification(m_batteryNotification);
  CloseLine();
  {
    std::unique_lock<std::shared_mutex> lock(g_callbackLock);
    CMobilePhoneMgr* self = this;
    g_instance.compare_exchange_strong(self, nullptr);
  }
  Stop();
  if (m_sim) SimDeinitialize(m_sim);
}

CMobilePhoneMgr* CMobilePhoneMgr::GetInstance() { return g_instance.load(); }

void CMobilePhoneMgr::Initialize() {
  Trace(0, u"CMobilePhoneMgr::Initialize()");
  HSIM sim = nullptr;
  if (SimInitialize(0, nullptr, 0, &sim) != S_OK) sim = nullptr;
  m_sim = sim;
  if (!Refreshes(MGR_PHONE)) {
    SetStatusValue(-1);
    return;
  }
  if (CBroker* broker = CBroker::GetBroker()) {
    broker->AddListener(this);
    m_listeningToBroker = true;
    broker->RegisterNotification(HKEY_LOCAL_MACHINE, u"System\\State\\Phone", u"Status", 0x10, &m_phoneNotification, 0);
    broker->RegisterNotification(HKEY_LOCAL_MACHINE, u"System\\State\\Battery", u"Main", 0xFFFF,
                                 &m_batteryNotification, 1);
  }
  ReadExternalPower(true);
  WCHAR model[101] = {};
  {
    std::lock_guard<std::mutex> lock(m_textLock);
    if (SystemParametersInfoW(SPI_GETOEMINFO, sizeof model - sizeof(WCHAR), model, 0))
      m_deviceModel = model;
    else
      m_deviceModel = CTranslator::GetInstance()->GetText(u"UNKNOWN");
  }
  OSVERSIONINFOW version{};
  version.dwOSVersionInfoSize = sizeof version;
  if (GetVersionExW(&version))
    m_platformVersion = version.dwMinorVersion < 2 ? 5 : 6;
  else
    m_platformVersion = 0;
  bool open = false;
  {
    std::lock_guard<std::mutex> lock(m_lineLock);
    open = m_lineApp != nullptr;
  }
  if (!open) OpenLine();
  UnlockSim();
}

void CMobilePhoneMgr::ReadExternalPower(bool fire) {
  SYSTEM_POWER_STATUS_EX2 status{};
  if (GetSystemPowerStatusEx2(&status, sizeof status, TRUE) == 0) return;
  const int external = status.ACLineStatus == AC_LINE_ONLINE ? 1 : 0;
  if (m_externalPower.exchange(external) != external && fire) FireStatusChanged(1);
}

HLINE CMobilePhoneMgr::Line() {
  std::lock_guard<std::mutex> lock(m_lineLock);
  return m_line;
}

void CMobilePhoneMgr::OpenLine() {
  std::lock_guard<std::mutex> lock(m_lineLock);
  DWORD devices = 0;
  HLINEAPP line_app = nullptr;
  if (lineInitialize(&line_app, CApp::GetAppInstance(), LineCallback, nullptr, &devices) != 0)
    return;
  m_lineApp = line_app;
  HLINE line = nullptr;
  if (lineOpen(m_lineApp, 0, &line, 0x00020000, 0, 0, LINECALLPRIVILEGE_NONE, 0, nullptr) == 0) m_line = line;
}

void CMobilePhoneMgr::CloseLine() {
  std::lock_guard<std::mutex> lock(m_lineLock);
  if (m_line) lineClose(m_line);
  if (m_lineApp) lineShutdown(m_lineApp);
  m_line = nullptr;
  m_lineApp = nullptr;
}

int CMobilePhoneMgr::GetGSMStatus() {
  DWORD value = 0;
  if (RegistryGetDWORD(HKEY_LOCAL_MACHINE, u"System\\State\\Phone", u"Status", &value) != S_OK) return -1;
  return (value & 0x10) != 0 ? 1 : 0;
}

void CMobilePhoneMgr::RefreshStatusChild(int /*force*/) {
  const int old_status = GetStatus();
  const int status = GetGSMStatus();
  if (status == old_status) return;
  CTranslator* texts = CTranslator::GetInstance();
  const std::u16string name = GetName();
  const std::u16string summary =
      texts->GetFormatted(u"EVENT_LOG_MGR_CHANGED_STATUS_RESUME", name, GetStatusText(status)).substr(0, 99);
  const std::u16string description = texts->GetFormatted(u"EVENT_LOG_MGR_CHANGED_STATUS_DESCRIPTION", name,
                                                         GetStatusText(old_status), GetStatusText(status))
                                         .substr(0, 299);
  CEventLog::AddEvent(MGR_PHONE, EVENT_DEBUG, summary.c_str(), description.c_str());
  SetStatusValue(status);
  CEventLog::AddEvent(MGR_PHONE, EVENT_DEBUG, u"FireStatusChanged disabled", u"FireStatusChanged disabled");
  FireStatusChanged(0);
}

void CMobilePhoneMgr::SetStatusChild(int status, int /*minutes*/) {
  Trace(0, u"CMobilePhoneMgr::SetStatusChild(%d)", status);
  SetStatusChangeResult(0);
  if (status != GetStatus()) {
    if (m_operationRunning.load() == 0) {
      m_operationRunning = 1;
      SYSTEMTIME now{};
      GetLocalTime(&now);
      m_operationStartSecond = now.wSecond;
      if (status != 0) {
        if (CBandMgr* band = CBandMgr::GetInstance()) band->SetUserRequest(0);
        ClearTimeLimitNotification(-1);
        SetRadioPower(0);
      } else {
        SetRadioPower(1);
      }
      return;  // the line's replies complete it
    }
    CTranslator* texts = CTranslator::GetInstance();
    CEventLog::AddEvent(MGR_PHONE, EVENT_DEBUG, texts->GetText(u"EVENT_LOG_MGR_PHONE_OP_RUNNING_RESUME").c_str(),
                        texts->GetText(u"EVENT_LOG_MGR_PHONE_OP_RUNNING_DESCRIPTION").c_str());
  }
  SetEvent(GetStatusChangeEvent());
  SetStatusChangeResult(0);
}

void CMobilePhoneMgr::Toggle(int minutes) {
  if (GetStatus() == 0)
    SetStatus(1, minutes, 0, 0);
  else
    SetStatus(0, minutes, 0, 0);
}

void CMobilePhoneMgr::SetRadioPowerNow(int off) {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  m_operationStartSecond = now.wSecond;
  SetStatusChangeResult(0);
  SetRadioPower(off == 0 ? 1 : 0);
}

void CMobilePhoneMgr::LogLevel3(const char16_t* text) { CEventLog::AddEvent(MGR_PHONE, EVENT_WARNING, text, text); }

void CMobilePhoneMgr::Fail(const char16_t* text) {
  LogLevel3(text);
  Complete();
}

void CMobilePhoneMgr::Complete() {
  m_requestedPower = -1;
  m_operationRunning = 0;
  m_userSwitch = false;
  SetStatusChangeResult(2);
  SetEvent(GetStatusChangeEvent());
}

void CMobilePhoneMgr::SetRadioPower(int on) {
  Trace(0, u"CMobilePhoneMgr::SetRadioPower(%d)", on);
  m_requestedPower = on;
  m_operationRunning = 1;
  const HLINE line = Line();
  if (on == 0) {
    if (m_requests.Issue(m_requests.minimum, [&] { return lineSetEquipmentState(line, LINEEQUIPSTATE_MINIMUM); }) < 0)
      Fail(u"Error turning off radio");
  } else {
    if (m_requests.Issue(m_requests.full, [&] { return lineSetEquipmentState(line, LINEEQUIPSTATE_FULL); }) < 0)
      Fail(u"Error turning on radio");
  }
}

void CMobilePhoneMgr::LineCallback(DWORD, DWORD message, DWORD_PTR, DWORD_PTR param1, DWORD_PTR param2, DWORD_PTR) {
  if (message != LINE_REPLY) return;
  std::shared_lock<std::shared_mutex> lock(g_callbackLock);
  if (CMobilePhoneMgr* self = g_instance.load())
    self->OnLineReply(static_cast<LONG>(param1), static_cast<LONG>(static_cast<DWORD>(param2)));
}

void CMobilePhoneMgr::OnLineReply(LONG request, LONG result) {
  std::atomic<LONG>* matched = m_requests.Take(request);
  if (matched == &m_requests.unregister) {
    if (result != 0) {
      Fail(u"Error unregistering radio");
      return;
    }
    if (CRilMgr* ril = CRilMgr::GetInstance()) ril->ClearLocationKey();
    if (m_requests.Issue(m_requests.minimum, [&] { return lineSetEquipmentState(Line(), LINEEQUIPSTATE_MINIMUM); }) < 0)
      Fail(u"Error turning off radio");
  } else if (matched == &m_requests.minimum) {
    if (result != 0) {
      Fail(u"Error turning off radio");
    } else if (m_requestedPower.load() != 0) {
      if (m_requests.Issue(m_requests.full, [&] { return lineSetEquipmentState(Line(), LINEEQUIPSTATE_FULL); }) < 0)
        Fail(u"Error turning on radio");
    } else {
      Complete();
    }
  } else if (matched == &m_requests.full) {
    if (result != 0) {
      Complete();
      return;
    }
    UnlockSim();  // ends with the registration request
  } else if (matched == &m_requests.registration) {
    if (result != 0) LogLevel3(u"Error registering");
    Complete();
  }
}

void CMobilePhoneMgr::RequestRegistration() {
  if (m_requests.Issue(m_requests.registration, [&] { return lineRegister(Line(), LINEREGMODE_AUTOMATIC, nullptr, 0); }) < 0)
    Fail(u"Error registering line");
}

void CMobilePhoneMgr::UnlockSim() {
  Trace(0, u"CMobilePhoneMgr::UnlockSim()");
  DWORD state = 0;
  if (!m_sim || SimGetPhoneLockedState(m_sim, &state) != S_OK) return;
  if (state != SIM_LOCKEDSTATE_SIM_PIN) return;
  std::u16string pin, pin2;
  bool pin_refused = false, pin2_refused = false;
  {
    std::lock_guard<std::mutex> lock(m_textLock);
    pin = m_pin;
    pin2 = m_pin2;
    pin_refused = m_pinRefused;
    pin2_refused = m_pin2Refused;
  }
  // A PIN the SIM refused, or none, is not offered: it would only use up the SIM's attempts.
  const bool offer_pin = !pin.empty() && !pin_refused;
  const HRESULT first = offer_pin ? SimUnlockPhone(m_sim, pin.c_str(), nullptr) : SIM_E_INCORRECTPASSWORD;
  bool close_prompt = true;
  if (first != S_OK) {
    if (pin.empty()) {
      // Nothing to offer: not a wrong PIN, and no call whose error could be told.
      LogFormateado(4, u"%s", CTranslator::GetInstance()->GetText(u"NO PIN STORED").c_str());
    } else {
      // The SIM's own answer (a PIN refused before counts as refused again) goes with the report,
      // not whatever the thread's last error happened to be.
      SetLastError(static_cast<DWORD>(first));
      ProcesarError(u"%s", CTranslator::GetInstance()->GetText(u"ERROR UNLOCKING").c_str());
    }
    if (first == SIM_E_INCORRECTPASSWORD) {
      if (offer_pin) {
        std::lock_guard<std::mutex> lock(m_textLock);
        if (m_pin == pin) m_pinRefused = true;
      }
      bool second_ok = false;
      if (pin2.size() >= 4 && !pin2_refused) {
        const HRESULT second = SimUnlockPhone(m_sim, pin2.c_str(), nullptr);
        second_ok = second != SIM_E_INCORRECTPASSWORD;
        if (!second_ok) {
          std::lock_guard<std::mutex> lock(m_textLock);
          if (m_pin2 == pin2) m_pin2Refused = true;
        }
      }
      if (!second_ok) {
        PostMgrCommand(kAlertCommand, kAlertVibrationMs);
        close_prompt = false;
      }
    }
  }
  if (close_prompt) {
    if (HWND prompt = FindWindowW(u"SIMSecurityUI", nullptr)) SendMessageW(prompt, WM_CLOSE, 0, 0);
  }
  RequestRegistration();
}

void CMobilePhoneMgr::HandleCommand(int command_id, int argument) {
  if (command_id != kAlertCommand) return;
  MessageBeep(MB_ICONEXCLAMATION);
  Vibrate(static_cast<DWORD>(argument));
}

bool CMobilePhoneMgr::StorePin(const WCHAR* setting, const std::u16string& pin, std::u16string& kept, bool& refused) {
  if (pin.empty()) return true;
  if (pin.size() > kMaxPinChars) return false;
  std::vector<BYTE> buffer(kCipherBuffer, 0);
  for (std::size_t i = 0; i < pin.size(); ++i) {
    buffer[2 * i] = static_cast<BYTE>(pin[i] & 0xFF);
    buffer[2 * i + 1] = static_cast<BYTE>(pin[i] >> 8);
  }
  DWORD length = static_cast<DWORD>(pin.size() * 2);
  if (Encriptar(buffer.data(), &length) == 1) CConfig::GetInstance()->SetBinary(setting, buffer.data(), length);
  std::lock_guard<std::mutex> lock(m_textLock);
  kept = pin;
  refused = false;
  return true;
}

bool CMobilePhoneMgr::SetPin(const std::u16string& pin) { return StorePin(u"pin", pin, m_pin, m_pinRefused); }

bool CMobilePhoneMgr::SetPin2(const std::u16string& pin) { return StorePin(u"pin2", pin, m_pin2, m_pin2Refused); }

std::u16string CMobilePhoneMgr::GetPin() {
  std::lock_guard<std::mutex> lock(m_textLock);
  return m_pin;
}

std::u16string CMobilePhoneMgr::GetPin2() {
  std::lock_guard<std::mutex> lock(m_textLock);
  return m_pin2;
}

void CMobilePhoneMgr::Vibrate(DWORD duration_ms) { VibratePhone(duration_ms); }

std::u16string CMobilePhoneMgr::GetDeviceModel() {
  std::lock_guard<std::mutex> lock(m_textLock);
  return m_deviceModel;
}

bool CMobilePhoneMgr::IsKaiserOrPolaris() {
  const std::u16string model = GetDeviceModel();
  return model == u"Kaiser" || model == u"Polaris";
}

void CMobilePhoneMgr::OnStateChanged(DWORD notification) {
  if (m_phoneNotification && notification == static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(m_phoneNotification))) {
    RefreshStatus(1);
  } else if (m_batteryNotification &&
             notification == static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(m_batteryNotification))) {
    ReadExternalPower(true);
  }
}

std::u16string CMobilePhoneMgr::GetName() { return CTranslator::GetInstance()->GetText(u"EVENT_LOG_MGR_PHONE_NAME"); }

std::u16string CMobilePhoneMgr::GetStatusText(int status) {
  return CTranslator::GetInstance()->GetText(status == 0 ? u"EVENT_LOG_MGR_PHONE_STATUS_ON"
                                                         : u"EVENT_LOG_MGR_PHONE_STATUS_OFF");
}

namespace {

// The radio test's own line: each reply (or refused request) sets the event.
HANDLE g_testEvent = nullptr;

void TestLineCallback(DWORD, DWORD message, DWORD_PTR, DWORD_PTR, DWORD_PTR, DWORD_PTR) {
  if (message == LINE_REPLY && g_testEvent) SetEvent(g_testEvent);
}

}  // namespace

void CMobilePhoneMgr::Test() {
  HLINEAPP app = nullptr;
  DWORD devices = 0;
  g_testEvent = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  if (lineInitialize(&app, CApp::GetAppInstance(), TestLineCallback, nullptr, &devices) == 0) {
    HLINE line = nullptr;
    if (lineOpen(app, 0, &line, 0x00020000, 0, 0, LINECALLPRIVILEGE_NONE, 0, nullptr) == 0) {
      for (int round = 0; round < kTestRounds; ++round) {
        const DWORD state = round % 2 == 0 ? LINEEQUIPSTATE_FULL : LINEEQUIPSTATE_MINIMUM;
        if (lineSetEquipmentState(line, state) < 0) SetEvent(g_testEvent);
        WaitForSingleObject(g_testEvent, INFINITE);
      }
      lineClose(line);
    }
    lineShutdown(app);
  }
  CloseHandle(g_testEvent);
  g_testEvent = nullptr;
}
