// The taskbar's tray icons: added, changed and removed by the programs; a tap on one reaches the
// program as its callback message.
#pragma once

#include <string>
#include <vector>

#include "platform/window/window.h"

#define NIM_ADD 0x00000000
#define NIM_MODIFY 0x00000001
#define NIM_DELETE 0x00000002
#define NIF_MESSAGE 0x00000001
#define NIF_ICON 0x00000002
#define NIF_TIP 0x00000004

struct NOTIFYICONDATAW {
  DWORD cbSize;
  HWND hWnd;
  UINT uID;
  UINT uFlags;
  UINT uCallbackMessage;
  HICON hIcon;
  WCHAR szTip[64];
};
using PNOTIFYICONDATAW = NOTIFYICONDATAW*;

// FALSE when adding an icon that is there already, or changing or removing one that is not.
BOOL Shell_NotifyIconW(DWORD message, PNOTIFYICONDATAW data);

namespace ce::dialogs {

struct TrayIcon {
  HWND window;
  UINT id;
  UINT callback_message;
  HICON icon;
  std::u16string tip;
};
// The icons shown, in the order they were added.
std::vector<TrayIcon> TrayIcons();
// The user taps the icon: its window receives the callback message with the icon's id and the
// pen message (WM_LBUTTONDOWN, WM_LBUTTONUP, ...). False when the icon is not shown.
bool TapTrayIcon(HWND window, UINT id, UINT pen_message);
// The next NIM_ADD fails with `error` (a test forcing the refusal).
void RefuseNextTrayAdd(DWORD error);
void ClearTray();

}  // namespace ce::dialogs
