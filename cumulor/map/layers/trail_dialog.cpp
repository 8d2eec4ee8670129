#include "cumulor/map/layers/trail_dialog.h"

#include "cumulor/app/ui/dialog_run.h"
#include "cumulor/data/trail/trail.h"
#include "platform/controls/controls.h"
#include "platform/dialogs/dialogs.h"
#include "platform/window/window.h"

namespace cumulor {
namespace {

constexpr int kCloseButton = 1355;

bool Checked(HWND dialog, int id) { return SendMessageW(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED; }

void SetCheck(HWND dialog, int id, bool on) {
  SendMessageW(GetDlgItem(dialog, id), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
}

}  // namespace

INT_PTR TrailDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      SetWindowPos(dialog, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
      SetCheck(dialog, kTrailLineCheck, TrailShowLine());
      SetCheck(dialog, kTrailLiftDotsCheck, TrailLiftDots());
      SetFocus(dialog);  // the hardware keys come to the dialog
      return FALSE;
    case WM_COMMAND:
      switch (LOWORD(wparam)) {
        case kTrailLineCheck: TrailSetShowLine(Checked(dialog, kTrailLineCheck)); return TRUE;
        case kTrailLiftDotsCheck: TrailSetLiftDots(Checked(dialog, kTrailLiftDotsCheck)); return TRUE;
        case IDOK:
        case kCloseButton:
          PlayMenuClick();
          EndDialog(dialog, 1);
          return TRUE;
        case IDCANCEL: EndDialog(dialog, 0); return TRUE;
        default: return FALSE;
      }
    case WM_KEYDOWN: return EndDialogOnAppKey(dialog, wparam, 1);
    default: return FALSE;
  }
}

}  // namespace cumulor
