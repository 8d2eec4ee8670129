// The power manager (id 9): puts the whole device into a system power state (forced). It reads
// nothing back: its status is the state last set.
#pragma once

#include "velomar/core/managers/Mgr.h"

class CCpuMgr : public CMgr {
 public:
  CCpuMgr();
  ~CCpuMgr() override;
  static CCpuMgr* GetInstance();

  void Initialize() override {}
  int NotifiesOnRefresh() override { return 1; }
  int GetId() override { return MGR_CPU; }
  void RefreshStatusChild(int) override {}
  void SetStatusChild(int status, int minutes) override;
  void SetRestStatus() override {}
  std::u16string GetName() override;
  std::u16string GetStatusText(int status) override;
};
