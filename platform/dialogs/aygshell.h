// The shell's dialog helpers: full-screen dialogs, the input panel preference, gestures, and the
// soft-key bar (menus/softkey_bar.h).
#pragma once

#include <string>
#include <vector>

#include "platform/controls/commctrl.h"
#include "platform/menus/softkey_bar.h"

struct SHINITDLGINFO {
  DWORD dwMask;
  HWND hDlg;
  DWORD dwFlags;
};
#define SHIDIM_FLAGS 0x0001
#define SHIDIF_DONEBUTTON 0x0001
#define SHIDIF_SIZEDLG 0x0002
#define SHIDIF_SIZEDLGFULLSCREEN 0x0004
#define SHIDIF_SIPDOWN 0x0008
#define SHIDIF_FULLSCREENNOMENUBAR 0x0010
#define SHIDIF_EMPTYMENU 0x0020

enum SIPSTATE { SIP_UP = 0, SIP_DOWN, SIP_FORCEUP, SIP_FORCEDOWN, SIP_UNCHANGED, SIP_INPUTDIALOG };

struct SHACTIVATEINFO {
  DWORD cbSize;
  HWND hwndLastFocus;
  UINT fSipUp : 1;
  UINT fSipOnDeactivation : 1;
  UINT fActive : 1;
  UINT fReserved : 29;
};

struct SHRGINFO {
  DWORD cbSize;
  HWND hwndClient;
  POINT ptDown;
  DWORD dwFlags;
};
#define SHRG_RETURNCMD 0x0001
#define SHRG_NOTIFYPARENT 0x0002

// Sizes the dialog as its flags ask (a top-level dialog: the screen, above a soft-key bar unless
// SHIDIF_FULLSCREENNOMENUBAR); recorded.
BOOL SHInitDialog(SHINITDLGINFO* info);
// Recorded; the input panel is not simulated.
BOOL SHSipPreference(HWND hwnd, SIPSTATE state);
// No-ops that answer TRUE.
BOOL SHHandleWMSettingChange(HWND hwnd, WPARAM wparam, LPARAM lparam, SHACTIVATEINFO* info);
BOOL SHHandleWMActivate(HWND hwnd, WPARAM wparam, LPARAM lparam, SHACTIVATEINFO* info, DWORD flags);
// GN_CONTEXTMENU when the pen press being handled is a tap-and-hold (the scripted user's hold
// step), else 0.
DWORD SHRecognizeGesture(SHRGINFO* info);

namespace ce::dialogs {
// What SHInitDialog and SHSipPreference were asked, one line each ("SHInitDialog flags=7").
std::vector<std::string> ShellCalls();
void ClearShellCalls();
}  // namespace ce::dialogs
