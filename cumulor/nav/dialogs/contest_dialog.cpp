#include "cumulor/app/ui/dialog_run.h"
#include "cumulor/nav/dialogs/flight_stats_dialogs.h"
#include "cumulor/nav/olc/olc.h"
#include "platform/controls/controls.h"
#include "platform/dialogs/dialogs.h"
#include "platform/window/window.h"

namespace cumulor {

INT_PTR ContestDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      CheckRadioButton(dialog, 1244, 1245, OlcLegCount() == 6 ? 1245 : 1244);
      CheckDlgButton(dialog, 1101, OlcShowRoute() ? BST_CHECKED : BST_UNCHECKED);
      SetFocus(dialog);  // the hardware keys come to the dialog
      return FALSE;
    case WM_COMMAND:
      switch (LOWORD(wparam)) {
        case 1244: OlcSetLegCount(4); return TRUE;
        case 1245: OlcSetLegCount(6); return TRUE;
        case IDOK:
        case kIdDialogClose:
          OlcSetShowRoute(IsDlgButtonChecked(dialog, 1101) == BST_CHECKED);
          PlayMenuClick();
          EndDialog(dialog, IDOK);
          return TRUE;
        case IDCANCEL: EndDialog(dialog, IDCANCEL); return TRUE;
        default: return FALSE;
      }
    case WM_KEYDOWN: return ConfirmOnAppKey(dialog, wparam);
    default: return FALSE;
  }
}

}  // namespace cumulor
