// The band manager (id 5): the radio band mode of the phone, the registry value
// "\SOFTWARE\OEM\UMTS" "OpMode" (0 automatic, 1 2G, 2 3G; -1 off or unreadable). A change is
// made effective by a radio reset on its own telephony line: unregister, (on the models that
// need it, the modem's band command,) radio minimum, radio full, the SIM step, register again.
// One reset runs at a time; every path that ends a reset clears its running flag.
//
// The force flag (set by the band popup) lets a change through that would otherwise be ignored.
// The manager listens to the phone manager: any change there refreshes the band status.
#pragma once

#include <atomic>
#include <mutex>

#include "platform/phone/tapi.h"
#include "velomar/core/managers/LineRequests.h"
#include "velomar/core/managers/Mgr.h"

class CBandMgr : public CMgr, public IStatusListener {
 public:
  CBandMgr();
  ~CBandMgr() override;
  static CBandMgr* GetInstance();

  // Status from the registry, then the line is opened.
  void Initialize() override;
  int NotifiesOnRefresh() override { return 1; }
  int GetId() override { return MGR_BAND; }
  void RefreshStatusChild(int force) override;
  void SetStatusChild(int mode, int minutes) override;
  void SetRestStatus() override {}
  // A time-limited mode ends: the force flag is cleared and mode `notification_id` set.
  void ProcessTimerNotification(int notification_id) override;
  std::u16string GetName() override;
  std::u16string GetStatusText(int status) override;

  // IStatusListener: the phone changed; the band status is read again.
  void StatusChanged(int status, int mgr_id, int event) override;

  // "OpMode": 0, 1 or 2 as stored; -1 when the value is missing or another value; 0 when the
  // key is missing.
  int ReadMode();
  void SetUserRequest(int flag) { m_userRequest = flag; }
  int GetUserRequest() const { return m_userRequest.load(); }
  bool IsResetRunning() const { return m_resetRunning.load(); }

 private:
  static void LineCallback(DWORD device, DWORD message, DWORD_PTR instance, DWORD_PTR param1, DWORD_PTR param2,
                           DWORD_PTR param3);
  void OnLineReply(LONG request, LONG result);
  // Starts the radio reset; false when its first request was refused at once.
  bool StartReset();
  void EndReset() { m_resetRunning = false; }
  // Requests equipment state `state`, keeping the request id in `slot`; a refusal ends the reset.
  void Request(std::atomic<LONG>& slot, DWORD state);
  void RequestRegistration();
  void RefusedAtOnce();
  HLINE Line();

  std::mutex m_lineLock;
  HLINEAPP m_lineApp = nullptr;
  CLineRequests m_requests;
  HLINE m_line = nullptr;
  std::atomic<bool> m_resetRunning{false};
  std::atomic<int> m_userRequest{0};
};
