// The Bluetooth manager (id 1): the radio mode, 0 off, 1 connectable, 2 discoverable (-1 when it
// cannot be read or the manager is switched off). The stack's notifications arrive in a queue of
// the manager's; its reader thread wakes the main window (WM_BT_EVENT), which calls
// OnBluetoothEvent. With "intelligent_bt" on, an active call makes the radio discoverable and
// the end of the call restores the mode saved at its start.
#pragma once

#include <atomic>

#include "platform/registry/registry_notify.h"
#include "velomar/core/managers/Broker.h"
#include "velomar/core/managers/Mgr.h"

// Posted to the main window by the reader thread and by a failed mode read.
constexpr UINT WM_BT_EVENT = 0x8001;  // WM_APP + 1

class CBTMgr : public CMgr, public IBrokerListener {
 public:
  CBTMgr();
  ~CBTMgr() override;
  static CBTMgr* GetInstance();

  void Initialize() override;
  int NotifiesOnRefresh() override { return 1; }
  int GetId() override { return MGR_BT; }
  void RefreshStatusChild(int force) override;
  void SetStatusChild(int status, int minutes) override;
  void SetRestStatus() override { SetStatus(2, 0, 0, 0); }
  // A time limit's notification id is the mode to return to.
  void ProcessTimerNotification(int notification_id) override { SetStatus(notification_id, 0, 0, 0); }
  void HandleCommand(int, int) override {}
  std::u16string GetName() override;
  std::u16string GetStatusText(int status) override;
  // The active call count changed.
  void OnStateChanged(DWORD notification) override;

  // The main window's handler of WM_BT_EVENT: counts the event and refreshes.
  void OnBluetoothEvent();
  // The read end of the notification queue (null before Initialize).
  HANDLE GetQueue() const { return m_queue; }
  // Failed mode reads in a row.
  DWORD GetRetryCount() const { return m_retryCount.load(); }

 private:
  static DWORD ReaderThread(LPVOID self);
  void PostToMainWindow();

  std::atomic<HREGNOTIFY> m_callNotification{nullptr};
  HANDLE m_queue = nullptr;
  HANDLE m_notifications = nullptr;
  HANDLE m_reader = nullptr;
  HANDLE m_stop = nullptr;  // set when the reader must end (cuts its start-up pause short)
  std::atomic<DWORD> m_retryCount{0};
  std::atomic<int> m_savedMode{0};
  std::atomic<bool> m_modeSaved{false};
  bool m_listening = false;
};
