// Dialog windows: the dialog class and its default handling, creation from templates.
#include <algorithm>
#include <map>
#include <mutex>
#include <tuple>

#include "platform/base/errors.h"
#include "platform/controls/commctrl.h"
#include "platform/dialogs/dialog_internal.h"
#include "platform/gdi/gdi.h"
#include "platform/text/utf.h"
#include "platform/kernel/last_error.h"
#include "platform/kernel/threads.h"
#include "platform/resources/resources.h"
#include "platform/text/utf.h"

namespace ce::dialogs {
namespace {

std::mutex& MapMutex() {
  static std::mutex m;
  return m;
}
std::map<HWND, std::shared_ptr<DialogState>>& States() {
  static std::map<HWND, std::shared_ptr<DialogState>> states;
  return states;
}

constexpr COLORREF kDialogFace = RGB(0xE0, 0xE0, 0xE0);

HBRUSH FaceBrush() {
  static HBRUSH brush = CreateSolidBrush(kDialogFace);
  return brush;
}

int ScreenDpi() {
  HDC screen = GetDC(nullptr);
  int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
  if (screen) ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : 96;
}

// The device's dialog face (Tahoma) at `points` on a screen of `dpi`: its em, the height of a line
// and the average width of a letter, which make the dialog units there.
struct DeviceFace {
  int em, height, average;
};
DeviceFace DeviceFaceAt(int points, int dpi) {
  int em = std::max(1, (points * dpi + 36) / 72);
  return {em, std::max(1, (em * 1207 + 500) / 1000), std::max(1, (points * 3 + 2) / 4 * dpi / 96)};
}

double LetterAverage(HFONT font) {
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font);
  SIZE size{};
  const char16_t* letters = u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  GetTextExtentPoint32W(dc, letters, 52, &size);
  SelectObject(dc, old);
  DeleteDC(dc);
  return size.cx / 52.0;
}

// The installed stand-in faces are wider than the device's: a template's texts ("Time Zone" in a
// 40-unit label) would not fit where they fit there. The template's font is narrowed (its
// character width, never its height) until its letters are on average no wider than the
// device's; the width found is kept per face, size and screen.
LONG NarrowedWidth(const LOGFONTW& base, int average) {
  static std::mutex m;
  static std::map<std::tuple<std::u16string, LONG, int>, LONG> known;
  auto key = std::make_tuple(std::u16string(base.lfFaceName), base.lfHeight, average);
  {
    std::lock_guard<std::mutex> lock(m);
    if (auto it = known.find(key); it != known.end()) return it->second;
  }
  LONG width = 0;
  HFONT natural = CreateFontIndirectW(&base);
  if (LetterAverage(natural) > average + 0.49) {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, natural);
    SIZE x{};
    GetTextExtentPoint32W(dc, u"x", 1, &x);
    SelectObject(dc, old);
    DeleteDC(dc);
    for (LONG w = std::max<LONG>(1, x.cx); w >= 1; --w) {
      LOGFONTW lf = base;
      lf.lfWidth = w;
      HFONT narrow = CreateFontIndirectW(&lf);
      double got = LetterAverage(narrow);
      DeleteObject(narrow);
      width = w;
      if (got <= average + 0.49) break;
    }
  }
  DeleteObject(natural);
  std::lock_guard<std::mutex> lock(m);
  known[key] = width;
  return width;
}

HFONT FontFor(const resources::DialogTemplate& t) {
  if (t.font_face.empty()) return nullptr;
  LOGFONTW lf{};
  DeviceFace device = DeviceFaceAt(t.font_points, ScreenDpi());
  lf.lfHeight = -static_cast<LONG>(device.em);
  lf.lfWeight = FW_NORMAL;
  std::u16string face = t.font_face.substr(0, LF_FACESIZE - 1);
  std::copy(face.begin(), face.end(), lf.lfFaceName);
  if (t.font_points > 0) lf.lfWidth = NarrowedWidth(lf, device.average);
  return CreateFontIndirectW(&lf);
}

