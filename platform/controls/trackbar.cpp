// The trackbar: a thumb on a channel between a minimum and a maximum, moved by the pen or the
// arrow keys; each move is reported to the parent as WM_HSCROLL (WM_VSCROLL when vertical).
#include <algorithm>

#include "platform/controls/control_base.h"
#include "platform/controls/user_actions.h"

namespace ce::controls {
namespace {

struct Trackbar : ControlState {
  int min = 0, max = 100, pos = 0;
  int page = 20, line = 1, freq = 1;
  bool dragging = false;
  bool focused = false;

  static bool Vertical(HWND hwnd) { return GetWindowLongW(hwnd, GWL_STYLE) & TBS_VERT; }

  int Clamp(long long p) const { return static_cast<int>(std::max<long long>(min, std::min<long long>(max, p))); }
  long long Span() const { return static_cast<long long>(max) - min; }

  // The channel's extent along the bar, in client pixels.
  void Channel(HWND hwnd, int& from, int& to) const {
    RECT r;
    GetClientRect(hwnd, &r);
    int len = Vertical(hwnd) ? r.bottom : r.right;
    from = 8;
    to = std::max(from + 1, len - 8);
  }

  int PosAt(HWND hwnd, POINT p) const {
    int from, to;
    Channel(hwnd, from, to);
    int at = Vertical(hwnd) ? p.y : p.x;
    if (max == min) return min;
    return Clamp(min + (static_cast<long long>(at - from) * Span() + (to - from) / 2) / (to - from));
  }

  void Report(HWND hwnd, int code) {
    SendMessageW(GetParent(hwnd), Vertical(hwnd) ? WM_VSCROLL : WM_HSCROLL, MAKEWPARAM(code, code == TB_THUMBTRACK || code == TB_THUMBPOSITION ? pos : 0),
                 reinterpret_cast<LPARAM>(hwnd));
  }

  void Move(HWND hwnd, long long p) {
    int clamped = Clamp(p);
    if (clamped == pos) return;
    pos = clamped;
    InvalidateRect(hwnd, nullptr, FALSE);
  }

  LRESULT Handle(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    switch (msg) {
      case TBM_GETPOS: return pos;
      case TBM_GETRANGEMIN: return min;
      case TBM_GETRANGEMAX: return max;
      case TBM_SETPOS:
        pos = Clamp(static_cast<int>(lparam));
        if (wparam) InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
      case TBM_SETRANGE:
        min = static_cast<short>(LOWORD(lparam));
        max = std::max(min, static_cast<int>(static_cast<short>(HIWORD(lparam))));
        pos = Clamp(pos);
        if (wparam) InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
      case TBM_SETRANGEMIN:
        min = std::min(static_cast<int>(lparam), max);
        pos = Clamp(pos);
        if (wparam) InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
      case TBM_SETRANGEMAX:
        max = std::max(static_cast<int>(lparam), min);
        pos = Clamp(pos);
        if (wparam) InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
      case TBM_SETTICFREQ: freq = std::max(1, static_cast<int>(wparam)); InvalidateRect(hwnd, nullptr, FALSE); return 0;
      case TBM_SETTIC: return TRUE;
      case TBM_SETPAGESIZE: {
        int old = page;
        page = static_cast<int>(lparam);
        return old;
      }
      case TBM_SETLINESIZE: {
        int old = line;
        line = static_cast<int>(lparam);
        return old;
      }
      case WM_GETDLGCODE: return DLGC_WANTARROWS;
      case WM_SETFOCUS:
      case WM_KILLFOCUS: return FocusChanged(hwnd, focused, msg);
      case WM_LBUTTONDOWN:
        if (GetFocus() != hwnd) SetFocus(hwnd);
        dragging = true;
        SetCapture(hwnd);
        Move(hwnd, PosAt(hwnd, PointOf(lparam)));
        Report(hwnd, TB_THUMBTRACK);
        return 0;
      case WM_MOUSEMOVE:
        if (dragging) {
          int p = PosAt(hwnd, PointOf(lparam));
          if (p != pos) {
            Move(hwnd, p);
            Report(hwnd, TB_THUMBTRACK);
          }
        }
        return 0;
      case WM_LBUTTONUP:
        if (dragging) {
          dragging = false;
          ReleaseCapture();
          Move(hwnd, PosAt(hwnd, PointOf(lparam)));
          Report(hwnd, TB_THUMBPOSITION);
          Report(hwnd, TB_ENDTRACK);
        }
        return 0;
      case CE_UA_TRACK: {
        // The user drags the thumb to the position and lets go.
        int target = Clamp(static_cast<int>(wparam));
        int step = target > pos ? 1 : -1;
        int moves = 0;
        while (pos != target && moves++ < 4) {  // a few intermediate track reports, as a drag gives
          Move(hwnd, pos + step * std::max(1LL, std::llabs(static_cast<long long>(target) - pos) / 2));
          Report(hwnd, TB_THUMBTRACK);
        }
        Move(hwnd, target);
        Report(hwnd, TB_THUMBTRACK);
        Report(hwnd, TB_THUMBPOSITION);
        Report(hwnd, TB_ENDTRACK);
        return TRUE;
      }
      case WM_KEYDOWN: {
        int code;
        long long p = pos;
        switch (wparam) {
          case VK_LEFT: case VK_UP: code = TB_LINEUP, p -= line; break;
          case VK_RIGHT: case VK_DOWN: code = TB_LINEDOWN, p += line; break;
          case VK_PRIOR: code = TB_PAGEUP, p -= page; break;
          case VK_NEXT: code = TB_PAGEDOWN, p += page; break;
          case VK_HOME: code = TB_TOP, p = min; break;
          case VK_END: code = TB_BOTTOM, p = max; break;
          default: return 0;
        }
        Move(hwnd, p);
        Report(hwnd, code);
        return 0;
      }
      case WM_KEYUP:
        if (wparam == VK_LEFT || wparam == VK_RIGHT || wparam == VK_UP || wparam == VK_DOWN || wparam == VK_PRIOR ||
            wparam == VK_NEXT || wparam == VK_HOME || wparam == VK_END)
          Report(hwnd, TB_ENDTRACK);
        return 0;
      case WM_ERASEBKGND: return 1;
      case WM_PAINT: return PaintWith(hwnd, [&](HDC hdc) { Paint(hwnd, hdc); });
    }
    return DefWindowProcW(hwnd, msg, wparam, lparam);
  }

