// The edit control: single- and multi-line text with a selection, limits, numbers only,
// read-only and password entry.
#include <algorithm>

#include "platform/controls/control_base.h"
#include "platform/sound/sound.h"
#include "platform/text/utf.h"

namespace ce::controls {
namespace {

struct Edit : ControlState {
  std::u16string text;
  std::size_t sel_start = 0, sel_end = 0;  // sel_end is the caret
  std::size_t limit = 30000;
  bool modified = false;
  bool focused = false;
  WCHAR password = u'*';

  LRESULT Handle(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
    DWORD style = static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE));
    switch (msg) {
      case WM_CREATE: {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lparam);
        if (cs->lpszName) text = text::WideView(cs->lpszName);
        Normalize(style);
        return 0;
      }
      case WM_PAINT: return PaintWith(hwnd, [&](HDC hdc) { Paint(hwnd, hdc, style); });
      case WM_ERASEBKGND: return 1;
      case WM_SETTEXT: {
        auto* t = reinterpret_cast<LPCWSTR>(lparam);
        text = t ? std::u16string(text::WideView(t)) : std::u16string();
        Normalize(style);
        if (text.size() > limit) text.resize(limit);
        sel_start = sel_end = 0;
        modified = false;
        DefWindowProcW(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
        InvalidateRect(hwnd, nullptr, TRUE);
        if (!(style & ES_MULTILINE)) Changed(hwnd, false);
        return TRUE;
      }
      case WM_GETTEXT: return AnswerGetText(text, wparam, lparam);
      case WM_GETTEXTLENGTH: return static_cast<LRESULT>(text.size());
      case WM_GETDLGCODE: {
        LRESULT code = DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS;
        if ((style & ES_MULTILINE) && (style & ES_WANTRETURN)) code |= DLGC_WANTALLKEYS;
        return code;
      }
      case WM_SETFOCUS:
      case WM_KILLFOCUS:
        return FocusChanged(hwnd, focused, msg, true, EN_SETFOCUS, EN_KILLFOCUS);
      case WM_ENABLE: InvalidateRect(hwnd, nullptr, TRUE); return 0;
      case WM_LBUTTONDOWN:
        if (GetFocus() != hwnd) SetFocus(hwnd);
        sel_start = sel_end = text.size();
        InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
      case WM_CHAR: Char(hwnd, style, static_cast<WCHAR>(wparam)); return 0;
      case WM_KEYDOWN: Key(hwnd, style, static_cast<UINT>(wparam)); return 0;
      case EM_GETSEL: {
        auto lo = std::min(sel_start, sel_end), hi = std::max(sel_start, sel_end);
        if (wparam) *reinterpret_cast<DWORD*>(wparam) = static_cast<DWORD>(lo);
        if (lparam) *reinterpret_cast<DWORD*>(lparam) = static_cast<DWORD>(hi);
        return MAKELONG(lo, hi);
      }
      case EM_SETSEL: {
        long a = static_cast<long>(static_cast<int>(wparam)), b = static_cast<long>(static_cast<int>(lparam));
        if (a < 0) {
          sel_start = sel_end = text.size();  // -1: no selection, caret kept at the end
        } else {
          if (b < 0) b = static_cast<long>(text.size());
          sel_start = std::min<std::size_t>(static_cast<std::size_t>(a), text.size());
          sel_end = std::min<std::size_t>(static_cast<std::size_t>(b), text.size());
        }
        InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
      }
      case EM_REPLACESEL:
        Replace(hwnd, style, lparam ? std::u16string(text::WideView(reinterpret_cast<LPCWSTR>(lparam))) : std::u16string());
        return 0;
      case EM_LIMITTEXT:
        limit = wparam == 0 ? 0x7FFFFFFE : static_cast<std::size_t>(wparam);
        return 0;
      case EM_GETLIMITTEXT: return static_cast<LRESULT>(limit);
      case EM_GETMODIFY: return modified;
      case EM_SETMODIFY: modified = wparam != 0; return 0;
      case EM_SETREADONLY:
        SetWindowLongW(hwnd, GWL_STYLE, static_cast<LONG>(wparam ? (style | ES_READONLY) : (style & ~ES_READONLY)));
        InvalidateRect(hwnd, nullptr, TRUE);
        return TRUE;
      case EM_SETPASSWORDCHAR:
        password = static_cast<WCHAR>(wparam);
        SetWindowLongW(hwnd, GWL_STYLE, static_cast<LONG>(wparam ? (style | ES_PASSWORD) : (style & ~ES_PASSWORD)));
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
      case EM_GETLINECOUNT:
        return static_cast<LRESULT>(1 + std::count(text.begin(), text.end(), u'\n'));
      case EM_SCROLLCARET: return TRUE;
      case WM_CLEAR: Replace(hwnd, style, u""); return 0;
    }
    return DefWindowProcW(hwnd, msg, wparam, lparam);
  }

  void Normalize(DWORD style) {
    for (auto& c : text) {
      if ((style & ES_UPPERCASE) && c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - 32);
      if ((style & ES_LOWERCASE) && c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c + 32);
    }
  }