// The average character width and the height of the font, as dialog units are measured.
void BaseUnits(HFONT font, int& x, int& y) {
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font ? font : static_cast<HFONT>(GetStockObject(SYSTEM_FONT)));
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  SIZE size{};
  const char16_t* letters = u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  GetTextExtentPoint32W(dc, letters, 52, &size);
  SelectObject(dc, old);
  DeleteDC(dc);
  x = std::max(1, static_cast<int>((size.cx / 26 + 1) / 2));
  y = std::max(1, static_cast<int>(tm.tmHeight));
}

// A template with a font has the device's dialog units (6 x 13 pixels at 8 points on a 96-dpi
// screen, twice that on a 192-dpi one), so that templates fit the screen as they do there.
void DeviceBaseUnits(const resources::DialogTemplate& t, HFONT font, int& x, int& y) {
  BaseUnits(font, x, y);
  if (t.font_points > 0) {
    DeviceFace device = DeviceFaceAt(t.font_points, ScreenDpi());
    x = device.average;
    y = device.height;
  }
}

bool IsPushButton(HWND hwnd) {
  WCHAR cls[32];
  if (!GetClassNameW(hwnd, cls, 32) || text::WideView(cls) != std::u16string_view(WC_BUTTONW)) return false;
  DWORD type = static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE)) & BS_TYPEMASK;
  return type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON;
}

LRESULT DefaultHandling(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  auto st = StateOf(hwnd);
  switch (msg) {
    case WM_ERASEBKGND: {
      RECT r;
      GetClientRect(hwnd, &r);
      HDC hdc = reinterpret_cast<HDC>(wparam);
      SetBkColor(hdc, kDialogFace);
      HBRUSH brush = reinterpret_cast<HBRUSH>(SendMessageW(hwnd, WM_CTLCOLORDLG, wparam, reinterpret_cast<LPARAM>(hwnd)));
      FillRect(hdc, &r, brush ? brush : FaceBrush());
      return 1;
    }
    case WM_PAINT: {
      PAINTSTRUCT ps;
      BeginPaint(hwnd, &ps);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLORSCROLLBAR:
      SetBkColor(reinterpret_cast<HDC>(wparam), kDialogFace);
      SetTextColor(reinterpret_cast<HDC>(wparam), RGB(0, 0, 0));
      return reinterpret_cast<LRESULT>(FaceBrush());
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX: {
      static HBRUSH white = CreateSolidBrush(RGB(0xFF, 0xFF, 0xFF));
      SetBkColor(reinterpret_cast<HDC>(wparam), RGB(0xFF, 0xFF, 0xFF));
      SetTextColor(reinterpret_cast<HDC>(wparam), RGB(0, 0, 0));
      return reinterpret_cast<LRESULT>(white);
    }
    case WM_CLOSE: {
      HWND cancel = GetDlgItem(hwnd, IDCANCEL);
      if (cancel && !IsWindowEnabled(cancel)) return 0;
      PostMessageW(hwnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), reinterpret_cast<LPARAM>(cancel));
      return 0;
    }
    case WM_SETFONT:
      if (st) st->font = reinterpret_cast<HFONT>(wparam);
      return 0;
    case WM_GETFONT: return st ? reinterpret_cast<LRESULT>(st->font) : 0;
    case DM_GETDEFID: return st ? MAKELONG(st->def_id, DC_HASDEFID) : 0;
    case DM_SETDEFID:
      if (st) {
        // The old default button loses its look, the new one takes it.
        if (HWND old = GetDlgItem(hwnd, st->def_id); old && IsPushButton(old))
          SendMessageW(old, BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
        st->def_id = static_cast<int>(wparam);
        if (HWND now = GetDlgItem(hwnd, st->def_id); now && IsPushButton(now))
          SendMessageW(now, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
      }
      return TRUE;
    case WM_ACTIVATE:
    case WM_SETFOCUS: {
      if (msg == WM_ACTIVATE && LOWORD(wparam) == WA_INACTIVE) {
        HWND f = GetFocus();
        if (st && f && IsChild(hwnd, f)) st->last_focus = f;
        return 0;
      }
      HWND target = st && st->last_focus && IsWindow(st->last_focus) && IsChild(hwnd, st->last_focus)
                        ? st->last_focus
                        : GetNextDlgTabItem(hwnd, nullptr, FALSE);
      if (target) SetFocus(target);
      return 0;
    }
    case WM_NEXTDLGCTL: {
      HWND target = LOWORD(lparam) ? reinterpret_cast<HWND>(wparam) : GetNextDlgTabItem(hwnd, GetFocus(), wparam != 0);
      if (target) SetFocus(target);
      return 0;
    }
    case WM_NCDESTROY: {
      if (st && st->own_font) DeleteObject(st->own_font);
      std::lock_guard<std::mutex> lock(MapMutex());
      States().erase(hwnd);
      return 0;
    }
  }
  return DefWindowProcW(hwnd, msg, wparam, lparam);
}

LRESULT DialogWindowProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  auto proc = reinterpret_cast<DLGPROC>(GetWindowLongPtrW(hwnd, DWL_DLGPROC));
  if (proc && msg != WM_NCDESTROY) {
    INT_PTR r = proc(hwnd, msg, wparam, lparam);
    if (r) {
      switch (msg) {
        case WM_INITDIALOG:
        case WM_CTLCOLORMSGBOX:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORDLG:
        case WM_CTLCOLORSCROLLBAR:
        case WM_CTLCOLORSTATIC:
          return r;
        default:
          return GetWindowLongPtrW(hwnd, DWL_MSGRESULT);
      }
    }
  }
  if (msg == WM_NCDESTROY && proc) proc(hwnd, msg, wparam, lparam);
  return DefaultHandling(hwnd, msg, wparam, lparam);
}

void EnsureDialogClass() {
  static std::once_flag once;
  std::call_once(once, [] {
    WNDCLASSW wc{};
    wc.lpfnWndProc = DialogWindowProc;
    wc.cbWndExtra = 12;  // DWL_MSGRESULT, DWL_DLGPROC, DWL_USER
    wc.lpszClassName = kDialogClass;
    RegisterClassW(&wc);
  });
}

}  // namespace

