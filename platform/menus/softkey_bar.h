// The soft-key bar (menu bar) at the bottom of the screen: two keys from a soft-key resource,
// each sending its command or opening its popup menu.
#pragma once

#include "platform/menus/menus.h"

struct SHMENUBARINFO {
  DWORD cbSize;
  HWND hwndParent;
  DWORD dwFlags;
  UINT nToolBarId;
  HINSTANCE hInstRes;
  int nBmpId;
  int cBmpImages;
  HWND hwndMB;
  COLORREF clrBk;
};
using PSHMENUBARINFO = SHMENUBARINFO*;
#define SHCMBF_EMPTYBAR 0x0001
#define SHCMBF_HIDDEN 0x0002
#define SHCMBF_HIDESIPBUTTON 0x0004
#define SHCMBF_COLORBK 0x0008
#define SHCMBF_HMENU 0x0010

struct TBBUTTONINFOW {
  UINT cbSize;
  DWORD dwMask;
  int idCommand;
  int iImage;
  BYTE fsState;
  BYTE fsStyle;
  WORD cx;
  DWORD_PTR lParam;
  LPWSTR pszText;
  int cchText;
};
#define TBIF_IMAGE 0x0001
#define TBIF_TEXT 0x0002
#define TBIF_STATE 0x0004
#define TBIF_STYLE 0x0008
#define TBIF_LPARAM 0x0010
#define TBIF_COMMAND 0x0020
#define TBIF_SIZE 0x0040
#define TBSTATE_CHECKED 0x01
#define TBSTATE_PRESSED 0x02
#define TBSTATE_ENABLED 0x04
#define TBSTATE_HIDDEN 0x08
#define TB_ENABLEBUTTON (WM_USER + 1)
#define TB_GETBUTTONINFOW (WM_USER + 63)
#define TB_SETBUTTONINFOW (WM_USER + 64)
#define TB_GETBUTTONINFO TB_GETBUTTONINFOW
#define TB_SETBUTTONINFO TB_SETBUTTONINFOW
#define SHCMBM_SETSUBMENU (WM_USER + 400)
#define SHCMBM_GETSUBMENU (WM_USER + 401)
#define SHCMBM_GETMENU (WM_USER + 402)

#define SOFTKEY_BAR_HEIGHT 26

// Creates the bar for `hwndParent` from the soft-key resource nToolBarId (or, with SHCMBF_HMENU,
// from the menu handle nToolBarId: one key per item); the bar's window goes to hwndMB.
BOOL SHCreateMenuBar(SHMENUBARINFO* info);
// The bar of a window (the newest), or null.
HWND SHFindMenuBar(HWND hwnd);

namespace ce::menus {
// The user taps soft key `index` (0 left, 1 right). False when there is no such key or it is
// disabled.
bool PressSoftKey(HWND bar, int index);
}  // namespace ce::menus
