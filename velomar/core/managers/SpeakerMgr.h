// The speaker manager (id 2): the phone's sound profile for all sound events: 2 on, 1 vibrate,
// 0 silent; -1 when the profile is a sound file. Switching on applies the pending volume level
// (when above 0). A poll thread refreshes the status every 10 s, as other programs change it too.
#pragma once

#include <atomic>

#include "velomar/core/managers/Mgr.h"

class CSpeakerMgr : public CMgr {
 public:
  CSpeakerMgr();
  ~CSpeakerMgr() override;
  static CSpeakerMgr* GetInstance();

  void Initialize() override {}
  int NotifiesOnRefresh() override { return 1; }
  int GetId() override { return MGR_SPEAKER; }
  void RefreshStatusChild(int force) override;
  void SetStatusChild(int status, int minutes) override;
  void SetRestStatus() override { SetStatus(2, 0, 0, 0); }
  void ProcessTimerNotification(int notification_id) override { SetStatus(notification_id, 0, 0, 0); }
  std::u16string GetName() override;
  std::u16string GetStatusText(int status) override;

  // The volume level the next switch to "on" applies (1 to 5 give 51 to 255; -1 none).
  void SetPendingValue(int level) { m_volumeLevel = level; }
  int GetPendingValue() const { return m_volumeLevel.load(); }
  // Ends the poll thread and waits for it (also done by the destructor).
  void StopPolling();

 private:
  static DWORD PollThread(LPVOID self);

  std::atomic<int> m_volumeLevel{-1};
  HANDLE m_pollStop = nullptr;
  HANDLE m_pollThread = nullptr;
};
