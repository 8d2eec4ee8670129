// The scripted user's steps inside a dialog: each does what the user's tap, drag or typing would.
#include <cctype>

#include "platform/controls/commctrl.h"
#include "platform/controls/user_actions.h"
#include "platform/dialogs/dialog_internal.h"
#include "platform/dialogs/prsht.h"
#include "platform/menus/softkey_bar.h"
#include "platform/text/utf.h"

namespace ce::dialogs {
namespace {

std::u16string ClassOf(HWND hwnd) {
  WCHAR cls[64] = {0};
  GetClassNameW(hwnd, cls, 64);
  return std::u16string(text::WideView(cls));
}

bool Is(HWND hwnd, const WCHAR* cls) {
  std::u16string a = ClassOf(hwnd), b(text::WideView(cls));
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i] < 0x80 ? a[i] : 0)) != std::tolower(static_cast<unsigned char>(b[i] < 0x80 ? b[i] : 0)))
      return false;
  return true;
}

bool Fail(HWND dialog, const scripted::Step& step, const std::string& why) {
  int n = GetWindowTextLengthW(dialog);
  std::u16string title(static_cast<std::size_t>(n) + 1, u'\0');
  title.resize(static_cast<std::size_t>(GetWindowTextW(dialog, title.data(), n + 1)));
  scripted::User::Get().Log("dialog \"" + text::ToUtf8(title) + "\": step " + std::to_string(step.op) + " on control " +
                            std::to_string(step.control) + ": " + why);
  return false;
}

void Tap(HWND control, POINT p) {
  LPARAM at = MAKELPARAM(p.x, p.y);
  SendMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, at);
  if (IsWindow(control)) SendMessageW(control, WM_LBUTTONUP, 0, at);
}

POINT Centre(HWND control) {
  RECT r;
  GetClientRect(control, &r);
  return POINT{r.right / 2, r.bottom / 2};
}

// A control the user can reach: shown and enabled.
HWND Reachable(HWND dialog, const scripted::Step& step, bool& failed) {
  failed = false;
  HWND c = FindControl(dialog, step.control);
  if (!c) {
    failed = true;
    Fail(dialog, step, "no such control");
    return nullptr;
  }
  if (!IsWindowVisible(c) || !IsWindowEnabled(c)) {
    failed = true;
    Fail(dialog, step, "the control is hidden or disabled");
    return nullptr;
  }
  return c;
}

// The sheet holding the dialog (itself, or the sheet whose page it is).
// The property sheet that `dialog` is or lies in. Only the chain of child windows is climbed: a
// dialog owned by a page of a sheet is a window of its own, not a part of that sheet.
HWND SheetOf(HWND dialog) {
  for (HWND h = dialog; h; h = (GetWindowLongW(h, GWL_STYLE) & WS_CHILD) ? GetParent(h) : nullptr)
    if (GetDlgItem(h, kSheetTabId)) return h;
  return nullptr;
}

}  // namespace

