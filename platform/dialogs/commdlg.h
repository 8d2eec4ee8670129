// The file and colour choosers: the scripted user answers them, or a person in the drawn chooser.
#pragma once

#include "platform/dialogs/dialogs.h"

using LPOFNHOOKPROC = UINT_PTR (*)(HWND, UINT, WPARAM, LPARAM);
struct OPENFILENAMEW {
  DWORD lStructSize;
  HWND hwndOwner;
  HINSTANCE hInstance;
  LPCWSTR lpstrFilter;
  LPWSTR lpstrCustomFilter;
  DWORD nMaxCustFilter;
  DWORD nFilterIndex;
  LPWSTR lpstrFile;
  DWORD nMaxFile;
  LPWSTR lpstrFileTitle;
  DWORD nMaxFileTitle;
  LPCWSTR lpstrInitialDir;
  LPCWSTR lpstrTitle;
  DWORD Flags;
  WORD nFileOffset;
  WORD nFileExtension;
  LPCWSTR lpstrDefExt;
  LPARAM lCustData;
  LPOFNHOOKPROC lpfnHook;
  LPCWSTR lpTemplateName;
};
using LPOPENFILENAMEW = OPENFILENAMEW*;
#define OFN_READONLY 0x00000001
#define OFN_OVERWRITEPROMPT 0x00000002
#define OFN_HIDEREADONLY 0x00000004
#define OFN_NOCHANGEDIR 0x00000008
#define OFN_PATHMUSTEXIST 0x00000800
#define OFN_FILEMUSTEXIST 0x00001000
#define OFN_CREATEPROMPT 0x00002000
#define FNERR_BUFFERTOOSMALL 0x3003

using LPCCHOOKPROC = UINT_PTR (*)(HWND, UINT, WPARAM, LPARAM);
struct CHOOSECOLORW {
  DWORD lStructSize;
  HWND hwndOwner;
  HWND hInstance;
  COLORREF rgbResult;
  COLORREF* lpCustColors;
  DWORD Flags;
  LPARAM lCustData;
  LPCCHOOKPROC lpfnHook;
  LPCWSTR lpTemplateName;
};
using LPCHOOSECOLORW = CHOOSECOLORW*;
#define CC_RGBINIT 0x00000001
#define CC_FULLOPEN 0x00000002
#define CC_PREVENTFULLOPEN 0x00000004
#define CC_SHOWHELP 0x00000008
#define CC_SOLIDCOLOR 0x00000080
#define CC_ANYCOLOR 0x00000100

// TRUE with the chosen file (or colour); FALSE when cancelled or when the answer does not fit,
// with CommDlgExtendedError telling which (0: cancelled).
BOOL GetOpenFileNameW(LPOPENFILENAMEW info);
BOOL GetSaveFileNameW(LPOPENFILENAMEW info);
BOOL ChooseColorW(LPCHOOSECOLORW info);
DWORD CommDlgExtendedError();