std::shared_ptr<DialogState> StateOf(HWND dialog) {
  std::lock_guard<std::mutex> lock(MapMutex());
  auto it = States().find(dialog);
  return it == States().end() ? nullptr : it->second;
}

HWND CreateFromTemplate(HINSTANCE instance, const resources::DialogTemplate& t, HWND owner, DLGPROC proc,
                        LPARAM param, bool modal) {
  controls::EnsureControlClasses();
  EnsureDialogClass();
  auto st = std::make_shared<DialogState>();
  st->modal = modal;
  st->thread = GetCurrentThreadId();
  st->font = st->own_font = FontFor(t);
  DeviceBaseUnits(t, st->font, st->base_x, st->base_y);
  bool child = t.style & WS_CHILD;
  auto px = [&](int v) { return v * st->base_x / 4; };
  auto py = [&](int v) { return v * st->base_y / 8; };
  // The template gives the client area; a caption lies above it.
  RECT frame{0, 0, px(t.cx), py(t.cy)};
  AdjustWindowRectEx(&frame, t.style, FALSE, t.ex_style);
  int width = frame.right - frame.left, height = frame.bottom - frame.top;
  int x = px(t.x), y = py(t.y);
  if (t.style & DS_CENTER) {
    RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    x = (area.right - width) / 2;
    y = (area.bottom - height) / 2;
  } else if (owner && !child && !(t.style & DS_ABSALIGN)) {
    POINT origin{0, 0};
    ClientToScreen(owner, &origin);
    x += origin.x;
    y += origin.y;
  }
  HWND dlg = CreateWindowExW(t.ex_style, kDialogClass, t.caption.c_str(), t.style & ~WS_VISIBLE, x, y, width, height,
                             owner, nullptr, instance, nullptr);
  if (!dlg) return nullptr;
  {
    std::lock_guard<std::mutex> lock(MapMutex());
    States()[dlg] = st;
  }
  SetWindowLongPtrW(dlg, DWL_DLGPROC, reinterpret_cast<LONG_PTR>(proc));
  if (st->font) SendMessageW(dlg, WM_SETFONT, reinterpret_cast<WPARAM>(st->font), FALSE);

  HWND previous = nullptr;
  for (const auto& c : t.controls) {
    std::u16string text = c.text;
    // An up-down takes the control before it in the template as its buddy (below), not the
    // window that happens to follow it while it is being created.
    bool auto_buddy = text::WideView(c.cls.c_str()) == std::u16string_view(UPDOWN_CLASSW) && (c.style & UDS_AUTOBUDDY);
    DWORD style = (c.style | WS_CHILD) & ~(auto_buddy ? UDS_AUTOBUDDY : 0u);
    HWND item = CreateWindowExW(c.ex_style, c.cls.c_str(), text.c_str(), style, px(c.x), py(c.y),
                                px(c.cx), py(c.cy), dlg, reinterpret_cast<HMENU>(static_cast<LONG_PTR>(c.id)), instance,
                                nullptr);
    if (!item) {
      DWORD error = GetLastError();
      scripted::User::Get().Log("dialog \"" + text::ToUtf8(t.caption) + "\": control " + std::to_string(c.id) +
                                " of class " + text::ToUtf8(c.cls) + " could not be created");
      DestroyWindow(dlg);
      SetLastError(error ? error : ERROR_INVALID_PARAMETER);
      return nullptr;
    }
    // Controls keep the template's order (the tab order).
    SetWindowPos(item, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SendMessageW(item, WM_SETFONT, reinterpret_cast<WPARAM>(st->font), FALSE);
    DWORD type = c.style & SS_TYPEMASK;
    if (c.text_ordinal && text::WideView(c.cls.c_str()) == std::u16string_view(WC_STATICW) &&
        (type == SS_ICON || type == SS_BITMAP)) {
      HANDLE image = LoadImageW(instance, MAKEINTRESOURCEW(c.text_ordinal), type == SS_ICON ? IMAGE_ICON : IMAGE_BITMAP,
                                0, 0, 0);
      if (image) SendMessageW(item, STM_SETIMAGE, type == SS_ICON ? IMAGE_ICON : IMAGE_BITMAP, reinterpret_cast<LPARAM>(image));
    }
    if (auto_buddy) {
      SetWindowLongW(item, GWL_STYLE, static_cast<LONG>(GetWindowLongW(item, GWL_STYLE) | UDS_AUTOBUDDY));
      if (previous) SendMessageW(item, UDM_SETBUDDY, reinterpret_cast<WPARAM>(previous), 0);
    }
    if (text::WideView(c.cls.c_str()) == std::u16string_view(WC_BUTTONW) && (c.style & BS_TYPEMASK) == BS_DEFPUSHBUTTON)
      st->def_id = c.id;
    previous = item;
  }
  HWND first = GetNextDlgTabItem(dlg, nullptr, FALSE);
  if (SendMessageW(dlg, WM_INITDIALOG, reinterpret_cast<WPARAM>(first), param) && first && IsWindow(first)) SetFocus(first);
  if (!IsWindow(dlg)) return nullptr;
  if ((t.style & WS_VISIBLE) && !st->ended) ShowWindow(dlg, SW_SHOW);
  return dlg;
}

LRESULT DefDlgProcFor(HWND dialog, UINT msg, WPARAM wparam, LPARAM lparam) {
  return DefaultHandling(dialog, msg, wparam, lparam);
}

}  // namespace ce::dialogs

LRESULT DefDlgProcW(HWND dialog, UINT msg, WPARAM wparam, LPARAM lparam) {
  return ce::dialogs::DefDlgProcFor(dialog, msg, wparam, lparam);
}
