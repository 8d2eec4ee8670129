#include "velomar/core/managers/WifiMgr.h"

#include "platform/kernel/sync.h"
#include "platform/libraries/libraries.h"
#include "platform/power/power.h"
#include "platform/registry/registry.h"
#include "teskautils/TeskaUtils.h"
#include "velomar/core/Trace.h"
#include "velomar/ui/Translator.h"

namespace {

std::atomic<CWifiMgr*> g_instance{nullptr};

constexpr const WCHAR* kStateKey = u"System\\State\\Hardware";
constexpr const WCHAR* kPowerStateKey = u"System\\CurrentControlSet\\Control\\Power\\State";
constexpr const char16_t* kAdapterClass = u"{98C5250D-C29A-4985-AE5F-AFE5367E5006}";
constexpr DWORD kServiceWaitMs = 5000;

template <class Fn>
Fn EntryPoint(FARPROC proc) {
  return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(proc));
}

}  // namespace

CWifiMgr::CWifiMgr() : CMgr(MGR_WIFI) {}

CWifiMgr::~CWifiMgr() {
  Stop();
  if (m_listening) {
    if (CBroker* broker = CBroker::GetBroker()) broker->RemoveListener(this);
  }
  if (HREGNOTIFY registration = m_notification.exchange(nullptr)) RegistryCloseNotification(registration);
  CWifiMgr* self = this;
  g_instance.compare_exchange_strong(self, nullptr);
}

CWifiMgr* CWifiMgr::GetInstance() { return g_instance.load(); }

void CWifiMgr::Initialize() {
  g_instance = this;
  if (!Refreshes(GetId())) {
    SetUnavailable();
    return;
  }
  InitializeBase();
}

void CWifiMgr::InitializeBase() {
  if (!FindAdapter()) {
    SetUnavailable();
    return;
  }
  m_available = true;
  if (CBroker* broker = CBroker::GetBroker()) {
    if (!m_listening) {
      broker->AddListener(this);
      m_listening = true;
    }
    if (!m_notification.load()) {
      HREGNOTIFY registration = nullptr;
      broker->RegisterNotification(HKEY_LOCAL_MACHINE, kStateKey, u"Wifi", 0xFFFFFFFFu, &registration, 0);
      m_notification = registration;
    }
  }
  RefreshStatus(0);
}

bool CWifiMgr::FindAdapter() {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kPowerStateKey, 0, 0, &key) != ERROR_SUCCESS) return false;
  bool found = false;
  for (DWORD index = 0; !found; ++index) {
    WCHAR name[101] = {};
    DWORD chars = 101;
    if (RegEnumValueW(key, index, name, &chars, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    const std::u16string text(name);
    if (text.find(kAdapterClass) != std::u16string::npos) {
      m_adapterName = text;
      found = true;
    }
  }
  RegCloseKey(key);
  return found;
}

void CWifiMgr::RefreshStatusChild(int /*force*/) {
  if (!IsAvailable()) return;
  DWORD value = 0;
  if (FAILED(RegistryGetDWORD(HKEY_LOCAL_MACHINE, kStateKey, u"Wifi", &value))) {
    SetStatusValue(-1);
    return;
  }
  SetStatusValue(value > 5 ? 1 : 0);
}

void CWifiMgr::SetStatusChild(int status, int /*minutes*/) {
  Trace(0, u"CWifiMgr::SetStatusChild(%d)", status);
  ClearTimeLimitNotification(-1);
  if (!IsAvailable()) return;
  const DWORD result =
      SetDevicePower(const_cast<WCHAR*>(m_adapterName.c_str()), POWER_NAME, status != 0 ? D0 : D4);
  if (result == ERROR_SUCCESS) {
    FireStatusChanged(status);
  } else {
    ProcesarError(u"Error swapping wifi");
    SetStatusValue(-1);
  }
}

void CWifiMgr::ProcessTimerNotification(int /*notification_id*/) { Toggle(); }

void CWifiMgr::Toggle() {
  if (GetStatus() != 0)
    SetStatus(0, 0, 0, 0);
  else
    SetStatus(1, 0, 0, 0);
}

void CWifiMgr::OnStateChanged(DWORD notification) {
  const HREGNOTIFY registration = m_notification.load();
  if (registration != nullptr && notification == static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(registration)))
    RefreshStatus(0);
}

std::u16string CWifiMgr::GetName() { return CTranslator::GetInstance()->GetText(u"EVENT_LOG_MGR_WIFI_NAME"); }

