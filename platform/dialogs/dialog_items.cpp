// Dialog items: texts, numbers and checks by id, tab and group navigation, the dialog's keyboard
// handling (IsDialogMessageW) and dialog units.
#include <algorithm>
#include <climits>
#include <string>

#include "platform/base/errors.h"
#include "platform/dialogs/dialog_internal.h"
#include "platform/kernel/last_error.h"
#include "platform/text/utf.h"

namespace ce::dialogs {
namespace {

bool IsDialogWindow(HWND hwnd) {
  WCHAR cls[16];
  return GetClassNameW(hwnd, cls, 16) && text::WideView(cls) == std::u16string_view(kDialogClass);
}

// Controls in tab order; a child dialog (a page: DS_CONTROL) contributes its own controls.
void Collect(HWND parent, std::vector<HWND>& out, bool visible_only) {
  for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    if (visible_only && !IsWindowVisible(c)) continue;
    if (IsDialogWindow(c) && (GetWindowLongW(c, GWL_STYLE) & DS_CONTROL)) {
      Collect(c, out, visible_only);
      continue;
    }
    out.push_back(c);
  }
}

bool Usable(HWND c) { return IsWindowVisible(c) && IsWindowEnabled(c); }

// The top control of `hwnd` below the dialog (the dialog's child that holds it).
HWND ControlOf(HWND dialog, HWND hwnd) {
  while (hwnd && GetParent(hwnd) && GetParent(hwnd) != dialog) {
    HWND parent = GetParent(hwnd);
    if (IsDialogWindow(parent) && (GetWindowLongW(parent, GWL_STYLE) & DS_CONTROL)) return hwnd;
    hwnd = parent;
  }
  return hwnd;
}


}  // namespace

HWND FindControl(HWND dialog, int id) {
  std::vector<HWND> all;
  Collect(dialog, all, false);
  // Pages of a sheet may repeat an id: the one the user sees (on the shown page) comes first.
  HWND first = nullptr;
  for (HWND c : all) {
    if (GetDlgCtrlID(c) != id) continue;
    if (IsWindowVisible(c)) return c;
    if (!first) first = c;
  }
  return first;
}

std::vector<std::u16string> ShownTexts(HWND dialog) {
  std::vector<HWND> all;
  Collect(dialog, all, true);
  std::vector<std::u16string> out;
  for (HWND c : all) {
    int n = GetWindowTextLengthW(c);
    if (n <= 0) continue;
    std::u16string t(static_cast<std::size_t>(n) + 1, u'\0');
    t.resize(static_cast<std::size_t>(GetWindowTextW(c, t.data(), n + 1)));
    if (!t.empty()) out.push_back(t);
  }
  return out;
}

}  // namespace ce::dialogs

using namespace ce::dialogs;

BOOL SetDlgItemTextW(HWND dialog, int id, LPCWSTR text) {
  HWND item = GetDlgItem(dialog, id);
  if (!item) {
    SetLastError(1421);  // ERROR_CONTROL_ID_NOT_FOUND
    return FALSE;
  }
  return SetWindowTextW(item, text);
}

UINT GetDlgItemTextW(HWND dialog, int id, LPWSTR text, int size) {
  HWND item = GetDlgItem(dialog, id);
  if (!item) {
    if (text && size > 0) text[0] = 0;
    SetLastError(1421);
    return 0;
  }
  return static_cast<UINT>(std::max(0, GetWindowTextW(item, text, size)));
}

BOOL SetDlgItemInt(HWND dialog, int id, UINT value, BOOL is_signed) {
  std::string s = is_signed ? std::to_string(static_cast<int>(value)) : std::to_string(value);
  std::u16string w = ce::text::FromUtf8(s);
  return SetDlgItemTextW(dialog, id, w.c_str());
}

