// The list box: a scrolling list of texts with one (or, with LBS_MULTIPLESEL, several) selected.
#include <algorithm>

#include "platform/controls/control_base.h"
#include "platform/controls/item_list.h"
#include "platform/controls/user_actions.h"
#include "platform/text/utf.h"

namespace ce::controls {
namespace {

struct ListBox : ControlState {
  ItemList items;
  int current = -1;
  int top = 0;
  int item_height = 14;
  bool height_set = false;  // LB_SETITEMHEIGHT gave the height; otherwise the font does
  bool focused = false;

  // Rows are as high as the font needs, and never lower than on a common screen.
  void FontChanged(HWND hwnd) {
    if (height_set) return;
    item_height = std::max(14, FontHeight(font) + 1);
    InvalidateRect(hwnd, nullptr, TRUE);
  }

  bool Multi(DWORD style) const { return style & (LBS_MULTIPLESEL | LBS_EXTENDEDSEL); }

  int Visible(HWND hwnd) const {
    RECT r;
    GetClientRect(hwnd, &r);
    return std::max(1, (r.bottom - r.top - 2) / item_height);
  }

  void Show(HWND hwnd, int index) {
    if (index < 0) return;
    int rows = Visible(hwnd);
    if (index < top) top = index;
    else if (index >= top + rows) top = index - rows + 1;
  }

  LRESULT Handle(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    static constexpr ItemList::Messages kEntries{LB_GETTEXT, LB_GETTEXTLEN, LB_GETITEMDATA, LB_SETITEMDATA, LB_ERR};
    if (LRESULT r; items.Answer(kEntries, msg, wparam, lparam, r)) return r;
    DWORD style = static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE));
    switch (msg) {
      case WM_PAINT: return PaintWith(hwnd, [&](HDC hdc) { Paint(hwnd, hdc, style); });
      case WM_ERASEBKGND: return 1;
      case WM_GETDLGCODE: return DLGC_WANTARROWS | DLGC_WANTCHARS;
      case WM_SETFOCUS:
      case WM_KILLFOCUS:
        return FocusChanged(hwnd, focused, msg, style & LBS_NOTIFY, LBN_SETFOCUS, LBN_KILLFOCUS);
      case LB_ADDSTRING:
      case LB_INSERTSTRING: {
        std::u16string t = (style & LBS_OWNERDRAWFIXED) && !(style & LBS_HASSTRINGS)
                               ? std::u16string()
                               : std::u16string(text::WideView(reinterpret_cast<LPCWSTR>(lparam)));
        int at = msg == LB_ADDSTRING ? items.Add(std::move(t), style & LBS_SORT)
                                     : items.Insert(static_cast<int>(wparam), std::move(t));
        if (at < 0) return LB_ERR;
        if ((style & LBS_OWNERDRAWFIXED) && !(style & LBS_HASSTRINGS)) items.at(at).data = static_cast<ULONG_PTR>(lparam);
        if (current >= at && current >= 0) ++current;
        InvalidateRect(hwnd, nullptr, TRUE);
        return at;
      }
      case LB_DELETESTRING: {
        int i = static_cast<int>(wparam);
        if (!items.Remove(i)) return LB_ERR;
        if (current == i) current = -1;
        else if (current > i) --current;
        top = std::max(0, std::min(top, items.Count() - 1));
        InvalidateRect(hwnd, nullptr, TRUE);
        return items.Count();
      }
      case LB_RESETCONTENT:
        items.Clear();
        current = -1;
        top = 0;
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
      case LB_GETCOUNT: return items.Count();
      case LB_GETCURSEL:
        return current;
      case LB_SETCURSEL: {
        int i = static_cast<int>(wparam);
        if (Multi(style)) return LB_ERR;
        current = items.Valid(i) ? i : -1;
        Show(hwnd, current);
        InvalidateRect(hwnd, nullptr, TRUE);
        return (items.Valid(i) || i == -1) ? (i == -1 ? LB_ERR : i) : LB_ERR;
      }
      case LB_SETSEL: {
        int i = static_cast<int>(lparam);
        if (!Multi(style)) return LB_ERR;
        if (i == -1) {
          for (int k = 0; k < items.Count(); ++k) items.at(k).selected = wparam != 0;
        } else if (items.Valid(i)) {
          items.at(i).selected = wparam != 0;
          current = i;
        } else {
          return LB_ERR;
        }
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
      }
      case LB_GETSEL: {
        int i = static_cast<int>(wparam);
        if (!items.Valid(i)) return LB_ERR;
        return Multi(style) ? items.at(i).selected : (i == current);
      }
      case LB_GETSELCOUNT: {
        if (!Multi(style)) return LB_ERR;
        int n = 0;
        for (int k = 0; k < items.Count(); ++k) n += items.at(k).selected;
        return n;
      }
      case LB_FINDSTRING:
      case LB_FINDSTRINGEXACT:
      case LB_SELECTSTRING: {
        int i = items.Find(static_cast<int>(wparam), text::WideView(reinterpret_cast<LPCWSTR>(lparam)),
                           msg == LB_FINDSTRINGEXACT);
        if (i >= 0 && msg == LB_SELECTSTRING) {
          current = i;
          Show(hwnd, i);
          InvalidateRect(hwnd, nullptr, TRUE);
        }
        return i;
      }
      case LB_GETTOPINDEX: return top;
      case LB_SETTOPINDEX:
        if (!items.Valid(static_cast<int>(wparam))) return LB_ERR;
        top = static_cast<int>(wparam);
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
      case LB_SETITEMHEIGHT:
        item_height = std::max(1, static_cast<int>(LOWORD(lparam)));
        height_set = true;
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
      case LB_GETITEMHEIGHT: return item_height;
      case CE_UA_SELECT:
        if (!items.Valid(static_cast<int>(wparam))) return FALSE;
        if (GetFocus() != hwnd) SetFocus(hwnd);
        Pick(hwnd, style, static_cast<int>(wparam));
        return TRUE;
      case WM_LBUTTONDOWN:
      case WM_LBUTTONDBLCLK: {
        if (GetFocus() != hwnd) SetFocus(hwnd);
        POINT p = PointOf(lparam);
        int i = top + (p.y - 1) / item_height;
        if (!items.Valid(i)) return 0;
        if (msg == WM_LBUTTONDBLCLK) {
          if (style & LBS_NOTIFY) NotifyCommand(hwnd, LBN_DBLCLK);
          return 0;
        }
        Pick(hwnd, style, i);
        return 0;
      }
      case WM_KEYDOWN: {
        int i = current;
        switch (wparam) {
          case VK_UP: i = std::max(0, current - 1); break;
          case VK_DOWN: i = std::min(items.Count() - 1, current + 1); break;
          case VK_HOME: i = 0; break;
          case VK_END: i = items.Count() - 1; break;
          default: return 0;
        }
        if (items.Valid(i) && i != current) Pick(hwnd, style, i);
        return 0;
      }
    }
    return DefWindowProcW(hwnd, msg, wparam, lparam);
  }

