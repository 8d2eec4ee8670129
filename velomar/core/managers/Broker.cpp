#include "velomar/core/managers/Broker.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/kernel/kernel.h"
#include "platform/kernel/sync.h"
#include "platform/kernel/threads.h"
#include "platform/msgqueue/msgqueue.h"
#include "teskautils/TeskaUtils.h"
#include "velomar/core/Exceptions.h"
#include "velomar/core/Trace.h"
#include "velomar/ui/Translator.h"

namespace {

std::recursive_mutex g_instanceLock;
CBroker* g_instance = nullptr;

constexpr DWORD kMessageBytes = 4112;
constexpr DWORD kReadBytes = 1000;

}  // namespace

CBroker::CBroker() {
  {
    std::lock_guard<std::recursive_mutex> lock(g_instanceLock);
    g_instance = this;
  }
  MSGQUEUEOPTIONS options{};
  options.dwSize = 20;
  options.dwFlags = MSGQUEUE_NOPRECOMMIT | MSGQUEUE_ALLOW_BROKEN;
  options.dwMaxMessages = 0;
  options.cbMaxMessage = kMessageBytes;
  options.bReadAccess = TRUE;
  m_queue = CreateMsgQueue(u"BROKER_QUEUE_NAME", &options);
  if (m_queue == nullptr) {
    std::lock_guard<std::recursive_mutex> lock(g_instanceLock);
    g_instance = nullptr;
    throw CBaseException(CTranslator::GetInstance()->GetText(u"ERROR CREATING MESSAGING QUEUE").c_str());
  }
  m_stop = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  m_running = true;
  m_reader = CreateThread(nullptr, 0, ReaderThread, this, 0, nullptr);
  if (m_reader == nullptr) {
    CloseMsgQueue(m_queue);
    CloseHandle(m_stop);
    std::lock_guard<std::recursive_mutex> lock(g_instanceLock);
    g_instance = nullptr;
    throw CBaseException(CTranslator::GetInstance()->GetText(u"ERROR REGISTERING EVENT").c_str());
  }
}

CBroker::~CBroker() {
  {
    std::lock_guard<std::recursive_mutex> lock(g_instanceLock);
    if (g_instance == this) g_instance = nullptr;
  }
  m_running = false;
  SetEvent(m_stop);
  CloseMsgQueue(m_queue);
  WaitForSingleObject(m_reader, INFINITE);
  CloseHandle(m_reader);
  CloseHandle(m_stop);
}

CBroker* CBroker::GetBroker() {
  std::lock_guard<std::recursive_mutex> lock(g_instanceLock);
  return g_instance;
}

void CBroker::AddListener(IBrokerListener* listener) {
  std::lock_guard<std::recursive_mutex> lock(m_listenersLock);
  m_listeners.push_back(listener);
}

void CBroker::RemoveListener(IBrokerListener* listener) {
  std::lock_guard<std::recursive_mutex> lock(m_listenersLock);
  m_listeners.erase(std::remove(m_listeners.begin(), m_listeners.end(), listener), m_listeners.end());
}

void CBroker::NotifyListeners(DWORD notification) {
  std::lock_guard<std::recursive_mutex> lock(m_listenersLock);
  for (IBrokerListener* listener : m_listeners) listener->OnStateChanged(notification);
}

HRESULT CBroker::RegisterNotification(HKEY key, const WCHAR* sub_key, const WCHAR* value_name, DWORD mask,
                                      HREGNOTIFY* notification, int use_callback) {
  NOTIFICATIONCONDITION condition{};
  condition.ctComparisonType = REG_CT_ANYCHANGE;
  condition.dwMask = mask;
  condition.TargetValue.dw = 0;
  const HRESULT result =
      use_callback == 0
          ? RegistryNotifyMsgQueue(key, sub_key, value_name, u"BROKER_QUEUE_NAME", 0, &condition, notification)
          : RegistryNotifyCallback(key, sub_key, value_name, Callback, 0, &condition, notification);
  if (result != S_OK) ProcesarError(u"%s", CTranslator::GetInstance()->GetText(u"ERROR REGISTERING EVENT").c_str());
  return result;
}

void CBroker::Callback(HREGNOTIFY notification, DWORD, const BYTE*, UINT) {
  std::lock_guard<std::recursive_mutex> lock(g_instanceLock);
  if (g_instance) g_instance->NotifyListeners(static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(notification)));
}

DWORD CBroker::ReaderThread(LPVOID self) {
  static_cast<CBroker*>(self)->Read();
  return 0;
}

void CBroker::Read() {
  // A start-up pause, cut short by a stop.
  if (WaitForSingleObject(m_stop, 2000) != WAIT_TIMEOUT) return;
  std::vector<BYTE> buffer(kMessageBytes, 0);
  while (m_running.load()) {
    DWORD read = 0, flags = 0;
    if (ReadMsgQueue(m_queue, buffer.data(), kReadBytes, &read, 5000, &flags) && read >= 4) {
      DWORD handle = 0;
      std::memcpy(&handle, buffer.data(), 4);
      NotifyListeners(handle);
    } else if (WaitForSingleObject(m_stop, 1000) != WAIT_TIMEOUT) {
      break;
    }
  }
}
