// The item window's procedure: the host's refresh queries, Velomar's status messages, the
// background through the host, and taps handed to Velomar's main window.
#include "platform/window/window.h"
#include "todayvelomar/TodayItemState.h"
#include "todayvelomar/TodayVelomar.h"

namespace todayvelomar {
namespace {

// Every message to the main window is posted: the item runs on the host's thread, which must
// never wait for Velomar (a tap opens a popup there). A failed post (Velomar gone) is ignored.
void PostToMain(UINT msg) {
  ItemState& s = State();
  if (s.mainWindow) PostMessageW(s.mainWindow, msg, reinterpret_cast<WPARAM>(s.window), 0);
}

// The host asks whether the item must be drawn again; the answer is 1 or 0.
LRESULT OnQueryRefresh(TODAYLISTITEM* item) {
  ItemState& s = State();
  // Only the record the host gave at creation is written: a query from anywhere else carries no
  // record of ours.
  if (item != nullptr && item == s.item) item->cyp = s.printPlace ? 35 : 25;
  HWND found = FindWindowW(kVelomarMainWindowClass, nullptr);
  if (found) {
    s.mainWindowPresent = true;
    if (found != s.mainWindow || s.firstTime) {
      s.firstTime = false;
      s.mainWindow = found;
      // A Velomar (again): the place and period it wrote.
      ReadSettingString(kTodaySettingPlace, s.currentPlace, kSettingChars);
      ReadSettingString(kTodaySettingFrame, s.currentFrame, kSettingChars);
      s.refreshNeeded = true;
      PostToMain(WM_TODAY_REGISTER);
      return 0;
    }
    if (s.refreshNeeded) return 1;
    // No status has come yet (Velomar was not ready for the registration): register again.
    if (s.statuses[2] == -1) PostToMain(WM_TODAY_REGISTER);
    return 0;
  }
  if (s.mainWindowPresent) {
    // Velomar quit (or was ended): its handle is kept, the icons show "unknown" until it is
    // back, and neither its cell nor its place and period are shown as if still current.
    s.mainWindowPresent = false;
    for (int& status : s.statuses) status = -1;
    s.cellId = 0;
    s.lac = 0;
    s.currentPlace[0] = 0;
    s.currentFrame[0] = 0;
    return 1;
  }
  return 0;
}

// A tap at x (item coordinates): icons are 25 pixels wide from x = 0, the text lies right of 150.
void OnTap(LPARAM lparam) {
  if (State().mainWindow == nullptr) return;
  const int x = static_cast<int>(lparam & 0xFFFF);
  if (x > 150) {
    PostToMain(WM_TODAY_TAP_TEXT);
    return;
  }
  const int slot = x <= 25 ? 0 : (x - 1) / 25;
  PostToMain(WM_TODAY_TAP_ICON0 + static_cast<UINT>(slot));
}

}  // namespace
}  // namespace todayvelomar

LRESULT TodayItemWndProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  using namespace todayvelomar;
  ItemState& s = State();
  switch (msg) {
    case WM_TODAYCUSTOM_CLEARCACHE:
      s.refreshNeeded = true;
      return 0;
    case WM_TODAYCUSTOM_QUERYREFRESHCACHE:
      return OnQueryRefresh(reinterpret_cast<TODAYLISTITEM*>(lparam));
    case WM_TODAY_STATE:
      s.cellId = static_cast<int>(wparam);
      s.lac = static_cast<int>(lparam);
      s.refreshNeeded = true;
      return 0;
    case WM_TODAY_MGR_STATUS:
      // Ids beyond the six icons (the radio interface, power, ...) are not shown.
      if (wparam < static_cast<WPARAM>(kTodayIconSlots)) s.statuses[wparam] = static_cast<int>(lparam);
      s.refreshNeeded = true;
      return 0;
    case WM_TODAY_PLACE_CHANGED:
      ReadSettingString(kTodaySettingPlace, s.currentPlace, kSettingChars);
      ReadSettingString(kTodaySettingFrame, s.currentFrame, kSettingChars);
      s.refreshNeeded = true;
      return 0;
    case WM_PAINT:
      PaintItem(hwnd);
      return 0;
    case WM_ERASEBKGND: {
      TODAYDRAWWATERMARKINFO info{};
      info.hdc = reinterpret_cast<HDC>(wparam);
      GetClientRect(hwnd, &info.rc);
      info.hwnd = hwnd;
      SendMessageW(GetParent(hwnd), TODAYM_DRAWWATERMARK, 0, reinterpret_cast<LPARAM>(&info));
      return 1;
    }
    case WM_LBUTTONUP:
      OnTap(lparam);
      return 0;
    case WM_DESTROY:
      UnregisterClassW(u"VelomarTP", s.module);
      if (s.window == hwnd) s.window = nullptr;
      return 0;
    default:
      return DefWindowProcW(hwnd, msg, wparam, lparam);
  }
}