  // The user picks entry i.
  void Pick(HWND hwnd, DWORD style, int i) {
    if (Multi(style)) items.at(i).selected = !items.at(i).selected;
    current = i;
    Show(hwnd, i);
    InvalidateRect(hwnd, nullptr, TRUE);
    if (style & LBS_NOTIFY) NotifyCommand(hwnd, LBN_SELCHANGE);
  }

  void Paint(HWND hwnd, HDC hdc, DWORD style) {
    RECT r;
    GetClientRect(hwnd, &r);
    SetBkColor(hdc, kWindow);
    SetTextColor(hdc, kText);
    HBRUSH brush = ParentColors(hwnd, hdc, WM_CTLCOLORLISTBOX);
    if (brush) FillRect(hdc, &r, brush);
    else Fill(hdc, r, kWindow);
    COLORREF color = GetTextColor(hdc);
    HGDIOBJ old = UseFont(hdc, font);
    int rows = Visible(hwnd);
    for (int k = 0; k < rows && top + k < items.Count(); ++k) {
      int i = top + k;
      RECT row{r.left + 1, r.top + 1 + k * item_height, r.right - 1, r.top + 1 + (k + 1) * item_height};
      bool sel = Multi(style) ? items.at(i).selected : i == current;
      if (style & LBS_OWNERDRAWFIXED) {
        DRAWITEMSTRUCT dis{ODT_LISTBOX, static_cast<UINT>(GetDlgCtrlID(hwnd)), static_cast<UINT>(i), ODA_DRAWENTIRE,
                           (sel ? ODS_SELECTED : 0u) | (focused && i == current ? ODS_FOCUS : 0u), hwnd, hdc, row,
                           items.at(i).data};
        SendMessageW(GetParent(hwnd), WM_DRAWITEM, dis.CtlID, reinterpret_cast<LPARAM>(&dis));
        continue;
      }
      if (sel) Fill(hdc, row, kHighlight);
      RECT t = row;
      t.left += 2;
      Text(hdc, items.at(i).text, t, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX, sel ? kHighlightText : color);
      if (focused && i == current) DrawFocusRect(hdc, &row);
    }
    if (items.Count() > rows) {  // a plain indicator that more entries are below or above
      RECT bar{r.right - 4, r.top + 1 + (r.bottom - r.top - 2) * top / items.Count(), r.right - 1,
               r.top + 1 + (r.bottom - r.top - 2) * std::min(items.Count(), top + rows) / items.Count()};
      Fill(hdc, bar, kShadow);
    }
    if (style & WS_BORDER) Frame(hdc, r, RGB(0x40, 0x40, 0x40));
    SelectObject(hdc, old);
  }
};

}  // namespace

void RegisterListBox() { RegisterControlClass(WC_LISTBOXW, Dispatch<ListBox>); }

}  // namespace ce::controls
