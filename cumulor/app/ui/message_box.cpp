// The own message box (template 169).
#include <atomic>
#include <string>

#include "cumulor/app/base/text_convert.h"
#include "cumulor/app/ui/dialog_run.h"
#include "cumulor/app/ui/fonts.h"
#include "cumulor/app/ui/own_dialogs.h"
#include "platform/window/window.h"

namespace cumulor {
namespace {

struct BoxState {
  std::atomic<HWND> open{nullptr};  // read by a request from any thread
  const char* narrow = nullptr;
  const WCHAR* wide = nullptr;
  std::uint8_t okCancel = 0;
};

BoxState& Box() {
  static BoxState state;
  return state;
}

// The text control holds about 265 characters of converted 8-bit text; longer texts are cut.
constexpr std::size_t kNarrowTextMax = 265;

INT_PTR Run(const char* narrow, const WCHAR* wide, bool okCancel) {
  BoxState& b = Box();
  if (b.open) return -2;  // another box is open: nothing is shown
  b.narrow = narrow;
  b.wide = wide;
  b.okCancel = okCancel ? 1 : 0;
  return RunDialog(kMessageBoxTemplate, nullptr, MessageBoxProc, 0);
}

}  // namespace

INT_PTR MessageBoxProc(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
  BoxState& b = Box();
  switch (message) {
    case WM_INITDIALOG: {
      if (b.open) {
        EndDialog(dialog, 1);
        return TRUE;
      }
      SetWindowPos(dialog, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
      HWND text = GetDlgItem(dialog, kIdBoxText);
      if (HFONT* font = FontHandleSlot(kFontMedium); font && *font && text)
        SendMessageW(text, WM_SETFONT, reinterpret_cast<WPARAM>(*font), TRUE);
      if (b.wide) {
        SetDlgItemTextW(dialog, kIdBoxText, b.wide);
      } else {
        std::u16string wide;
        for (const char* p = b.narrow ? b.narrow : ""; *p && wide.size() < kNarrowTextMax; ++p)
          wide += static_cast<char16_t>(static_cast<unsigned char>(*p));
        SetDlgItemTextW(dialog, kIdBoxText, wide.c_str());
      }
      if (!b.okCancel) ShowWindow(GetDlgItem(dialog, kIdCancelIcon), SW_HIDE);
      b.open = dialog;
      SetFocus(dialog);
      return FALSE;
    }
    case WM_COMMAND:
      switch (LOWORD(wparam)) {
        case IDOK:
        case kIdOkIcon:
          PlayMenuClick();
          EndDialog(dialog, 1);
          return TRUE;
        case IDCANCEL:
        case kIdCancelIcon:
          EndDialog(dialog, 0);
          return TRUE;
        default: return FALSE;
      }
    case WM_KEYDOWN: return EndDialogOnAppKey(dialog, wparam, 1);
    case WM_DESTROY:
      if (b.open.load() == dialog) b.open = nullptr;
      return FALSE;
    default: return FALSE;
  }
}

INT_PTR MessageBoxOkA(const char* text) {
  const INT_PTR r = Run(text, nullptr, false);
  return r == -2 ? 1 : r;
}

INT_PTR MessageBoxOk(const WCHAR* text) {
  const INT_PTR r = Run(nullptr, text ? text : u"", false);
  return r == -2 ? 1 : r;
}

bool MessageBoxOkCancelA(const char* text) { return Run(text, nullptr, true) == 1; }

bool MessageBoxOkCancel(const WCHAR* text) { return Run(nullptr, text ? text : u"", true) == 1; }

}  // namespace cumulor
