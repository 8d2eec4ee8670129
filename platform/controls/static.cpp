// The static control: a text, an icon or a bitmap.
#include "platform/controls/control_base.h"

namespace ce::controls {
namespace {

struct Static : ControlState {
  HANDLE image = nullptr;

  LRESULT Handle(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    DWORD style = static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE));
    switch (msg) {
      case WM_PAINT: return PaintWith(hwnd, [&](HDC hdc) { Paint(hwnd, hdc, style); });
      case WM_ERASEBKGND: return 1;
      case WM_SETTEXT: {
        LRESULT r = DefWindowProcW(hwnd, msg, wparam, lparam);
        InvalidateRect(hwnd, nullptr, TRUE);
        return r;
      }
      case STM_SETIMAGE: {
        HANDLE old = image;
        image = reinterpret_cast<HANDLE>(lparam);
        InvalidateRect(hwnd, nullptr, TRUE);
        return reinterpret_cast<LRESULT>(old);
      }
      case STM_GETIMAGE: return reinterpret_cast<LRESULT>(image);
      case WM_LBUTTONDOWN:
        if (style & SS_NOTIFY) NotifyCommand(hwnd, STN_CLICKED);
        return 0;
      case WM_GETDLGCODE: return DLGC_STATIC;
    }
    return DefWindowProcW(hwnd, msg, wparam, lparam);
  }

  void Paint(HWND hwnd, HDC hdc, DWORD style) {
    RECT r;
    GetClientRect(hwnd, &r);
    SetBkColor(hdc, kFace);
    SetTextColor(hdc, kText);
    HBRUSH brush = ParentColors(hwnd, hdc, WM_CTLCOLORSTATIC);
    if (brush) FillRect(hdc, &r, brush);
    else Fill(hdc, r, kFace);
    COLORREF color = GetTextColor(hdc);
    DWORD type = style & SS_TYPEMASK;
    if (style & SS_SUNKEN) {
      Sunken(hdc, r);
      InflateRect(&r, -2, -2);
    } else if (style & WS_BORDER) {  // a thin frame, as bordered statics that are tapped show
      Frame(hdc, r, RGB(0x40, 0x40, 0x40));
      InflateRect(&r, -1, -1);
    }
    if (type == SS_ICON && image) {
      DrawIconEx(hdc, 0, 0, reinterpret_cast<HICON>(image), 0, 0, 0, nullptr, DI_NORMAL);
      return;
    }
    if (type == SS_BITMAP && image) {
      BITMAP bm{};
      GetObjectW(image, sizeof bm, &bm);
      HDC mem = CreateCompatibleDC(hdc);
      HGDIOBJ old = SelectObject(mem, image);
      int x = (style & SS_CENTERIMAGE) ? (r.right - bm.bmWidth) / 2 : 0;
      int y = (style & SS_CENTERIMAGE) ? (r.bottom - bm.bmHeight) / 2 : 0;
      BitBlt(hdc, x, y, bm.bmWidth, bm.bmHeight, mem, 0, 0, SRCCOPY);
      SelectObject(mem, old);
      DeleteDC(mem);
      return;
    }
    if (type == SS_ICON || type == SS_BITMAP) return;
    UINT format = DT_NOPREFIX | ((style & SS_NOPREFIX) ? 0 : 0);
    if (type == SS_CENTER) format |= DT_CENTER | DT_WORDBREAK;
    else if (type == SS_RIGHT) format |= DT_RIGHT | DT_WORDBREAK;
    else if (type == SS_LEFTNOWORDWRAP) format |= DT_SINGLELINE;
    else format |= DT_WORDBREAK;
    if (style & SS_CENTERIMAGE) format = (format & ~DT_WORDBREAK) | DT_SINGLELINE | DT_VCENTER;
    HGDIOBJ old = UseFont(hdc, font);
    Text(hdc, WindowText(hwnd), r, format, IsWindowEnabled(hwnd) ? color : kGrayText);
    SelectObject(hdc, old);
  }
};

}  // namespace

void RegisterStatic() { RegisterControlClass(WC_STATICW, Dispatch<Static>); }

}  // namespace ce::controls