UINT GetDlgItemInt(HWND dialog, int id, BOOL* ok, BOOL is_signed) {
  if (ok) *ok = FALSE;
  HWND item = GetDlgItem(dialog, id);
  if (!item) return 0;
  int length = std::max(0, GetWindowTextLengthW(item));
  std::u16string buffer(static_cast<std::size_t>(length) + 1, u'\0');
  int n = GetWindowTextW(item, buffer.data(), length + 1);
  std::u16string_view t(buffer.data(), static_cast<std::size_t>(std::max(n, 0)));
  while (!t.empty() && t.front() == u' ') t.remove_prefix(1);
  while (!t.empty() && t.back() == u' ') t.remove_suffix(1);
  bool negative = false;
  if (!t.empty() && (t.front() == u'-' || t.front() == u'+')) {
    if (t.front() == u'-') {
      if (!is_signed) return 0;
      negative = true;
    }
    t.remove_prefix(1);
  }
  if (t.empty()) return 0;
  long long v = 0;
  for (char16_t c : t) {
    if (c < u'0' || c > u'9') return 0;
    v = v * 10 + (c - u'0');
    if (v > 0xFFFFFFFFLL) return 0;
  }
  if (negative) v = -v;
  if (is_signed ? (v < INT_MIN || v > INT_MAX) : v > 0xFFFFFFFFLL) return 0;
  if (ok) *ok = TRUE;
  return static_cast<UINT>(static_cast<long long>(v));
}

BOOL CheckDlgButton(HWND dialog, int id, UINT check) {
  HWND item = GetDlgItem(dialog, id);
  if (!item) return FALSE;
  SendMessageW(item, BM_SETCHECK, check, 0);
  return TRUE;
}

UINT IsDlgButtonChecked(HWND dialog, int id) {
  HWND item = GetDlgItem(dialog, id);
  return item ? static_cast<UINT>(SendMessageW(item, BM_GETCHECK, 0, 0)) : 0;
}

BOOL CheckRadioButton(HWND dialog, int first, int last, int check) {
  if (first > last || check < first || check > last) return FALSE;
  // The dialog's controls with ids in the range (not every id of the range: it may be vast).
  for (HWND item = GetWindow(dialog, GW_CHILD); item; item = GetWindow(item, GW_HWNDNEXT)) {
    int id = GetDlgCtrlID(item);
    if (id >= first && id <= last) SendMessageW(item, BM_SETCHECK, id == check ? BST_CHECKED : BST_UNCHECKED, 0);
  }
  return TRUE;
}

LRESULT SendDlgItemMessageW(HWND dialog, int id, UINT msg, WPARAM wparam, LPARAM lparam) {
  HWND item = GetDlgItem(dialog, id);
  return item ? SendMessageW(item, msg, wparam, lparam) : 0;
}

HWND GetNextDlgTabItem(HWND dialog, HWND control, BOOL previous) {
  std::vector<HWND> all;
  Collect(dialog, all, false);
  std::vector<HWND> stops;
  for (HWND c : all)
    if (Usable(c) && (GetWindowLongW(c, GWL_STYLE) & WS_TABSTOP)) stops.push_back(c);
  if (stops.empty()) {
    for (HWND c : all)
      if (Usable(c) && !(SendMessageW(c, WM_GETDLGCODE, 0, 0) & DLGC_STATIC)) return c;
    return nullptr;
  }
  control = control ? ControlOf(dialog, control) : nullptr;
  auto it = std::find(stops.begin(), stops.end(), control);
  if (it == stops.end()) {
    // Not a tab stop itself: start from its place among all controls.
    auto at = std::find(all.begin(), all.end(), control);
    if (at == all.end()) return previous ? stops.back() : stops.front();
    if (previous) {
      for (auto p = std::make_reverse_iterator(at); p != all.rend(); ++p)
        if (std::find(stops.begin(), stops.end(), *p) != stops.end()) return *p;
      return stops.back();
    }
    for (auto p = at + 1; p != all.end(); ++p)
      if (std::find(stops.begin(), stops.end(), *p) != stops.end()) return *p;
    return stops.front();
  }
  std::size_t i = static_cast<std::size_t>(it - stops.begin());
  return previous ? stops[(i + stops.size() - 1) % stops.size()] : stops[(i + 1) % stops.size()];
}

