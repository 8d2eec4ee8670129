// The beam manager (id 50): switches the receiving of beamed objects on (1) and off (0) through
// the object-exchange service's device "OBX0:". It reads nothing back.
#pragma once

#include "velomar/core/managers/Mgr.h"

class CBeamMgr : public CMgr {
 public:
  CBeamMgr();
  ~CBeamMgr() override;
  static CBeamMgr* GetInstance();

  void Initialize() override {}
  int NotifiesOnRefresh() override { return 1; }
  int GetId() override { return MGR_BEAM; }
  void RefreshStatusChild(int) override {}
  void SetStatusChild(int status, int minutes) override;
  void SetRestStatus() override {}
  std::u16string GetName() override;
  std::u16string GetStatusText(int status) override;
};
