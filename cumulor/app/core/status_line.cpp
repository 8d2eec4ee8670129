#include "cumulor/app/core/status_line.h"

#include <atomic>

#include "cumulor/app/core/main_lock.h"
#include "cumulor/app/core/message_pump.h"
#include "cumulor/app/ui/fonts.h"
#include "cumulor/app/ui/screen_layout.h"
#include "cumulor/map/draw/map_overlays.h"
#include "platform/dialogs/dialogs.h"
#include "platform/gdi/gdi.h"
#include "platform/menus/menus.h"
#include "platform/resources/resources.h"
#include "platform/window/window.h"

namespace cumulor {
namespace {

std::atomic<UINT> g_lastId{0};

void SetPopupText(AppContext& app) {
  MapPopup popup;
  popup.kind = kPopupStatusLine;
  popup.text = app.statusText;
  MapSetPopupTarget(app.map, popup);
}

void CopyText(AppContext& app, const WCHAR* text) {
  std::size_t i = 0;
  for (; text && text[i] && i + 1 < std::size(app.statusText); ++i) app.statusText[i] = text[i];
  app.statusText[i] = 0;
}

}  // namespace

UINT LastStatusId() { return g_lastId.load(); }

void DrawStatusNow(AppContext& app) {
  if (!app.mainWindow) return;
  HDC dc = GetDC(app.mainWindow);
  if (!dc) return;
  MapDrawPointPopup(app.map, dc);
  ReleaseDC(app.mainWindow, dc);
}

void ShowStatusStringId(AppContext& app, UINT id) {
  MainLockGuard guard(app);
  if (app.statusHeld && id == g_lastId.load()) return;
  g_lastId = id;
  WCHAR text[256] = {};
  if (LoadStringW(app.instance, id, text, 256) <= 0) return;
  CopyText(app, text);
  SetPopupText(app);
  app.statusHeld = 1;
  DrawStatusNow(app);
}

void ShowStatusText(AppContext& app, const WCHAR* text) {
  MainLockGuard guard(app);
  CopyText(app, text);
  SetPopupText(app);
  app.statusHeld = 1;
  DrawStatusNow(app);
}

void ShowStatusTextPlain(AppContext& app, const WCHAR* text) {
  MainLockGuard guard(app);
  CopyText(app, text);
  SetPopupText(app);
  DrawStatusNow(app);
}

void ShowStatusTextSticky(AppContext& app, const WCHAR* text) {
  MainLockGuard guard(app);
  CopyText(app, text);
  SetPopupText(app);
  app.statusHeld = 1;
  app.statusSticky = 1;
}

void ClearStatusText(AppContext& app, bool force) {
  MainLockGuard guard(app);
  if (force) {
    g_lastId = 0;
    app.statusHeld = 0;
    app.statusSticky = 0;
  } else if (!app.statusHeld) {
    g_lastId = 0;
  } else if (!app.statusSticky) {
    app.statusHeld = 0;
  }
  if (!app.statusHeld) {
    app.statusText[0] = 0;
    MapSetPopupTarget(app.map, MapPopup{});
  }
}

void ShowStatusBox(AppContext& app, UINT id) {
  if (!app.mainWindow) return;
  HDC dc = GetDC(app.mainWindow);
  if (!dc) return;
  const RECT& m = app.mapRect;
  HGDIOBJ oldPen = SelectObject(dc, app.blackPen[1]);
  Rectangle(dc, m.left + 30, m.top + 50, m.right - 30, m.bottom - 50);
  SelectObject(dc, oldPen);
  WCHAR text[512] = {};
  LoadStringW(app.instance, id, text, 512);
  MainLockGuard guard(app);
  CopyText(app, text);
  RECT r = m;
  DrawTextW(dc, app.statusText, -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  app.statusText[0] = 0;
  ReleaseDC(app.mainWindow, dc);
}

void ShowZoomMenu(AppContext& app, int position) {
  HMENU menu = LoadMenuW(app.instance, MAKEINTRESOURCEW(103));
  if (!menu) return;
  app.zoomSubmenu = GetSubMenu(menu, position);
  if (position != 0 || !app.zoomSubmenu) return;
  CheckMenuRadioItem(app.zoomSubmenu, 0, 11, static_cast<UINT>(app.zoomIndex), MF_BYPOSITION);
  app.menuClosed = 0;
  POINT at{(app.mapRect.left + app.mapRect.right) / 2, app.mapRect.top + Layout().iconSize};
  ClientToScreen(app.mainWindow, &at);
  TrackPopupMenuEx(app.zoomSubmenu, TPM_CENTERALIGN, at.x, at.y, app.mainWindow, nullptr);
  DestroyMenu(menu);
  app.zoomSubmenu = nullptr;
}

void CloseMenuLoop(AppContext& app) {
  if (app.menuClosed) return;
  PostMessageW(app.mainWindow, WM_KEYUP, VK_ESCAPE, static_cast<LPARAM>(0xC0010001u));
  PumpMessages();
}

void SetActiveDialog(AppContext& app, HWND dialog, std::uint8_t clear) {
  if (dialog) {
    app.activeDialog = dialog;
    SetWindowPos(dialog, nullptr, 0, -2, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    app.dialogActive = 1;
  } else {
    app.activeDialog = nullptr;
    if (clear) app.dialogActive = 0;
  }
}

void CloseModelessDialogs(AppContext& app) {
  if (app.countryWindow && IsWindow(app.countryWindow)) {
    SendMessageW(app.countryWindow, WM_COMMAND, IDOK, 0);
    PostMessageW(app.countryWindow, WM_SYSCOMMAND, SC_CLOSE, 0);
    DestroyWindow(app.countryWindow);
  }
  app.countryWindow = nullptr;
  if (app.activeDialog && IsWindow(app.activeDialog)) SendMessageW(app.activeDialog, WM_COMMAND, IDOK, 0);
  for (HWND w : app.extraWindow)
    if (w && IsWindow(w)) PostMessageW(w, WM_COMMAND, IDOK, 0);
  if (app.thermalViewShown) {
    // A tap at (0, 0) with the value 16 closes the wind profile view.
    WindProfileTap(app.thermalView, 0, 0, 16);
  }
  if (app.mainWindow) EnableWindow(app.mainWindow, TRUE);
}

}  // namespace cumulor
