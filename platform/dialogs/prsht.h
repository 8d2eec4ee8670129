// Property sheets: a modal dialog of tabbed pages, each page a child dialog of its own.
#pragma once

#include "platform/controls/commctrl.h"
#include "platform/dialogs/dialogs.h"

struct PSP;
using HPROPSHEETPAGE = PSP*;
struct PROPSHEETPAGEW;
using LPFNPSPCALLBACKW = UINT (*)(HWND, UINT, PROPSHEETPAGEW*);
using PFNPROPSHEETCALLBACK = int (*)(HWND, UINT, LPARAM);

struct PROPSHEETPAGEW {
  DWORD dwSize;
  DWORD dwFlags;
  HINSTANCE hInstance;
  union {
    LPCWSTR pszTemplate;
    LPCDLGTEMPLATEW pResource;
  };
  union {
    HICON hIcon;
    LPCWSTR pszIcon;
  };
  LPCWSTR pszTitle;
  DLGPROC pfnDlgProc;
  LPARAM lParam;
  LPFNPSPCALLBACKW pfnCallback;
  UINT* pcRefParent;
};
using LPPROPSHEETPAGEW = PROPSHEETPAGEW*;
using LPCPROPSHEETPAGEW = const PROPSHEETPAGEW*;

struct PROPSHEETHEADERW {
  DWORD dwSize;
  DWORD dwFlags;
  HWND hwndParent;
  HINSTANCE hInstance;
  union {
    HICON hIcon;
    LPCWSTR pszIcon;
  };
  LPCWSTR pszCaption;
  UINT nPages;
  union {
    UINT nStartPage;
    LPCWSTR pStartPage;
  };
  union {
    LPCPROPSHEETPAGEW ppsp;
    HPROPSHEETPAGE* phpage;
  };
  PFNPROPSHEETCALLBACK pfnCallback;
};
using LPCPROPSHEETHEADERW = const PROPSHEETHEADERW*;

#define PSP_DEFAULT 0x0000
#define PSP_DLGINDIRECT 0x0001
#define PSP_USETITLE 0x0008
#define PSP_HASHELP 0x0020
#define PSP_USECALLBACK 0x0080
#define PSP_PREMATURE 0x0400
#define PSPCB_RELEASE 1
#define PSPCB_CREATE 2

#define PSH_DEFAULT 0x0000
#define PSH_PROPTITLE 0x0001
#define PSH_USEHICON 0x0002
#define PSH_PROPSHEETPAGE 0x0008
#define PSH_USEPSTARTPAGE 0x0040
#define PSH_NOAPPLYNOW 0x0080
#define PSH_USECALLBACK 0x0100
#define PSH_MODELESS 0x0400
#define PSH_MAXIMIZE 0x2000

#define PSCB_INITIALIZED 1
#define PSCB_PRECREATE 2
#define PSCB_GETVERSION 3

#define PSN_FIRST (0u - 200u)
#define PSN_SETACTIVE (PSN_FIRST - 0)
#define PSN_KILLACTIVE (PSN_FIRST - 1)
#define PSN_APPLY (PSN_FIRST - 2)
#define PSN_RESET (PSN_FIRST - 3)
#define PSN_QUERYCANCEL (PSN_FIRST - 9)
#define PSNRET_NOERROR 0
#define PSNRET_INVALID 1
#define PSNRET_INVALID_NOCHANGEPAGE 2

struct PSHNOTIFY {
  NMHDR hdr;
  LPARAM lParam;
};

#define PSM_SETCURSEL (WM_USER + 101)
#define PSM_CHANGED (WM_USER + 104)
#define PSM_UNCHANGED (WM_USER + 109)
#define PSM_PRESSBUTTON (WM_USER + 113)
#define PSM_GETTABCONTROL (WM_USER + 116)
#define PSM_GETCURRENTPAGEHWND (WM_USER + 118)
#define PSBTN_OK 1
#define PSBTN_CANCEL 5

HPROPSHEETPAGE CreatePropertySheetPageW(LPCPROPSHEETPAGEW page);
BOOL DestroyPropertySheetPage(HPROPSHEETPAGE page);
// Modal: 1 when closed with OK (after PSN_APPLY to every page), 0 when cancelled, -1 on failure.
INT_PTR PropertySheetW(LPCPROPSHEETHEADERW header);