  void Changed(HWND hwnd, bool by_user) {
    if (by_user) modified = true;
    DefWindowProcW(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));  // the window's text follows
    InvalidateRect(hwnd, nullptr, FALSE);
    NotifyCommand(hwnd, EN_UPDATE);
    NotifyCommand(hwnd, EN_CHANGE);
  }

  // Replaces the selection by `insert` (cut to the limit).
  void Replace(HWND hwnd, DWORD style, std::u16string insert) {
    auto lo = std::min(sel_start, sel_end), hi = std::max(sel_start, sel_end);
    if (lo == hi && insert.empty()) return;  // nothing changes
    std::size_t room = limit - std::min(limit, text.size() - (hi - lo));
    if (insert.size() > room) {
      insert.resize(room);
      NotifyCommand(hwnd, EN_MAXTEXT);
      if (insert.empty() && lo == hi) return;  // full: nothing changes
    }
    text.replace(lo, hi - lo, insert);
    Normalize(style);
    sel_start = sel_end = lo + insert.size();
    Changed(hwnd, true);
  }

  void Char(HWND hwnd, DWORD style, WCHAR c) {
    if (style & ES_READONLY) return;
    if (c == VK_BACK) {
      if (sel_start == sel_end) {
        if (sel_end == 0) return;
        sel_start = sel_end - 1;
      }
      Replace(hwnd, style, u"");
      return;
    }
    if (c == u'\r') {
      if (!(style & ES_MULTILINE)) return;
      Replace(hwnd, style, u"\r\n");
      return;
    }
    if (c < 0x20 && c != u'\t') return;
    if ((style & ES_NUMBER) && (c < u'0' || c > u'9')) {
      MessageBeep(0xFFFFFFFFu);  // refused, as the device does
      return;
    }
    Replace(hwnd, style, std::u16string(1, c));
  }

  void Key(HWND hwnd, DWORD style, UINT vk) {
    std::size_t caret = sel_end;
    switch (vk) {
      case VK_LEFT: caret = caret > 0 ? caret - 1 : 0; break;
      case VK_RIGHT: caret = std::min(text.size(), caret + 1); break;
      case VK_HOME: caret = 0; break;
      case VK_END: caret = text.size(); break;
      case VK_DELETE:
        if (style & ES_READONLY) return;
        if (sel_start == sel_end) {
          if (sel_end >= text.size()) return;
          sel_end = sel_end + 1;
        }
        Replace(hwnd, style, u"");
        return;
      default: return;
    }
    sel_start = sel_end = caret;
    InvalidateRect(hwnd, nullptr, FALSE);
  }

  void Paint(HWND hwnd, HDC hdc, DWORD style) {
    RECT r;
    GetClientRect(hwnd, &r);
    bool enabled = IsWindowEnabled(hwnd);
    bool read_only = style & ES_READONLY;
    SetBkColor(hdc, read_only || !enabled ? kFace : kWindow);
    SetTextColor(hdc, kText);
    HBRUSH brush = ParentColors(hwnd, hdc, read_only || !enabled ? WM_CTLCOLORSTATIC : WM_CTLCOLOREDIT);
    if (brush) FillRect(hdc, &r, brush);
    else Fill(hdc, r, read_only || !enabled ? kFace : kWindow);
    COLORREF color = enabled ? GetTextColor(hdc) : kGrayText;
    if (style & WS_BORDER) {
      Frame(hdc, r, RGB(0x40, 0x40, 0x40));
    }
    if (GetWindowLongW(hwnd, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) Sunken(hdc, r);
    InflateRect(&r, -3, -2);
    std::u16string shown = text;
    if (style & ES_PASSWORD) shown.assign(text.size(), password ? password : u'*');
    HGDIOBJ old = UseFont(hdc, font);
    UINT format = DT_NOPREFIX | ((style & ES_MULTILINE) ? DT_WORDBREAK : (DT_SINGLELINE | DT_VCENTER));
    if ((style & 3) == ES_CENTER) format |= DT_CENTER;
    if ((style & 3) == ES_RIGHT) format |= DT_RIGHT;
    auto lo = std::min(sel_start, sel_end), hi = std::max(sel_start, sel_end);
    if (!(style & ES_MULTILINE) && (focused || (style & ES_NOHIDESEL)) && lo < hi && !(format & (DT_CENTER | DT_RIGHT))) {
      // The selection, highlighted.
      SIZE before{}, sel{}, all{};
      GetTextExtentPoint32W(hdc, shown.c_str(), static_cast<int>(lo), &before);
      GetTextExtentPoint32W(hdc, shown.c_str() + lo, static_cast<int>(hi - lo), &sel);
      GetTextExtentPoint32W(hdc, shown.c_str(), static_cast<int>(shown.size()), &all);
      int top = (r.top + r.bottom - all.cy) / 2;
      RECT h{r.left + before.cx, top, r.left + before.cx + sel.cx, top + all.cy};
      Fill(hdc, h, kHighlight);
      Text(hdc, shown.substr(0, lo), r, format, color);
      RECT mid = r;
      mid.left += before.cx;
      Text(hdc, shown.substr(lo, hi - lo), mid, format, kHighlightText);
      RECT rest = r;
      rest.left += before.cx + sel.cx;
      Text(hdc, shown.substr(hi), rest, format, color);
    } else {
      Text(hdc, shown, r, format, color);
    }
    if (focused && lo == hi && !(style & ES_MULTILINE) && !(format & (DT_CENTER | DT_RIGHT))) {
      SIZE before{};
      GetTextExtentPoint32W(hdc, shown.c_str(), static_cast<int>(sel_end), &before);
      TEXTMETRICW tm{};
      GetTextMetricsW(hdc, &tm);
      int top = (r.top + r.bottom - tm.tmHeight) / 2;
      RECT caret{r.left + before.cx, top, r.left + before.cx + 1, top + tm.tmHeight};
      Fill(hdc, caret, kText);
    }
    SelectObject(hdc, old);
  }
};

}  // namespace

void RegisterEdit() { RegisterControlClass(WC_EDITW, Dispatch<Edit>); }

}  // namespace ce::controls
