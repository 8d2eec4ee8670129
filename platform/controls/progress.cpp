// The progress bar: a bar filled to the position between a minimum and a maximum.
#include <algorithm>

#include "platform/controls/control_base.h"

namespace ce::controls {
namespace {

struct Progress : ControlState {
  int min = 0, max = 100, pos = 0, step = 10;

  int Set(HWND hwnd, long long p) {
    int old = pos;
    pos = static_cast<int>(std::max<long long>(min, std::min<long long>(max, p)));
    if (pos != old) InvalidateRect(hwnd, nullptr, FALSE);
    return old;
  }

  LRESULT Handle(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    switch (msg) {
      case PBM_SETRANGE:
      case PBM_SETRANGE32: {
        LRESULT old = MAKELONG(min, max);
        if (msg == PBM_SETRANGE) min = static_cast<short>(LOWORD(lparam)), max = static_cast<short>(HIWORD(lparam));
        else min = static_cast<int>(wparam), max = static_cast<int>(lparam);
        if (max < min) max = min;
        Set(hwnd, pos);
        InvalidateRect(hwnd, nullptr, FALSE);
        return old;
      }
      case PBM_SETPOS: return Set(hwnd, static_cast<int>(wparam));
      case PBM_DELTAPOS: return Set(hwnd, static_cast<long long>(pos) + static_cast<int>(wparam));
      case PBM_SETSTEP: {
        int old = step;
        step = static_cast<int>(wparam);
        return old;
      }
      case PBM_STEPIT: {
        int old = pos;
        long long p = static_cast<long long>(pos) + step;
        if (p > max) p = min + (p - max);  // wraps as on the device
        pos = static_cast<int>(std::max<long long>(min, std::min<long long>(max, p)));
        InvalidateRect(hwnd, nullptr, FALSE);
        return old;
      }
      case PBM_GETPOS: return pos;
      case WM_ERASEBKGND: return 1;
      case WM_PAINT:
        return PaintWith(hwnd, [&](HDC hdc) {
          RECT r;
          GetClientRect(hwnd, &r);
          Fill(hdc, r, kFace);
          Sunken(hdc, r);
          RECT in = r;
          InflateRect(&in, -2, -2);
          bool vert = GetWindowLongW(hwnd, GWL_STYLE) & PBS_VERTICAL;
          long long span = std::max(1LL, static_cast<long long>(max) - min), done = static_cast<long long>(pos) - min;
          if (vert) in.top = in.bottom - static_cast<int>((in.bottom - in.top) * done / span);
          else in.right = in.left + static_cast<int>((in.right - in.left) * done / span);
          if (in.right > in.left && in.bottom > in.top) Fill(hdc, in, kHighlight);
        });
    }
    return DefWindowProcW(hwnd, msg, wparam, lparam);
  }
};

}  // namespace

void RegisterProgress() { RegisterControlClass(PROGRESS_CLASSW, Dispatch<Progress>); }

}  // namespace ce::controls
