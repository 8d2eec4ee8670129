// The call forwarding manager (id 51): switches unconditional forwarding of the phone line to the
// stored number on (any status but 0) and off (0). It reads nothing back.
#pragma once

#include <mutex>
#include <string>

#include "velomar/core/managers/Mgr.h"

class CCallForwardMgr : public CMgr {
 public:
  // The longest number the forward list holds (40 bytes with its terminator).
  static constexpr std::size_t kMaxNumberChars = 19;

  CCallForwardMgr();
  ~CCallForwardMgr() override;
  static CCallForwardMgr* GetInstance();

  void Initialize() override {}
  int NotifiesOnRefresh() override { return 1; }
  int GetId() override { return MGR_CALLFORWARD; }
  void RefreshStatusChild(int) override {}
  void SetStatusChild(int status, int minutes) override;
  void SetRestStatus() override {}
  std::u16string GetName() override;
  std::u16string GetStatusText(int status) override;

  void SetNumber(const std::u16string& number);
  std::u16string GetNumber();
  // Asks the line to forward to `number` (on) or to stop forwarding (off), then waits 10 s. A
  // band change under way is waited for first (its radio reset would make the line refuse). A
  // number longer than 19 characters makes no request and is reported; a request the line refuses
  // is written to the event log as a warning.
  void Forward(int on, const std::u16string& number);

 private:
  void ReportFailure(LONG code);
  std::mutex m_numberLock;
  std::u16string m_number;
};