bool RunStep(HWND dialog, const scripted::Step& step) {
  using Op = scripted::Step::Op;
  bool failed = false;
  switch (step.op) {
    case Op::kEnd: EndDialog(dialog, step.value); return true;
    case Op::kKey: {
      HWND focus = GetFocus();
      if (!focus || (focus != dialog && !IsChild(dialog, focus))) focus = dialog;
      PostMessageW(focus, WM_KEYDOWN, static_cast<WPARAM>(step.value), 0);
      PostMessageW(focus, WM_KEYUP, static_cast<WPARAM>(step.value), 0);
      return true;
    }
    case Op::kPage: {
      HWND sheet = SheetOf(dialog);
      HWND tab = sheet ? GetDlgItem(sheet, kSheetTabId) : nullptr;
      if (!tab) return Fail(dialog, step, "not a property sheet");
      if (!SendMessageW(tab, CE_UA_SELECT, static_cast<WPARAM>(step.value), 0))
        return Fail(dialog, step, "the page could not be shown");
      return true;
    }
    case Op::kSoftKey: {
      HWND bar = SHFindMenuBar(dialog);
      // A property sheet shows the soft keys of its current page.
      if (HWND sheet = SheetOf(dialog); !bar && sheet) {
        SendMessageW(sheet, PSM_GETCURRENTPAGEHWND, 0, 0);
        const auto page = reinterpret_cast<HWND>(GetWindowLongPtrW(sheet, DWL_MSGRESULT));
        if (page) bar = SHFindMenuBar(page);
      }
      if (!bar) return Fail(dialog, step, "the dialog has no soft-key bar");
      if (!menus::PressSoftKey(bar, step.value)) return Fail(dialog, step, "no such soft key");
      return true;
    }
    case Op::kClick: {
      HWND c = FindControl(dialog, step.control);
      if (!c && (step.control == IDOK || step.control == IDCANCEL)) {
        // The title bar's OK, or the cancel key, of a dialog that has no such button.
        HWND target = SheetOf(dialog) ? SheetOf(dialog) : dialog;
        SendMessageW(target, WM_COMMAND, MAKEWPARAM(step.control, BN_CLICKED), 0);
        return true;
      }
      c = Reachable(dialog, step, failed);
      if (!c) return false;
      if (Is(c, WC_LISTVIEWW) && step.value >= 0) {
        if (step.value >= SendMessageW(c, LVM_GETITEMCOUNT, 0, 0)) return Fail(dialog, step, "no such row");
        SendMessageW(c, LVM_ENSUREVISIBLE, static_cast<WPARAM>(step.value), FALSE);
        RECT r{LVIR_BOUNDS, 0, 0, 0};
        SendMessageW(c, LVM_GETITEMRECT, static_cast<WPARAM>(step.value), reinterpret_cast<LPARAM>(&r));
        Tap(c, POINT{r.left + 2, (r.top + r.bottom) / 2});
        return true;
      }
      Tap(c, Centre(c));
      return true;
    }
    case Op::kCheck: {
      HWND c = Reachable(dialog, step, failed);
      if (!c) return false;
      if (static_cast<int>(SendMessageW(c, BM_GETCHECK, 0, 0) == BST_CHECKED) != (step.value != 0)) Tap(c, Centre(c));
      return true;
    }
    case Op::kSetText:
    case Op::kType: {
      HWND c = Reachable(dialog, step, failed);
      if (!c) return false;
      if (GetFocus() != c) SetFocus(c);
      if (Is(c, DATETIMEPICK_CLASSW)) {
        if (!SendMessageW(c, CE_UA_SETTEXT, 0, reinterpret_cast<LPARAM>(step.text.c_str())))
          return Fail(dialog, step, "the text does not fit the picker's format");
        return true;
      }
      if (Is(c, WC_EDITW)) {
        if (step.op == Op::kSetText) {
          SendMessageW(c, EM_SETSEL, 0, -1);
          SendMessageW(c, WM_CLEAR, 0, 0);
        }
        for (char16_t ch : step.text) SendMessageW(c, WM_CHAR, ch == u'\n' ? u'\r' : ch, 0);
        return true;
      }
      if (Is(c, WC_COMBOBOXW)) {
        LRESULT i = SendMessageW(c, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(step.text.c_str()));
        if (i >= 0) {
          SendMessageW(c, CE_UA_SELECT, static_cast<WPARAM>(i), 0);
          return true;
        }
      }
      SetWindowTextW(c, step.text.c_str());
      return true;
    }
    case Op::kSelect: {
      HWND c = Reachable(dialog, step, failed);
      if (!c) return false;
      if (GetFocus() != c) SetFocus(c);
      if (Is(c, WC_LISTVIEWW)) {
        scripted::Step click = step;
        click.op = Op::kClick;
        return RunStep(dialog, click);
      }
      if (!SendMessageW(c, CE_UA_SELECT, static_cast<WPARAM>(step.value), 0)) return Fail(dialog, step, "no such entry");
      return true;
    }
    case Op::kTrack: {
      HWND c = Reachable(dialog, step, failed);
      if (!c) return false;
      if (!Is(c, TRACKBAR_CLASSW)) return Fail(dialog, step, "not a trackbar");
      SendMessageW(c, CE_UA_TRACK, static_cast<WPARAM>(step.value), 0);
      return true;
    }
    case Op::kSpin: {
      HWND c = Reachable(dialog, step, failed);
      if (!c) return false;
      if (!Is(c, UPDOWN_CLASSW)) return Fail(dialog, step, "not an up-down control");
      SendMessageW(c, CE_UA_SPIN, static_cast<WPARAM>(step.value > 0 ? 1 : -1), 0);
      return true;
    }
    case Op::kColumn: {
      HWND c = Reachable(dialog, step, failed);
      if (!c) return false;
      SendMessageW(c, CE_UA_COLUMN, static_cast<WPARAM>(step.value), 0);
      return true;
    }
    case Op::kCell: {
      HWND c = Reachable(dialog, step, failed);
      if (!c) return false;
      if (!Is(c, WC_LISTVIEWW)) return Fail(dialog, step, "not a list view");
      if (step.value < 0 || step.value >= SendMessageW(c, LVM_GETITEMCOUNT, 0, 0)) return Fail(dialog, step, "no such row");
      if (step.column < 0) return Fail(dialog, step, "no such column");
      int left = 0;
      for (int i = 0; i < step.column; ++i) left += static_cast<int>(SendMessageW(c, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(i), 0));
      const int width = static_cast<int>(SendMessageW(c, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(step.column), 0));
      if (width <= 0) return Fail(dialog, step, "no such column");
      SendMessageW(c, LVM_ENSUREVISIBLE, static_cast<WPARAM>(step.value), FALSE);
      RECT r{LVIR_BOUNDS, 0, 0, 0};
      SendMessageW(c, LVM_GETITEMRECT, static_cast<WPARAM>(step.value), reinterpret_cast<LPARAM>(&r));
      Tap(c, POINT{r.left + left + width / 2, (r.top + r.bottom) / 2});
      return true;
    }
    case Op::kHold: {
      HWND c = Reachable(dialog, step, failed);
      if (!c) return false;
      if (Is(c, WC_LISTVIEWW)) {
        if (!SendMessageW(c, CE_UA_HOLD, static_cast<WPARAM>(step.value), static_cast<LPARAM>(step.column + 1)))
          return Fail(dialog, step, "no such row");
        return true;
      }
      // Elsewhere the window sees a pen press that SHRecognizeGesture reports as a hold.
      SetPendingHold(true);
      SendMessageW(c, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(Centre(c).x, Centre(c).y));
      SetPendingHold(false);
      return true;
    }
  }
  return false;
}

}  // namespace ce::dialogs
