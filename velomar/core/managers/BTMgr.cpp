#include "velomar/core/managers/BTMgr.h"

#include "platform/bluetooth/bluetooth.h"
#include "platform/kernel/sync.h"
#include "platform/kernel/threads.h"
#include "platform/msgqueue/msgqueue.h"
#include "platform/registry/registry.h"
#include "platform/window/window.h"
#include "velomar/core/Config.h"
#include "velomar/core/Trace.h"
#include "velomar/core/app/App.h"
#include "velomar/ui/Translator.h"

namespace {

std::atomic<CBTMgr*> g_instance{nullptr};

constexpr const WCHAR* kPhoneStateKey = u"System\\State\\Phone";
constexpr const WCHAR* kCallCount = u"Active Call Count";
constexpr DWORD kMaxRetries = 15;

}  // namespace

CBTMgr::CBTMgr() : CMgr(MGR_BT) {
  g_instance = this;
  m_stop = CreateEventW(nullptr, TRUE, FALSE, nullptr);
}

CBTMgr::~CBTMgr() {
  Stop();
  if (m_listening) {
    if (CBroker* broker = CBroker::GetBroker()) broker->RemoveListener(this);
  }
  if (HREGNOTIFY registration = m_callNotification.exchange(nullptr)) RegistryCloseNotification(registration);
  if (m_notifications) StopBluetoothNotifications(m_notifications);
  // The stop event ends the reader's pause, closing the queue its read.
  if (m_stop) SetEvent(m_stop);
  if (m_queue) CloseMsgQueue(m_queue);
  if (m_reader) {
    WaitForSingleObject(m_reader, INFINITE);
    CloseHandle(m_reader);
  }
  if (m_stop) CloseHandle(m_stop);
  CBTMgr* self = this;
  g_instance.compare_exchange_strong(self, nullptr);
}

CBTMgr* CBTMgr::GetInstance() { return g_instance.load(); }

void CBTMgr::Initialize() {
  if (!Refreshes(GetId())) {
    SetStatusValue(-1);
    return;
  }
  MSGQUEUEOPTIONS options{};
  options.dwSize = sizeof options;
  options.dwFlags = MSGQUEUE_NOPRECOMMIT;
  options.dwMaxMessages = 0;
  options.cbMaxMessage = 100;
  options.bReadAccess = TRUE;
  m_queue = CreateMsgQueue(nullptr, &options);
  m_notifications = m_queue ? RequestBluetoothNotifications(BTE_CLASS_STACK, m_queue) : nullptr;
  if (m_notifications == nullptr) SetStatusValue(-1);
  if (m_queue) m_reader = CreateThread(nullptr, 0, ReaderThread, this, 0, nullptr);
  RefreshStatus(1);
  if (CBroker* broker = CBroker::GetBroker()) {
    broker->AddListener(this);
    m_listening = true;
    HREGNOTIFY registration = nullptr;
    broker->RegisterNotification(HKEY_LOCAL_MACHINE, kPhoneStateKey, kCallCount, 0xFFFFFFFFu, &registration, 1);
    m_callNotification = registration;
  }
}

DWORD CBTMgr::ReaderThread(LPVOID self) {
  auto* mgr = static_cast<CBTMgr*>(self);
  if (WaitForSingleObject(mgr->m_stop, 1000) != WAIT_TIMEOUT) return 0;
  BYTE buffer[1000];
  DWORD read = 0;
  DWORD flags = 0;
  while (ReadMsgQueue(mgr->m_queue, buffer, sizeof buffer, &read, INFINITE, &flags)) mgr->PostToMainWindow();
  return 0;
}

void CBTMgr::PostToMainWindow() {
  CApp* app = CApp::GetApp();
  HWND window = app ? app->GetMainWindowHandle() : nullptr;
  if (window) PostMessageW(window, WM_BT_EVENT, 0, 0);
}

void CBTMgr::OnBluetoothEvent() {
  CountEvent();
  RefreshStatus(0);
}

void CBTMgr::RefreshStatusChild(int /*force*/) {
  DWORD mode = 0;
  if (BthGetMode(&mode) != 0) {
    SetStatusValue(-1);
    const DWORD failures = m_retryCount.fetch_add(1) + 1;
    if (failures < kMaxRetries) {
      Sleep(1000);
      PostToMainWindow();
    }
    return;
  }
  m_retryCount = 0;
  if (mode <= 2) SetStatusValue(static_cast<int>(mode));
}

void CBTMgr::SetStatusChild(int status, int /*minutes*/) {
  Trace(0, u"CBTMgr::SetStatusChild(%d)", status);
  if (status == 0) {
    BthSetMode(0);
    ClearTimeLimitNotification(-1);
  } else if (status == 1 || status == 2) {
    BthSetMode(static_cast<DWORD>(status));
  }
}

void CBTMgr::OnStateChanged(DWORD notification) {
  const HREGNOTIFY registration = m_callNotification.load();
  if (registration == nullptr || notification != static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(registration))) return;
  DWORD count = 0;
  const bool read = SUCCEEDED(RegistryGetDWORD(HKEY_LOCAL_MACHINE, kPhoneStateKey, kCallCount, &count));
  const bool intelligent = CConfig::GetInstance()->GetDWORD(u"intelligent_bt") != 0;
  if (read && count == 1) {
    // A second call (count 2) keeps the mode saved at the first one's start.
    if (!m_modeSaved.load()) {
      m_savedMode = GetStatus();
      m_modeSaved = true;
    }
    if (intelligent) SetStatus(2, 0, 0, 0);
  } else if (read && count > 1) {
    // Still in a call: nothing to restore yet.
  } else if (m_modeSaved.exchange(false)) {
    if (intelligent) SetStatus(m_savedMode.load(), 0, 0, 0);
  }
}

std::u16string CBTMgr::GetName() { return CTranslator::GetInstance()->GetText(u"EVENT_LOG_MGR_BT_NAME"); }

std::u16string CBTMgr::GetStatusText(int status) {
  switch (status) {
    case 0: return CTranslator::GetInstance()->GetText(u"EVENT_LOG_MGR_BT_STATUS_OFF");
    case 1: return CTranslator::GetInstance()->GetText(u"EVENT_LOG_MGR_BT_STATUS_CONNECTABLE");
    case 2: return CTranslator::GetInstance()->GetText(u"EVENT_LOG_MGR_BT_STATUS_DISCOVERABLE");
    default: return u"unknown";
  }
}
