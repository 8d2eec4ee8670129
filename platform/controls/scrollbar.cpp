// Scroll bars: the scroll bar control, and the scroll values of a window's own bars.
#include <algorithm>
#include <map>
#include <mutex>

#include "platform/controls/control_base.h"

#define SBM_SETSCROLLINFO 0x00E9
#define SBM_GETSCROLLINFO 0x00EA

namespace ce::controls {
namespace {

struct Values {
  int min = 0, max = 100, pos = 0;
  UINT page = 0;
  int Clamp(int p) const {
    long long top = static_cast<long long>(max) - std::max<long long>(static_cast<long long>(page) - 1, 0);
    return static_cast<int>(std::max<long long>(min, std::min<long long>(p, std::max<long long>(min, top))));
  }
};

void Apply(Values& v, const SCROLLINFO& info) {
  if (info.fMask & SIF_RANGE) v.min = info.nMin, v.max = std::max(info.nMin, info.nMax);
  if (info.fMask & SIF_PAGE) v.page = info.nPage;
  if (info.fMask & SIF_POS) v.pos = info.nPos;
  v.pos = v.Clamp(v.pos);
}

void Read(const Values& v, SCROLLINFO& info) {
  if (info.fMask & SIF_RANGE) info.nMin = v.min, info.nMax = v.max;
  if (info.fMask & SIF_PAGE) info.nPage = v.page;
  if (info.fMask & SIF_POS) info.nPos = v.pos;
  if (info.fMask & SIF_TRACKPOS) info.nTrackPos = v.pos;
}

// A window's own bars (no drawing: the programs draw their own content and read the values).
std::mutex& WindowBarsMutex() {
  static std::mutex m;
  return m;
}
std::map<std::pair<HWND, int>, Values>& WindowBars() {
  static std::map<std::pair<HWND, int>, Values> bars;
  return bars;
}

struct ScrollBar : ControlState {
  Values v;

  LRESULT Handle(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    DWORD style = static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE));
    bool vert = style & SBS_VERT;
    switch (msg) {
      case SBM_SETSCROLLINFO:
        if (!lparam) return 0;
        Apply(v, *reinterpret_cast<const SCROLLINFO*>(lparam));
        if (wparam) InvalidateRect(hwnd, nullptr, FALSE);
        return v.pos;
      case SBM_GETSCROLLINFO:
        if (!lparam) return FALSE;
        Read(v, *reinterpret_cast<SCROLLINFO*>(lparam));
        return TRUE;
      case WM_ERASEBKGND: return 1;
      case WM_PAINT:
        return PaintWith(hwnd, [&](HDC hdc) {
          RECT r;
          GetClientRect(hwnd, &r);
          Fill(hdc, r, RGB(0xF0, 0xF0, 0xF0));
          int len = vert ? r.bottom : r.right, thick = vert ? r.right : r.bottom;
          RECT a = vert ? RECT{0, 0, thick, thick} : RECT{0, 0, thick, thick};
          RECT b = vert ? RECT{0, len - thick, thick, len} : RECT{len - thick, 0, len, thick};
          Raised(hdc, a);
          Raised(hdc, b);
          Arrow(hdc, a, vert ? 1 : 2, kText);
          Arrow(hdc, b, vert ? 0 : 3, kText);
          long long track = std::max(1, len - 2 * thick);
          long long span = std::max(1LL, static_cast<long long>(v.max) - v.min + 1);
          long long page = std::min<long long>(v.page, span);
          int size = v.page ? static_cast<int>(std::max(8LL, track * page / span)) : thick;
          int at = thick + static_cast<int>((track - size) * (static_cast<long long>(v.pos) - v.min) /
                                            std::max(1LL, span - std::max(1LL, page)));
          RECT thumb = vert ? RECT{0, at, thick, at + size} : RECT{at, 0, at + size, thick};
          Raised(hdc, thumb);
        });
      case WM_LBUTTONDOWN: {
        RECT r;
        GetClientRect(hwnd, &r);
        POINT p = PointOf(lparam);
        int at = vert ? p.y : p.x, len = vert ? r.bottom : r.right, thick = vert ? r.right : r.bottom;
        int code = at < thick ? SB_LINEUP : at >= len - thick ? SB_LINEDOWN : (at < len / 2 ? SB_PAGEUP : SB_PAGEDOWN);
        HWND parent = GetParent(hwnd);
        SendMessageW(parent, vert ? WM_VSCROLL : WM_HSCROLL, MAKEWPARAM(code, 0), reinterpret_cast<LPARAM>(hwnd));
        SendMessageW(parent, vert ? WM_VSCROLL : WM_HSCROLL, MAKEWPARAM(SB_ENDSCROLL, 0), reinterpret_cast<LPARAM>(hwnd));
        return 0;
      }
    }
    return DefWindowProcW(hwnd, msg, wparam, lparam);
  }
};

}  // namespace

void RegisterScrollBar() { RegisterControlClass(WC_SCROLLBARW, Dispatch<ScrollBar>); }

}  // namespace ce::controls

using namespace ce::controls;

int SetScrollInfo(HWND hwnd, int bar, const SCROLLINFO* info, BOOL redraw) {
  if (!info || !IsWindow(hwnd)) return 0;
  if (bar == SB_CTL) return static_cast<int>(SendMessageW(hwnd, SBM_SETSCROLLINFO, redraw, reinterpret_cast<LPARAM>(info)));
  std::lock_guard<std::mutex> lock(WindowBarsMutex());
  Values& v = WindowBars()[{hwnd, bar}];
  Apply(v, *info);
  return v.pos;
}

BOOL GetScrollInfo(HWND hwnd, int bar, LPSCROLLINFO info) {
  if (!info || !IsWindow(hwnd)) return FALSE;
  if (bar == SB_CTL) return static_cast<BOOL>(SendMessageW(hwnd, SBM_GETSCROLLINFO, 0, reinterpret_cast<LPARAM>(info)));
  std::lock_guard<std::mutex> lock(WindowBarsMutex());
  Read(WindowBars()[{hwnd, bar}], *info);
  return TRUE;
}

int SetScrollPos(HWND hwnd, int bar, int pos, BOOL redraw) {
  SCROLLINFO old{sizeof(SCROLLINFO), SIF_POS, 0, 0, 0, 0, 0};
  GetScrollInfo(hwnd, bar, &old);
  SCROLLINFO info{sizeof(SCROLLINFO), SIF_POS, 0, 0, 0, pos, 0};
  SetScrollInfo(hwnd, bar, &info, redraw);
  return old.nPos;
}

int GetScrollPos(HWND hwnd, int bar) {
  SCROLLINFO info{sizeof(SCROLLINFO), SIF_POS, 0, 0, 0, 0, 0};
  return GetScrollInfo(hwnd, bar, &info) ? info.nPos : 0;
}

BOOL SetScrollRange(HWND hwnd, int bar, int min, int max, BOOL redraw) {
  SCROLLINFO info{sizeof(SCROLLINFO), SIF_RANGE, min, max, 0, 0, 0};
  SetScrollInfo(hwnd, bar, &info, redraw);
  return TRUE;
}
