// The combo box: a field with the selected entry and a list that drops down below it.
#include <algorithm>

#include "platform/controls/control_base.h"
#include "platform/controls/item_list.h"
#include "platform/controls/user_actions.h"
#include "platform/text/utf.h"

namespace ce::controls {
namespace {

constexpr const WCHAR* kDropClass = u"ComboLBox";
constexpr int kRow = 14;
constexpr int kField = 20;

struct Combo : ControlState {
  ItemList items;
  int current = -1;
  HWND drop = nullptr;
  bool focused = false;
  std::u16string edit_text;  // CBS_DROPDOWN / CBS_SIMPLE: the field's own text

  // The field and the dropped rows are as high as the font needs (on a high-dpi screen the
  // font is larger), and never lower than on a common screen.
  int Field() const { return std::max(kField, FontHeight(font) + 6); }
  int Row() const { return std::max(kRow, FontHeight(font) + 2); }
  void FontChanged(HWND hwnd) {
    if ((static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE)) & 3) == CBS_SIMPLE) return;
    RECT r;
    GetClientRect(hwnd, &r);
    if (r.bottom != Field()) SetWindowPos(hwnd, nullptr, 0, 0, r.right, Field(), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }

  LRESULT Handle(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    static constexpr ItemList::Messages kEntries{CB_GETLBTEXT, CB_GETLBTEXTLEN, CB_GETITEMDATA, CB_SETITEMDATA, CB_ERR};
    if (LRESULT r; items.Answer(kEntries, msg, wparam, lparam, r)) return r;
    DWORD style = static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE));
    switch (msg) {
      case WM_CREATE:
        if ((style & 3) != CBS_SIMPLE) {
          // The height given is the field and its dropped list: the window is the field alone.
          auto* cs = reinterpret_cast<CREATESTRUCTW*>(lparam);
          if (cs->cy > Field()) MoveWindow(hwnd, cs->x, cs->y, cs->cx, Field(), FALSE);
        }
        return 0;
      case WM_PAINT: return PaintWith(hwnd, [&](HDC hdc) { Paint(hwnd, hdc); });
      case WM_ERASEBKGND: return 1;
      case WM_DESTROY: Close(hwnd, false); return 0;
      case WM_GETDLGCODE: return DLGC_WANTARROWS | DLGC_WANTCHARS;
      case WM_SETFOCUS:
      case WM_KILLFOCUS:
        return FocusChanged(hwnd, focused, msg, true, CBN_SETFOCUS, CBN_KILLFOCUS);
      case WM_SETTEXT: {
        edit_text = lparam ? std::u16string(text::WideView(reinterpret_cast<LPCWSTR>(lparam))) : std::u16string();
        int i = items.Find(-1, edit_text, true);
        if ((style & 3) == CBS_DROPDOWNLIST && i < 0) return CB_ERR;
        current = i;
        InvalidateRect(hwnd, nullptr, FALSE);
        return TRUE;
      }
      case WM_GETTEXT: return AnswerGetText(Shown(), wparam, lparam);
      case WM_GETTEXTLENGTH: return static_cast<LRESULT>(Shown().size());
      case CB_ADDSTRING:
      case CB_INSERTSTRING: {
        std::u16string t(text::WideView(reinterpret_cast<LPCWSTR>(lparam)));
        int at = msg == CB_ADDSTRING ? items.Add(std::move(t), style & CBS_SORT)
                                     : items.Insert(static_cast<int>(wparam), std::move(t));
        if (at < 0) return CB_ERR;
        if (current >= at) ++current;
        Redraw(hwnd);
        return at;
      }
      case CB_DELETESTRING: {
        int i = static_cast<int>(wparam);
        if (!items.Remove(i)) return CB_ERR;
        if (current == i) current = -1;
        else if (current > i) --current;
        Redraw(hwnd);
        return items.Count();
      }
      case CB_RESETCONTENT:
        items.Clear();
        current = -1;
        edit_text.clear();
        Redraw(hwnd);
        return 0;
      case CB_GETCOUNT: return items.Count();
      case CB_GETCURSEL: return current;
      case CB_SETCURSEL: {
        int i = static_cast<int>(wparam);
        current = items.Valid(i) ? i : -1;
        if (current >= 0) edit_text = items.at(current).text;
        Redraw(hwnd);
        return current >= 0 ? current : CB_ERR;
      }
      case CB_FINDSTRING:
      case CB_FINDSTRINGEXACT:
      case CB_SELECTSTRING: {
        int i = items.Find(static_cast<int>(wparam), text::WideView(reinterpret_cast<LPCWSTR>(lparam)),
                           msg == CB_FINDSTRINGEXACT);
        if (i >= 0 && msg == CB_SELECTSTRING) {
          current = i;
          edit_text = items.at(i).text;
          Redraw(hwnd);
        }
        return i >= 0 ? i : CB_ERR;
      }
      case CB_SHOWDROPDOWN:
        if (wparam) Open(hwnd);
        else Close(hwnd, false);
        return TRUE;
      case CB_GETDROPPEDSTATE: return drop != nullptr;
      case CB_LIMITTEXT: return TRUE;
      case CE_UA_SELECT: {
        // The user opens the list and picks an entry.
        int i = static_cast<int>(wparam);
        if (!items.Valid(i)) return FALSE;
        Open(hwnd);
        Pick(hwnd, i);
        return TRUE;
      }
      case WM_LBUTTONDOWN:
        if (GetFocus() != hwnd) SetFocus(hwnd);
        if (drop) Close(hwnd, true);
        else Open(hwnd);
        return 0;
      case WM_KEYDOWN: {
        int i = current;
        if (wparam == VK_UP) i = std::max(0, current - 1);
        else if (wparam == VK_DOWN) i = std::min(items.Count() - 1, current + 1);
        else return 0;
        if (items.Valid(i) && i != current) {
          current = i;
          edit_text = items.at(i).text;
          Redraw(hwnd);
          NotifyCommand(hwnd, CBN_SELCHANGE);
        }
        return 0;
      }
    }
    return DefWindowProcW(hwnd, msg, wparam, lparam);
  }

  std::u16string Shown() const { return current >= 0 ? items.at(current).text : edit_text; }

  void Redraw(HWND hwnd) {
    InvalidateRect(hwnd, nullptr, FALSE);
    if (drop) InvalidateRect(drop, nullptr, FALSE);
  }

  void Open(HWND hwnd) {
    if (drop) return;
    NotifyCommand(hwnd, CBN_DROPDOWN);
    RECT r;
    GetWindowRect(hwnd, &r);
    int rows = std::max(1, std::min(items.Count(), 8));
    int height = rows * Row() + 2;
    int top = r.bottom;
    if (top + height > GetSystemMetrics(SM_CYSCREEN)) top = std::max(0, static_cast<int>(r.top) - height);
    drop = CreateWindowExW(WS_EX_TOPMOST, kDropClass, u"", WS_POPUP | WS_BORDER, r.left, top, r.right - r.left, height,
                           hwnd, nullptr, nullptr, hwnd);
    if (drop) ShowWindow(drop, SW_SHOWNOACTIVATE);
  }

  void Close(HWND hwnd, bool notify) {
    if (!drop) return;
    HWND d = drop;
    drop = nullptr;
    DestroyWindow(d);
    if (notify) {
      NotifyCommand(hwnd, CBN_SELENDCANCEL);
      NotifyCommand(hwnd, CBN_CLOSEUP);
    }
  }

  void Pick(HWND hwnd, int i) {
    current = i;
    edit_text = items.at(i).text;
    InvalidateRect(hwnd, nullptr, FALSE);
    NotifyCommand(hwnd, CBN_SELCHANGE);
    HWND d = drop;
    drop = nullptr;
    if (d) DestroyWindow(d);
    NotifyCommand(hwnd, CBN_SELENDOK);
    NotifyCommand(hwnd, CBN_CLOSEUP);
  }

  void Paint(HWND hwnd, HDC hdc) {
    RECT r;
    GetClientRect(hwnd, &r);
    bool enabled = IsWindowEnabled(hwnd);
    r.bottom = std::min<LONG>(r.bottom, r.top + Field());  // the field; the template's height includes the list
    Fill(hdc, r, enabled ? kWindow : kFace);
    Frame(hdc, r, RGB(0x40, 0x40, 0x40));
    RECT button{r.right - 14, r.top + 1, r.right - 1, r.bottom - 1};
    Raised(hdc, button, drop != nullptr);
    Arrow(hdc, button, 0, enabled ? kText : kGrayText);
    RECT t{r.left + 3, r.top + 1, button.left - 1, r.bottom - 1};
    HGDIOBJ old = UseFont(hdc, font);
    if (focused) {
      Fill(hdc, t, kHighlight);
      Text(hdc, Shown(), t, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX, kHighlightText);
    } else {
      Text(hdc, Shown(), t, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX, enabled ? kText : kGrayText);
    }
    SelectObject(hdc, old);
  }
};

