// The Wi-Fi managers (id 0): status 1 on, 0 off, -1 unavailable. CWifiMgr powers the adapter
// through the power manager and reads the shell's "Wifi" hardware state; CWifiOssVcsMgr switches
// the radio through the wireless device services ("ossvcs.dll") and powers the adapter down when
// switching off. Both refresh when the broker reports a change of the "Wifi" state value.
#pragma once

#include <atomic>
#include <string>

#include "platform/registry/registry_notify.h"
#include "platform/wireless/wireless.h"
#include "velomar/core/managers/Broker.h"
#include "velomar/core/managers/Mgr.h"

class CWifiMgr : public CMgr, public IBrokerListener {
 public:
  CWifiMgr();
  ~CWifiMgr() override;
  // The Wi-Fi manager of the process (the last one built or initialised).
  static CWifiMgr* GetInstance();

  void Initialize() override;
  int NotifiesOnRefresh() override { return 1; }
  int GetId() override { return MGR_WIFI; }
  void RefreshStatusChild(int force) override;
  void SetStatusChild(int status, int minutes) override;
  void SetRestStatus() override { SetStatus(1, 0, 0, 0); }
  void ProcessTimerNotification(int notification_id) override;
  std::u16string GetName() override;
  std::u16string GetStatusText(int status) override;
  void OnStateChanged(DWORD notification) override;

  // Status not 0: switch off, else on.
  void Toggle();
  // The adapter's power-manager name from the power state key; false (status -1) when absent.
  bool FindAdapter();
  const std::u16string& GetAdapterName() const { return m_adapterName; }

 protected:
  // Finds the adapter, registers for the "Wifi" state and refreshes.
  void InitializeBase();
  bool IsAvailable() const { return m_available.load(); }
  void SetUnavailable() {
    m_available = false;
    SetStatusValue(-1);
  }

 private:
  std::u16string m_adapterName;
  std::atomic<HREGNOTIFY> m_notification{nullptr};
  std::atomic<bool> m_available{false};
  bool m_listening = false;
};

class CWifiOssVcsMgr : public CWifiMgr {
 public:
  CWifiOssVcsMgr();
  ~CWifiOssVcsMgr() override;

  void Initialize() override;
  void RefreshStatusChild(int force) override;
  void SetStatusChild(int status, int /*minutes*/) override { ForceStatusChild(status); }
  void ForceStatusChild(int status);

  // The current state of the last listed device of each type (1 Wi-Fi, 2 phone, 3 Bluetooth);
  // a type not listed keeps the caller's value. -1 when the list was not obtained, 0 otherwise
  // (at once when the library is not loaded).
  int GetRadioStates(int* wifi, int* phone, int* bluetooth);
  // Switches every device of the type; 0 when the last change succeeded or the list is empty,
  // -2 when it failed, -1 when the list was not obtained.
  int ChangeRadioStates(int device_type, int state);

 private:
  using GetDevicesFn = HRESULT (*)(RDD**, DWORD);
  using ChangeStateFn = HRESULT (*)(RDD*, DWORD, SAVEACTION);
  using FreeDevicesFn = HRESULT (*)(RDD*);

  HANDLE m_serviceLock = nullptr;
  HMODULE m_library = nullptr;
  GetDevicesFn m_getDevices = nullptr;
  ChangeStateFn m_changeState = nullptr;
  FreeDevicesFn m_freeDevices = nullptr;
};
