// Dialogs: modal (on any thread) and modeless dialogs from templates in dialog units, their
// items, keyboard navigation and the answers their procedures give through DWL_MSGRESULT.
// A modal dialog is answered by the scripted user when one runs (see README.md).
#pragma once

#include "platform/controls/controls.h"
#include "platform/gdi/images.h"

using DLGPROC = INT_PTR (*)(HWND, UINT, WPARAM, LPARAM);

// The binary template (as FindResourceW / LockResource give it) is read field by field; its C
// layout is not declared.
struct DLGTEMPLATE;
using LPCDLGTEMPLATEW = const DLGTEMPLATE*;
using LPCDLGTEMPLATE = LPCDLGTEMPLATEW;

#define DS_ABSALIGN 0x01u
#define DS_3DLOOK 0x04u
#define DS_SETFONT 0x40u
#define DS_MODALFRAME 0x80u
#define DS_SETFOREGROUND 0x200u
#define DS_CONTROL 0x400u
#define DS_CENTER 0x800u

#define WM_NEXTDLGCTL 0x0028

INT_PTR DialogBoxParamW(HINSTANCE instance, LPCWSTR name, HWND owner, DLGPROC proc, LPARAM param);
INT_PTR DialogBoxIndirectParamW(HINSTANCE instance, LPCDLGTEMPLATEW dialog, HWND owner, DLGPROC proc, LPARAM param);
inline INT_PTR DialogBoxW(HINSTANCE instance, LPCWSTR name, HWND owner, DLGPROC proc) {
  return DialogBoxParamW(instance, name, owner, proc, 0);
}
HWND CreateDialogParamW(HINSTANCE instance, LPCWSTR name, HWND owner, DLGPROC proc, LPARAM param);
HWND CreateDialogIndirectParamW(HINSTANCE instance, LPCDLGTEMPLATEW dialog, HWND owner, DLGPROC proc, LPARAM param);
inline HWND CreateDialogW(HINSTANCE instance, LPCWSTR name, HWND owner, DLGPROC proc) {
  return CreateDialogParamW(instance, name, owner, proc, 0);
}
// Ends a modal dialog with `result` (from any thread); hides a modeless one.
BOOL EndDialog(HWND dialog, INT_PTR result);
LRESULT DefDlgProcW(HWND dialog, UINT msg, WPARAM wparam, LPARAM lparam);

BOOL SetDlgItemTextW(HWND dialog, int id, LPCWSTR text);
UINT GetDlgItemTextW(HWND dialog, int id, LPWSTR text, int size);
BOOL SetDlgItemInt(HWND dialog, int id, UINT value, BOOL is_signed);
// The item's text as a number; *ok (when given) tells whether it was one (digits, with a sign
// when signed, surrounding spaces allowed, within 32 bits).
UINT GetDlgItemInt(HWND dialog, int id, BOOL* ok, BOOL is_signed);
BOOL CheckDlgButton(HWND dialog, int id, UINT check);
UINT IsDlgButtonChecked(HWND dialog, int id);
BOOL CheckRadioButton(HWND dialog, int first, int last, int check);
LRESULT SendDlgItemMessageW(HWND dialog, int id, UINT msg, WPARAM wparam, LPARAM lparam);
BOOL IsDialogMessageW(HWND dialog, LPMSG msg);
BOOL MapDialogRect(HWND dialog, LPRECT rect);
LONG GetDialogBaseUnits();
HWND GetNextDlgTabItem(HWND dialog, HWND control, BOOL previous);
HWND GetNextDlgGroupItem(HWND dialog, HWND control, BOOL previous);
