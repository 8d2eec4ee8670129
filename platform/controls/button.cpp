// The button control: push and default push buttons, check boxes, radio buttons, group boxes and
// owner-drawn buttons.
#include <vector>

#include "platform/controls/control_base.h"

namespace ce::controls {
namespace {

bool IsRadio(DWORD type) { return type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON; }
bool IsCheck(DWORD type) {
  return type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_3STATE || type == BS_AUTO3STATE;
}
DWORD TypeOf(HWND hwnd) { return static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE)) & BS_TYPEMASK; }

// The siblings of the radio button's group, in tab order.
std::vector<HWND> GroupOf(HWND hwnd) {
  std::vector<HWND> all;
  for (HWND c = GetWindow(GetParent(hwnd), GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) all.push_back(c);
  std::size_t at = 0;
  while (at < all.size() && all[at] != hwnd) ++at;
  if (at == all.size()) return {hwnd};
  std::size_t begin = at;
  while (begin > 0 && !(GetWindowLongW(all[begin], GWL_STYLE) & WS_GROUP)) --begin;
  std::size_t end = at + 1;
  while (end < all.size() && !(GetWindowLongW(all[end], GWL_STYLE) & WS_GROUP)) ++end;
  return std::vector<HWND>(all.begin() + static_cast<std::ptrdiff_t>(begin), all.begin() + static_cast<std::ptrdiff_t>(end));
}

struct Button : ControlState {
  UINT check = BST_UNCHECKED;
  bool pushed = false;
  bool focused = false;
  bool tracking = false;

  LRESULT Handle(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    DWORD style = static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE));
    DWORD type = style & BS_TYPEMASK;
    switch (msg) {
      case WM_CREATE:
        // A group box lies in front of the controls it frames: it must neither hide them nor
        // take their taps, so it is transparent to its siblings and its parent.
        if (type == BS_GROUPBOX)
          SetWindowLongW(hwnd, GWL_EXSTYLE, GetWindowLongW(hwnd, GWL_EXSTYLE) | WS_EX_TRANSPARENT);
        return 0;
      case WM_PAINT: return PaintWith(hwnd, [&](HDC hdc) { Paint(hwnd, hdc, style); });
      case WM_ERASEBKGND: return 1;
      case WM_SETTEXT: {
        LRESULT r = DefWindowProcW(hwnd, msg, wparam, lparam);
        InvalidateRect(hwnd, nullptr, TRUE);
        return r;
      }
      case WM_ENABLE: InvalidateRect(hwnd, nullptr, TRUE); return 0;
      case WM_GETDLGCODE:
        if (type == BS_GROUPBOX) return DLGC_STATIC;
        if (IsRadio(type)) return DLGC_BUTTON | DLGC_RADIOBUTTON;
        if (type == BS_DEFPUSHBUTTON) return DLGC_BUTTON | DLGC_DEFPUSHBUTTON;
        if (type == BS_PUSHBUTTON || type == BS_OWNERDRAW) return DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON;
        return DLGC_BUTTON;
      case BM_GETCHECK: return check;
      case BM_SETCHECK:
        if (IsCheck(type) || IsRadio(type)) {
          UINT want = static_cast<UINT>(wparam) & 3;
          if (want == BST_INDETERMINATE && type != BS_3STATE && type != BS_AUTO3STATE) want = BST_CHECKED;
          if (want != check) {
            check = want;
            InvalidateRect(hwnd, nullptr, TRUE);
          }
        }
        return 0;
      case BM_GETSTATE: return check | (pushed ? BST_PUSHED : 0) | (focused ? BST_FOCUS : 0);
      case BM_SETSTATE:
        pushed = wparam != 0;
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
      case BM_SETSTYLE:
        SetWindowLongW(hwnd, GWL_STYLE, static_cast<LONG>((style & ~0xFFFFu) | (static_cast<DWORD>(wparam) & 0xFFFFu)));
        if (LOWORD(lparam)) InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
      case BM_CLICK:
        if (IsWindowEnabled(hwnd)) Click(hwnd, type);
        return 0;
      case WM_LBUTTONDOWN:
      case WM_LBUTTONDBLCLK:
        if (type == BS_GROUPBOX) return 0;
        pushed = tracking = true;
        SetCapture(hwnd);
        if (GetFocus() != hwnd) SetFocus(hwnd);
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
      case WM_MOUSEMOVE:
        if (tracking) {
          RECT r;
          GetClientRect(hwnd, &r);
          bool inside = PtInRect(&r, PointOf(lparam));
          if (inside != pushed) {
            pushed = inside;
            InvalidateRect(hwnd, nullptr, TRUE);
          }
        }
        return 0;
      case WM_LBUTTONUP:
        if (tracking) {
          tracking = false;
          ReleaseCapture();
          RECT r;
          GetClientRect(hwnd, &r);
          pushed = false;
          InvalidateRect(hwnd, nullptr, TRUE);
          if (PtInRect(&r, PointOf(lparam))) Click(hwnd, type);
        }
        return 0;
      case WM_KEYDOWN:
        if (wparam == VK_SPACE && type != BS_GROUPBOX) {
          pushed = true;
          InvalidateRect(hwnd, nullptr, TRUE);
        }
        return 0;
      case WM_KEYUP:
        if (wparam == VK_SPACE && pushed) {
          pushed = false;
          InvalidateRect(hwnd, nullptr, TRUE);
          Click(hwnd, type);
        }
        return 0;
      case WM_SETFOCUS:
      case WM_KILLFOCUS:
        return FocusChanged(hwnd, focused, msg, style & BS_NOTIFY, BN_SETFOCUS, BN_KILLFOCUS, TRUE);
      case WM_CAPTURECHANGED:
        if (tracking) {
          tracking = pushed = false;
          InvalidateRect(hwnd, nullptr, TRUE);
        }
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wparam, lparam);
  }

  void Click(HWND hwnd, DWORD type) {
    if (type == BS_AUTOCHECKBOX) {
      SendMessageW(hwnd, BM_SETCHECK, check == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED, 0);
    } else if (type == BS_AUTO3STATE) {
      SendMessageW(hwnd, BM_SETCHECK, (check + 1) % 3, 0);
    } else if (type == BS_AUTORADIOBUTTON) {
      for (HWND other : GroupOf(hwnd))
        if (other != hwnd && TypeOf(other) == BS_AUTORADIOBUTTON) SendMessageW(other, BM_SETCHECK, BST_UNCHECKED, 0);
      SendMessageW(hwnd, BM_SETCHECK, BST_CHECKED, 0);
    }
    NotifyCommand(hwnd, BN_CLICKED);
  }

  void Paint(HWND hwnd, HDC hdc, DWORD style) {
    RECT r;
    GetClientRect(hwnd, &r);
    DWORD type = style & BS_TYPEMASK;
    bool enabled = IsWindowEnabled(hwnd);
    if (type == BS_OWNERDRAW) {
      DRAWITEMSTRUCT dis{ODT_BUTTON, static_cast<UINT>(GetDlgCtrlID(hwnd)), 0, ODA_DRAWENTIRE,
                         (pushed ? ODS_SELECTED : 0u) | (focused ? ODS_FOCUS : 0u) | (enabled ? 0u : ODS_DISABLED),
                         hwnd, hdc, r, 0};
      SendMessageW(GetParent(hwnd), WM_DRAWITEM, dis.CtlID, reinterpret_cast<LPARAM>(&dis));
      return;
    }
    HGDIOBJ old_font = UseFont(hdc, font);
    std::u16string text = WindowText(hwnd);
    COLORREF color = enabled ? kText : kGrayText;
    if (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON || (style & BS_PUSHLIKE)) {
      bool down = pushed || ((style & BS_PUSHLIKE) && check == BST_CHECKED);
      Raised(hdc, r, down);
      if (type == BS_DEFPUSHBUTTON) Frame(hdc, r, RGB(0, 0, 0)), InflateRect(&r, -1, -1), Frame(hdc, r, RGB(0, 0, 0));
      RECT t = r;
      if (down) OffsetRect(&t, 1, 1);
      Text(hdc, text, t, DT_CENTER | DT_VCENTER | DT_SINGLELINE, color);
      if (focused) {
        RECT f = r;
        InflateRect(&f, -3, -3);
        DrawFocusRect(hdc, &f);
      }
    } else {
      SetBkColor(hdc, kFace);
      SetTextColor(hdc, kText);
      HBRUSH brush = ParentColors(hwnd, hdc, WM_CTLCOLORSTATIC);
      // A group box draws its frame and label only: its inside is the parent's, and the controls
      // it frames show through.
      if (type != BS_GROUPBOX) {
        if (brush) FillRect(hdc, &r, brush);
        else Fill(hdc, r, kFace);
      }
      if (enabled) color = GetTextColor(hdc);
      if (type == BS_GROUPBOX) {
        SIZE ext{};
        GetTextExtentPoint32W(hdc, text.c_str(), static_cast<int>(text.size()), &ext);
        RECT box{r.left, r.top + ext.cy / 2, r.right, r.bottom};
        Frame(hdc, box, kShadow);
        if (!text.empty()) {  // the label interrupts the frame's top edge
          RECT label{r.left + 6, r.top, r.left + 10 + ext.cx, r.top + ext.cy};
          if (brush) FillRect(hdc, &label, brush);
          else Fill(hdc, label, kFace);
          label.left += 2;
          Text(hdc, text, label, DT_LEFT | DT_SINGLELINE, color);
        }
      } else {
        int size = std::min<int>(13, r.bottom - r.top);
        bool left_text = style & BS_LEFTTEXT;
        RECT box{left_text ? r.right - size : r.left, (r.top + r.bottom - size) / 2, 0, 0};
        box.right = box.left + size;
        box.bottom = box.top + size;
        if (IsRadio(type)) {
          HBRUSH white = CreateSolidBrush(enabled ? kWindow : kFace);
          HPEN pen = CreatePen(PS_SOLID, 1, RGB(0x40, 0x40, 0x40));
          HGDIOBJ ob = SelectObject(hdc, white), op = SelectObject(hdc, pen);
          Ellipse(hdc, box.left, box.top, box.right, box.bottom);
          if (check == BST_CHECKED) {
            HBRUSH dot = CreateSolidBrush(kText);
            SelectObject(hdc, dot);
            Ellipse(hdc, box.left + 3, box.top + 3, box.right - 3, box.bottom - 3);
            SelectObject(hdc, white);
            DeleteObject(dot);
          }
          SelectObject(hdc, ob);
          SelectObject(hdc, op);
          DeleteObject(white);
          DeleteObject(pen);
        } else {
          Fill(hdc, box, check == BST_INDETERMINATE ? kFace : enabled ? kWindow : kFace);
          Frame(hdc, box, RGB(0x40, 0x40, 0x40));
          if (check != BST_UNCHECKED) {
            HPEN pen = CreatePen(PS_SOLID, 2, color);
            HGDIOBJ op = SelectObject(hdc, pen);
            MoveToEx(hdc, box.left + 3, box.top + size / 2, nullptr);
            LineTo(hdc, box.left + size / 2 - 1, box.bottom - 4);
            LineTo(hdc, box.right - 3, box.top + 3);
            SelectObject(hdc, op);
            DeleteObject(pen);
          }
        }
        RECT t = r;
        if (left_text) t.right -= size + 4;
        else t.left += size + 4;
        Text(hdc, text, t, DT_VCENTER | DT_SINGLELINE | (left_text ? DT_RIGHT : DT_LEFT), color);
        if (focused) {
          SIZE ext{};
          GetTextExtentPoint32W(hdc, text.c_str(), static_cast<int>(text.size()), &ext);
          RECT f{t.left - 1, (r.top + r.bottom - ext.cy) / 2 - 1, t.left + ext.cx + 1, (r.top + r.bottom + ext.cy) / 2 + 1};
          DrawFocusRect(hdc, &f);
        }
      }
    }
    SelectObject(hdc, old_font);
  }
};

}  // namespace

void RegisterButton() { RegisterControlClass(WC_BUTTONW, Dispatch<Button>); }

}  // namespace ce::controls