  void Paint(HWND hwnd, HDC hdc) {
    RECT r;
    GetClientRect(hwnd, &r);
    SetBkColor(hdc, kFace);
    HBRUSH brush = ParentColors(hwnd, hdc, WM_CTLCOLORSTATIC);
    if (brush) FillRect(hdc, &r, brush);
    else Fill(hdc, r, kFace);
    bool vert = Vertical(hwnd);
    int from, to;
    Channel(hwnd, from, to);
    int mid = vert ? r.right / 2 : r.bottom / 2;
    RECT channel = vert ? RECT{mid - 2, from, mid + 2, to} : RECT{from, mid - 2, to, mid + 2};
    Fill(hdc, channel, kWindow);
    Sunken(hdc, channel);
    DWORD style = static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE));
    if (!(style & TBS_NOTICKS) && max > min) {
      HPEN pen = CreatePen(PS_SOLID, 1, kText);
      HGDIOBJ op = SelectObject(hdc, pen);
      long long ticks = Span() / freq;
      for (long long k = 0; k <= ticks && ticks <= 200; ++k) {
        int at = from + static_cast<int>(static_cast<long long>(to - from) * k * freq / Span());
        if (vert) MoveToEx(hdc, r.right - 4, at, nullptr), LineTo(hdc, r.right - 1, at);
        else MoveToEx(hdc, at, r.bottom - 4, nullptr), LineTo(hdc, at, r.bottom - 1);
      }
      SelectObject(hdc, op);
      DeleteObject(pen);
    }
    int at = max == min ? from : from + static_cast<int>(static_cast<long long>(to - from) * (static_cast<long long>(pos) - min) / Span());
    RECT thumb = vert ? RECT{mid - 9, at - 5, mid + 9, at + 5} : RECT{at - 5, mid - 9, at + 5, mid + 9};
    Raised(hdc, thumb, dragging);
    if (focused) {
      RECT f = r;
      DrawFocusRect(hdc, &f);
    }
  }
};

}  // namespace

void RegisterTrackbar() { RegisterControlClass(TRACKBAR_CLASSW, Dispatch<Trackbar>); }

}  // namespace ce::controls