// The dropped list: draws the combo box's entries and picks the one tapped.
LRESULT DropProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  if (msg == WM_CREATE) {
    auto* cs = reinterpret_cast<CREATESTRUCTW*>(lparam);
    SetWindowLongPtrW(hwnd, 0, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    return 0;
  }
  HWND combo = reinterpret_cast<HWND>(GetWindowLongPtrW(hwnd, 0));
  Combo* c = IsWindow(combo) ? StateOf<Combo>(combo) : nullptr;
  switch (msg) {
    case WM_ERASEBKGND: return 1;
    case WM_PAINT:
      return PaintWith(hwnd, [&](HDC hdc) {
        RECT r;
        GetClientRect(hwnd, &r);
        Fill(hdc, r, kWindow);
        Frame(hdc, r, RGB(0, 0, 0));
        if (c) {
          HGDIOBJ old = UseFont(hdc, c->font);
          for (int i = 0; i < c->items.Count(); ++i) {
            RECT row{1, 1 + i * c->Row(), r.right - 1, 1 + (i + 1) * c->Row()};
            bool sel = i == c->current;
            if (sel) Fill(hdc, row, kHighlight);
            row.left += 3;
            Text(hdc, c->items.at(i).text, row, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX, sel ? kHighlightText : kText);
          }
          SelectObject(hdc, old);
        }
      });
    case WM_LBUTTONDOWN:
      if (c) {
        int i = (PointOf(lparam).y - 1) / c->Row();
        if (c->items.Valid(i)) c->Pick(combo, i);
        else c->Close(combo, true);
      }
      return 0;
  }
  return DefWindowProcW(hwnd, msg, wparam, lparam);
}

}  // namespace

void RegisterComboBox() {
  RegisterControlClass(WC_COMBOBOXW, Dispatch<Combo>);
  RegisterControlClass(kDropClass, DropProc, 0);
}

}  // namespace ce::controls