std::u16string CWifiMgr::GetStatusText(int status) {
  return CTranslator::GetInstance()->GetText(status == 1 ? u"EVENT_LOG_MGR_WIFI_STATUS_ON"
                                                         : u"EVENT_LOG_MGR_WIFI_STATUS_OFF");
}

CWifiOssVcsMgr::CWifiOssVcsMgr() {
  g_instance = this;
  m_serviceLock = CreateMutexW(nullptr, FALSE, nullptr);
}

CWifiOssVcsMgr::~CWifiOssVcsMgr() {
  Stop();
  if (m_library) FreeLibrary(m_library);
  m_library = nullptr;
  if (m_serviceLock) CloseHandle(m_serviceLock);
  m_serviceLock = nullptr;
}

void CWifiOssVcsMgr::Initialize() {
  g_instance = this;
  if (!Refreshes(GetId())) {
    SetUnavailable();
    return;
  }
  if (!m_library) m_library = LoadLibraryW(u"ossvcs.dll");
  if (m_library) {
    m_getDevices = EntryPoint<GetDevicesFn>(GetProcAddressW(m_library, MAKEINTRESOURCEW(276)));
    m_changeState = EntryPoint<ChangeStateFn>(GetProcAddressW(m_library, MAKEINTRESOURCEW(273)));
    m_freeDevices = EntryPoint<FreeDevicesFn>(GetProcAddressW(m_library, MAKEINTRESOURCEW(280)));
  }
  if (!m_library || !m_getDevices || !m_changeState || !m_freeDevices) {
    if (m_library) FreeLibrary(m_library);
    m_library = nullptr;
    SetUnavailable();
    return;
  }
  InitializeBase();
}

void CWifiOssVcsMgr::RefreshStatusChild(int /*force*/) {
  // Without the service the manager stays unavailable.
  if (!IsAvailable() || !m_library) return;
  int wifi = 0;
  int phone = 0;
  int bluetooth = 0;
  GetRadioStates(&wifi, &phone, &bluetooth);
  SetStatusValue(wifi == 1 ? 1 : 0);
}

void CWifiOssVcsMgr::ForceStatusChild(int status) {
  Trace(0, u"CWifiOssVcsMgr::ForceStatusChild(%d)", status);
  if (!IsAvailable() || !m_library) return;
  int wifi = 0;
  int phone = 0;
  int bluetooth = 0;
  GetRadioStates(&wifi, &phone, &bluetooth);
  ChangeRadioStates(RADIODEVICES_MANAGED, status == 1 ? 1 : 0);
  if (status == 0) CWifiMgr::SetStatusChild(0, 0);
  GetRadioStates(&wifi, &phone, &bluetooth);
}

int CWifiOssVcsMgr::GetRadioStates(int* wifi, int* phone, int* bluetooth) {
  if (!m_library) return 0;
  WaitForSingleObject(m_serviceLock, kServiceWaitMs);  // goes on after a time-out
  RDD* devices = nullptr;
  int result = -1;
  if (SUCCEEDED(m_getDevices(&devices, 0))) {
    result = 0;
    for (RDD* device = devices; device != nullptr; device = device->pNext) {
      const int state = static_cast<int>(device->dwState);
      if (device->DeviceType == RADIODEVICES_MANAGED && wifi) *wifi = state;
      if (device->DeviceType == RADIODEVICES_PHONE && phone) *phone = state;
      if (device->DeviceType == RADIODEVICES_BLUETOOTH && bluetooth) *bluetooth = state;
    }
    m_freeDevices(devices);
  }
  ReleaseMutex(m_serviceLock);
  return result;
}

int CWifiOssVcsMgr::ChangeRadioStates(int device_type, int state) {
  if (!m_library) return -1;
  WaitForSingleObject(m_serviceLock, kServiceWaitMs);
  RDD* devices = nullptr;
  int result = -1;
  if (SUCCEEDED(m_getDevices(&devices, 0))) {
    result = 0;
    for (RDD* device = devices; device != nullptr; device = device->pNext) {
      if (static_cast<int>(device->DeviceType) != device_type) continue;
      result = SUCCEEDED(m_changeState(device, static_cast<DWORD>(state), RADIODEVICES_POST_SAVE)) ? 0 : -2;
    }
    m_freeDevices(devices);
  }
  ReleaseMutex(m_serviceLock);
  return result;
}
