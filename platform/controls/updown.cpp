// The up-down control: two arrows that step a position within a range, optionally shown as a
// number in a buddy window beside it.
#include <algorithm>
#include <string>

#include "platform/controls/control_base.h"
#include "platform/controls/user_actions.h"
#include "platform/text/utf.h"

namespace ce::controls {
namespace {

struct UpDown : ControlState {
  int lower = 100, upper = 0, pos = 0;  // the device's default range runs downwards
  HWND buddy = nullptr;

  static DWORD Style(HWND hwnd) { return static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE)); }
  int Lo() const { return std::min(lower, upper); }
  int Hi() const { return std::max(lower, upper); }

  void ShowInBuddy(HWND hwnd) {
    if (!buddy || !(Style(hwnd) & UDS_SETBUDDYINT)) return;
    std::string s = std::to_string(pos);
    if (!(Style(hwnd) & UDS_NOTHOUSANDS) && (pos >= 1000 || pos <= -1000)) {
      std::string grouped;
      int digits = 0;
      for (auto it = s.rbegin(); it != s.rend(); ++it) {
        if (*it != '-' && digits && digits % 3 == 0) grouped.insert(grouped.begin(), ',');
        grouped.insert(grouped.begin(), *it);
        if (*it != '-') ++digits;
      }
      s = grouped;
    }
    std::u16string w = text::FromUtf8(s);
    SetWindowTextW(buddy, w.c_str());
  }

  // The buddy's number, when it shows one.
  bool ReadBuddy(HWND hwnd, int& out) {
    if (!buddy || !(Style(hwnd) & UDS_SETBUDDYINT)) return true;
    std::u16string t = WindowText(buddy);
    std::string digits;
    for (char16_t c : t)
      if (c != u',') digits += static_cast<char>(c < 0x80 ? c : '?');
    try {
      std::size_t used = 0;
      long v = std::stol(digits, &used);
      if (used != digits.size() || v < Lo() || v > Hi()) return false;
      out = static_cast<int>(v);
      return true;
    } catch (...) {
      return false;
    }
  }

  void Attach(HWND hwnd, HWND b) {
    buddy = b;
    if (!buddy) return;
    DWORD style = Style(hwnd);
    if (style & (UDS_ALIGNRIGHT | UDS_ALIGNLEFT)) {
      RECT br, mine;
      GetWindowRect(buddy, &br);
      GetWindowRect(hwnd, &mine);
      POINT tl{br.left, br.top};
      ScreenToClient(GetParent(hwnd), &tl);
      int w = mine.right - mine.left, h = br.bottom - br.top, bw = br.right - br.left;
      if (style & UDS_ALIGNRIGHT) {
        MoveWindow(buddy, tl.x, tl.y, std::max(0, bw - w), h, TRUE);
        MoveWindow(hwnd, tl.x + std::max(0, bw - w), tl.y, w, h, TRUE);
      } else {
        MoveWindow(hwnd, tl.x, tl.y, w, h, TRUE);
        MoveWindow(buddy, tl.x + w, tl.y, std::max(0, bw - w), h, TRUE);
      }
    }
    ShowInBuddy(hwnd);
  }

  void Step(HWND hwnd, bool up) {
    int current = pos;
    ReadBuddy(hwnd, current);
    pos = current;
    NMUPDOWN n{};
    n.iPos = pos;
    n.iDelta = (up ? 1 : -1) * (upper >= lower ? 1 : -1);
    if (NotifyParent(hwnd, &n.hdr, UDN_DELTAPOS)) return;  // the parent refused the step
    long long next = static_cast<long long>(pos) + n.iDelta;
    if (next > Hi()) next = (Style(hwnd) & UDS_WRAP) ? Lo() : Hi();
    if (next < Lo()) next = (Style(hwnd) & UDS_WRAP) ? Hi() : Lo();
    if (next == pos) return;
    pos = static_cast<int>(next);
    ShowInBuddy(hwnd);
    UINT msg = (Style(hwnd) & UDS_HORZ) ? WM_HSCROLL : WM_VSCROLL;
    SendMessageW(GetParent(hwnd), msg, MAKEWPARAM(SB_THUMBPOSITION, pos), reinterpret_cast<LPARAM>(hwnd));
    SendMessageW(GetParent(hwnd), msg, MAKEWPARAM(SB_ENDSCROLL, pos), reinterpret_cast<LPARAM>(hwnd));
  }

  LRESULT Handle(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    switch (msg) {
      case WM_CREATE:
        if (Style(hwnd) & UDS_AUTOBUDDY) Attach(hwnd, GetWindow(hwnd, GW_HWNDNEXT));
        return 0;
      case UDM_SETRANGE:
        upper = static_cast<short>(LOWORD(lparam));
        lower = static_cast<short>(HIWORD(lparam));
        pos = std::max(Lo(), std::min(Hi(), pos));
        return 0;
      case UDM_SETRANGE32:
        lower = static_cast<int>(wparam);
        upper = static_cast<int>(lparam);
        pos = std::max(Lo(), std::min(Hi(), pos));
        return 0;
      case UDM_GETRANGE: return MAKELONG(upper, lower);
      case UDM_GETRANGE32:
        if (wparam) *reinterpret_cast<int*>(wparam) = lower;
        if (lparam) *reinterpret_cast<int*>(lparam) = upper;
        return 0;
      case UDM_SETPOS: {
        int old = pos;
        pos = std::max(Lo(), std::min(Hi(), static_cast<int>(static_cast<short>(LOWORD(lparam)))));
        ShowInBuddy(hwnd);
        return old;
      }
      case UDM_GETPOS: {
        int current = pos;
        bool ok = ReadBuddy(hwnd, current);
        if (ok) pos = current;
        return MAKELONG(pos, ok ? 0 : 1);
      }
      case UDM_SETBUDDY: {
        HWND old = buddy;
        Attach(hwnd, reinterpret_cast<HWND>(wparam));
        return reinterpret_cast<LRESULT>(old);
      }
      case UDM_GETBUDDY: return reinterpret_cast<LRESULT>(buddy);
      case CE_UA_SPIN: Step(hwnd, static_cast<int>(wparam) > 0); return TRUE;
      case WM_LBUTTONDOWN: {
        RECT r;
        GetClientRect(hwnd, &r);
        POINT p = PointOf(lparam);
        bool horz = Style(hwnd) & UDS_HORZ;
        Step(hwnd, horz ? p.x >= r.right / 2 : p.y < r.bottom / 2);
        return 0;
      }
      case WM_ERASEBKGND: return 1;
      case WM_PAINT:
        return PaintWith(hwnd, [&](HDC hdc) {
          RECT r;
          GetClientRect(hwnd, &r);
          bool horz = Style(hwnd) & UDS_HORZ;
          RECT a = horz ? RECT{0, 0, r.right / 2, r.bottom} : RECT{0, 0, r.right, r.bottom / 2};
          RECT b = horz ? RECT{r.right / 2, 0, r.right, r.bottom} : RECT{0, r.bottom / 2, r.right, r.bottom};
          Raised(hdc, a);
          Raised(hdc, b);
          Arrow(hdc, a, horz ? 2 : 1, kText);
          Arrow(hdc, b, horz ? 3 : 0, kText);
        });
    }
    return DefWindowProcW(hwnd, msg, wparam, lparam);
  }
};

}  // namespace

void RegisterUpDown() { RegisterControlClass(UPDOWN_CLASSW, Dispatch<UpDown>); }

}  // namespace ce::controls
