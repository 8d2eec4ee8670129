// The backlight manager (id 52): the display brightness on battery (low 16 bits of the status)
// and on external power (high 16 bits). With the setting "backlight_mode" 0 the levels go to the
// registry and the backlight driver is signalled; otherwise the device's backlight applet is
// opened and its two sliders are tapped. It reads nothing back.
#pragma once

#include "velomar/core/managers/Mgr.h"

class CBacklightMgr : public CMgr {
 public:
  CBacklightMgr();
  ~CBacklightMgr() override;
  static CBacklightMgr* GetInstance();

  void Initialize() override {}
  int NotifiesOnRefresh() override { return 1; }
  int GetId() override { return MGR_BACKLIGHT; }
  void RefreshStatusChild(int) override {}
  void SetStatusChild(int status, int minutes) override;
  void SetRestStatus() override {}
  std::u16string GetName() override;
  // "[battery-external]".
  std::u16string GetStatusText(int status) override;

  // Both levels at once (the low 16 bits of each): a status change to (battery | external << 16).
  void SetBrightness(DWORD battery, DWORD external) {
    SetStatus(static_cast<int>((battery & 0xFFFFu) | ((external & 0xFFFFu) << 16)), 0, 0, 0);
  }

  // Starts the backlight applet and answers its window (the foreground window 5 s later), or null.
  HWND OpenApplet();

 private:
  void ApplyThroughRegistry(DWORD battery, DWORD external);
  void ApplyThroughApplet(DWORD battery, DWORD external);
};
