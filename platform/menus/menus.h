// Menus: popup menus and menu bars held as handles, edited by command or by position, and shown
// with TrackPopupMenu(Ex). What the user picks comes from the scripted user (see README.md).
#pragma once

#include "platform/window/window.h"

#define MF_INSERT 0x00000000u
#define MF_CHANGE 0x00000080u
#define MF_APPEND 0x00000100u
#define MF_DELETE 0x00000200u
#define MF_REMOVE 0x00001000u
#define MF_BYCOMMAND 0x00000000u
#define MF_BYPOSITION 0x00000400u
#define MF_SEPARATOR 0x00000800u
#define MF_ENABLED 0x00000000u
#define MF_GRAYED 0x00000001u
#define MF_DISABLED 0x00000002u
#define MF_UNCHECKED 0x00000000u
#define MF_CHECKED 0x00000008u
#define MF_STRING 0x00000000u
#define MF_POPUP 0x00000010u
#define MF_MENUBARBREAK 0x00000020u
#define MF_MENUBREAK 0x00000040u
#define MF_OWNERDRAW 0x00000100u
#define MFT_STRING MF_STRING
#define MFT_SEPARATOR MF_SEPARATOR
#define MFT_RADIOCHECK 0x00000200u
#define MFS_ENABLED 0x00000000u
#define MFS_GRAYED 0x00000003u
#define MFS_DISABLED MFS_GRAYED
#define MFS_CHECKED MF_CHECKED
#define MFS_UNCHECKED 0x00000000u
#define MIIM_STATE 0x00000001u
#define MIIM_ID 0x00000002u
#define MIIM_SUBMENU 0x00000004u
#define MIIM_CHECKMARKS 0x00000008u
#define MIIM_TYPE 0x00000010u
#define MIIM_DATA 0x00000020u

#define TPM_LEFTBUTTON 0x0000u
#define TPM_RIGHTBUTTON 0x0002u
#define TPM_LEFTALIGN 0x0000u
#define TPM_CENTERALIGN 0x0004u
#define TPM_RIGHTALIGN 0x0008u
#define TPM_TOPALIGN 0x0000u
#define TPM_VCENTERALIGN 0x0010u
#define TPM_BOTTOMALIGN 0x0020u
#define TPM_NONOTIFY 0x0080u
#define TPM_RETURNCMD 0x0100u

#define WM_CONTEXTMENU 0x007B
#define WM_UNINITMENUPOPUP 0x0125
#define WM_ENTERMENULOOP 0x0211
#define WM_EXITMENULOOP 0x0212

struct MENUITEMINFOW {
  UINT cbSize;
  UINT fMask;
  UINT fType;
  UINT fState;
  UINT wID;
  HMENU hSubMenu;
  HBITMAP hbmpChecked;
  HBITMAP hbmpUnchecked;
  ULONG_PTR dwItemData;
  LPWSTR dwTypeData;
  UINT cch;
};
using LPMENUITEMINFOW = MENUITEMINFOW*;

struct TPMPARAMS {
  UINT cbSize;
  RECT rcExclude;
};

HMENU CreateMenu();
HMENU CreatePopupMenu();
BOOL DestroyMenu(HMENU menu);
BOOL IsMenu(HMENU menu);
BOOL AppendMenuW(HMENU menu, UINT flags, UINT_PTR id_or_popup, LPCWSTR text);
BOOL InsertMenuW(HMENU menu, UINT position, UINT flags, UINT_PTR id_or_popup, LPCWSTR text);
BOOL ModifyMenuW(HMENU menu, UINT position, UINT flags, UINT_PTR id_or_popup, LPCWSTR text);
BOOL InsertMenuItemW(HMENU menu, UINT item, BOOL by_position, const MENUITEMINFOW* info);
BOOL SetMenuItemInfoW(HMENU menu, UINT item, BOOL by_position, const MENUITEMINFOW* info);
BOOL GetMenuItemInfoW(HMENU menu, UINT item, BOOL by_position, LPMENUITEMINFOW info);
BOOL DeleteMenu(HMENU menu, UINT position, UINT flags);  // destroys a popup it removes
BOOL RemoveMenu(HMENU menu, UINT position, UINT flags);  // keeps a popup it removes
DWORD CheckMenuItem(HMENU menu, UINT item, UINT flags);  // previous state, or -1
BOOL CheckMenuRadioItem(HMENU menu, UINT first, UINT last, UINT check, UINT flags);
BOOL EnableMenuItem(HMENU menu, UINT item, UINT flags);  // previous state, or -1
UINT GetMenuState(HMENU menu, UINT item, UINT flags);
HMENU GetSubMenu(HMENU menu, int position);
int GetMenuItemCount(HMENU menu);
UINT GetMenuItemID(HMENU menu, int position);
int GetMenuStringW(HMENU menu, UINT item, LPWSTR text, int size, UINT flags);
BOOL DrawMenuBar(HWND hwnd);
// Shows the menu. With TPM_RETURNCMD answers the command picked (0: none); otherwise posts
// WM_COMMAND to `owner` and answers TRUE.
BOOL TrackPopupMenuEx(HMENU menu, UINT flags, int x, int y, HWND owner, TPMPARAMS* params);
BOOL TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int reserved, HWND owner, const RECT* rect);
// A menu from the module's resources: a menu bar whose items are its popups.
HMENU LoadMenuW(HINSTANCE instance, LPCWSTR name);
