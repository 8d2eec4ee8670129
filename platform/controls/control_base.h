// What the controls share: their state behind the window, the look (font, colours, frames) and
// the notifications to the parent.
#pragma once

#include <string>

#include "platform/controls/commctrl.h"
#include "platform/gdi/gdi.h"

namespace ce::controls {

// The control's state object lives in window extra slot 0: created at WM_NCCREATE, deleted at
// WM_NCDESTROY by Dispatch.
template <class T>
T* StateOf(HWND hwnd) {
  return reinterpret_cast<T*>(GetWindowLongPtrW(hwnd, 0));
}

// Runs `handle` (a member of T: LRESULT Handle(HWND, UINT, WPARAM, LPARAM)) for the control,
// managing the state's life and the font messages.
template <class T>
LRESULT Dispatch(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  if (msg == WM_NCCREATE) {
    SetWindowLongPtrW(hwnd, 0, reinterpret_cast<LONG_PTR>(new T));
  }
  T* s = StateOf<T>(hwnd);
  if (!s) return DefWindowProcW(hwnd, msg, wparam, lparam);
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, 0, 0);
    delete s;
    return 0;
  }
  if (msg == WM_SETFONT) {
    s->font = reinterpret_cast<HFONT>(wparam);
    if constexpr (requires { s->FontChanged(hwnd); }) s->FontChanged(hwnd);  // controls sized by their font
    if (LOWORD(lparam)) InvalidateRect(hwnd, nullptr, TRUE);
    return 0;
  }
  if (msg == WM_GETFONT) return reinterpret_cast<LRESULT>(s->font);
  return s->Handle(hwnd, msg, wparam, lparam);
}

// Registers a control class whose procedure is Dispatch<T>.
void RegisterControlClass(const WCHAR* name, WNDPROC proc, UINT style = CS_DBLCLKS);

// Every control state has the font it draws with (null: the default control font).
struct ControlState {
  HFONT font = nullptr;
};

// The font controls and dialogs draw with when none is set: 8-point Tahoma.
HFONT DefaultFont();
// Selects the control's font into the DC; answers the old one.
HGDIOBJ UseFont(HDC hdc, HFONT font);
// The height of a line of text in the font (null: the default control font), in pixels.
int FontHeight(HFONT font);

// Colours of the look.
inline constexpr COLORREF kFace = RGB(0xE0, 0xE0, 0xE0);
inline constexpr COLORREF kShadow = RGB(0x80, 0x80, 0x80);
inline constexpr COLORREF kLight = RGB(0xFF, 0xFF, 0xFF);
inline constexpr COLORREF kText = RGB(0, 0, 0);
inline constexpr COLORREF kGrayText = RGB(0x80, 0x80, 0x80);
inline constexpr COLORREF kHighlight = RGB(0x00, 0x50, 0xA0);
inline constexpr COLORREF kHighlightText = RGB(0xFF, 0xFF, 0xFF);
inline constexpr COLORREF kWindow = RGB(0xFF, 0xFF, 0xFF);

void Fill(HDC hdc, const RECT& r, COLORREF color);
void Frame(HDC hdc, const RECT& r, COLORREF color);
void Raised(HDC hdc, RECT r, bool pressed = false);  // a button face with its edges
void Sunken(HDC hdc, RECT r);                        // a field's sunken edge
void Text(HDC hdc, const std::u16string& text, RECT r, UINT format, COLORREF color);
// A small filled triangle pointing down (dir 0), up (1), left (2) or right (3).
void Arrow(HDC hdc, const RECT& r, int dir, COLORREF color);

// WM_GETTEXT: copies `text` into the caller's buffer (lparam) of `size` characters, cut to fit and
// ended by a zero; answers the characters copied.
LRESULT AnswerGetText(std::u16string_view text, WPARAM size, LPARAM out);

// The text of a window.
std::u16string WindowText(HWND hwnd);

// Asks the parent for the colours (WM_CTLCOLOR*); sets them into the DC and answers the brush to
// fill with (null: the default).
HBRUSH ParentColors(HWND hwnd, HDC hdc, UINT msg);

// WM_PAINT: runs paint(hdc) between BeginPaint and EndPaint.
template <class F>
LRESULT PaintWith(HWND hwnd, F&& paint) {
  PAINTSTRUCT ps;
  HDC hdc = BeginPaint(hwnd, &ps);
  paint(hdc);
  EndPaint(hwnd, &ps);
  return 0;
}

// WM_SETFOCUS / WM_KILLFOCUS (`msg`) of a control that draws its focus: keeps `focused`, redraws
// (erasing with `erase`) and, with `notify`, sends the parent set_code or kill_code.
LRESULT FocusChanged(HWND hwnd, bool& focused, UINT msg, bool notify = false, UINT set_code = 0, UINT kill_code = 0,
                     BOOL erase = FALSE);

// WM_COMMAND (id, code) to the parent.
void NotifyCommand(HWND hwnd, UINT code);
// WM_NOTIFY to the parent; fills hdr's sender fields and answers the parent's result.
LRESULT NotifyParent(HWND hwnd, NMHDR* hdr, UINT code);

// A pen press at client coordinates, as the controls receive it.
inline POINT PointOf(LPARAM lparam) {
  return POINT{static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam))};
}

// Per-control class registration (one per control file).
void RegisterStatic();
void RegisterButton();
void RegisterEdit();
void RegisterListBox();
void RegisterComboBox();
void RegisterScrollBar();
void RegisterListView();
void RegisterHeader();
void RegisterTrackbar();
void RegisterTab();
void RegisterProgress();
void RegisterUpDown();
void RegisterDateTime();

}  // namespace ce::controls
