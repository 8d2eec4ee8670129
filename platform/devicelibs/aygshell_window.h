// The two window calls of aygshell that the simulated shell answers by recording them only: the
// full-screen control (ordinal 65) and the window-state call of ordinal 21. The simulated screen
// has no task bar, input panel button or Done button to show or hide, so each call is recorded
// as a device effect ("shell-fullscreen" and "shell-window", value = the state) and nothing else
// changes.
#pragma once

#include "platform/base/types.h"

#define SHFS_SHOWTASKBAR 0x0001
#define SHFS_HIDETASKBAR 0x0002
#define SHFS_SHOWSIPBUTTON 0x0004
#define SHFS_HIDESIPBUTTON 0x0008
#define SHFS_SHOWSTARTICON 0x0010
#define SHFS_HIDESTARTICON 0x0020

// FALSE with ERROR_INVALID_WINDOW_HANDLE when `hwnd` is not a window; else recorded, TRUE.
BOOL SHFullScreen(HWND hwnd, DWORD state);
BOOL ShellWindowState(HWND hwnd, DWORD state);