HWND GetNextDlgGroupItem(HWND dialog, HWND control, BOOL previous) {
  std::vector<HWND> all;
  Collect(dialog, all, false);
  auto it = std::find(all.begin(), all.end(), control);
  if (it == all.end()) return nullptr;
  std::size_t at = static_cast<std::size_t>(it - all.begin());
  std::size_t begin = at;
  while (begin > 0 && !(GetWindowLongW(all[begin], GWL_STYLE) & WS_GROUP)) --begin;
  std::size_t end = at + 1;
  while (end < all.size() && !(GetWindowLongW(all[end], GWL_STYLE) & WS_GROUP)) ++end;
  std::size_t n = end - begin;
  for (std::size_t k = 1; k < n; ++k) {
    std::size_t i = previous ? begin + (at - begin + n - k) % n : begin + (at - begin + k) % n;
    if (Usable(all[i])) return all[i];
  }
  return control;
}

BOOL IsDialogMessageW(HWND dialog, LPMSG msg) {
  if (!msg || !dialog || !IsWindow(dialog)) return FALSE;
  if (msg->hwnd != dialog && !IsChild(dialog, msg->hwnd)) return FALSE;
  if (msg->message == WM_KEYDOWN) {
    UINT vk = static_cast<UINT>(msg->wParam);
    LRESULT code = SendMessageW(msg->hwnd, WM_GETDLGCODE, vk, reinterpret_cast<LPARAM>(msg));
    if (code & (DLGC_WANTALLKEYS | DLGC_WANTMESSAGE)) {
      TranslateMessage(msg);
      DispatchMessageW(msg);
      return TRUE;
    }
    switch (vk) {
      case VK_TAB:
        if (!(code & DLGC_WANTTAB)) {
          bool back = GetKeyState(VK_SHIFT) < 0;
          if (HWND next = GetNextDlgTabItem(dialog, GetFocus(), back)) {
            SetFocus(next);
            if (SendMessageW(next, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) SendMessageW(next, EM_SETSEL, 0, -1);
          }
          return TRUE;
        }
        break;
      case VK_LEFT:
      case VK_RIGHT:
      case VK_UP:
      case VK_DOWN:
        if (!(code & DLGC_WANTARROWS)) {
          HWND focus = GetFocus();
          HWND next = focus ? GetNextDlgGroupItem(dialog, focus, vk == VK_LEFT || vk == VK_UP) : nullptr;
          if (next && next != focus) {
            SetFocus(next);
            if (SendMessageW(next, WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON) SendMessageW(next, BM_CLICK, 0, 0);
          }
          return TRUE;
        }
        break;
      case VK_RETURN: {
        HWND focus = GetFocus();
        int id = IDOK;
        HWND button = nullptr;
        if (focus && (SendMessageW(focus, WM_GETDLGCODE, 0, 0) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON))) {
          button = focus;
          id = GetDlgCtrlID(focus);
        } else {
          LRESULT def = SendMessageW(dialog, DM_GETDEFID, 0, 0);
          if (HIWORD(def) == DC_HASDEFID) id = LOWORD(def);
          button = GetDlgItem(dialog, id);
        }
        if (!button || IsWindowEnabled(button))
          SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
        return TRUE;
      }
      case VK_ESCAPE: {
        HWND cancel = GetDlgItem(dialog, IDCANCEL);
        if (!cancel || IsWindowEnabled(cancel))
          SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), reinterpret_cast<LPARAM>(cancel));
        return TRUE;
      }
    }
  }
  TranslateMessage(msg);
  DispatchMessageW(msg);
  return TRUE;
}

BOOL MapDialogRect(HWND dialog, LPRECT rect) {
  auto st = StateOf(dialog);
  if (!st || !rect) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  rect->left = rect->left * st->base_x / 4;
  rect->right = rect->right * st->base_x / 4;
  rect->top = rect->top * st->base_y / 8;
  rect->bottom = rect->bottom * st->base_y / 8;
  return TRUE;
}

LONG GetDialogBaseUnits() { return MAKELONG(6, 13); }
