// The modeless replay window ("Time"): the speed list, "Go" for the "Manual" speed, and "End".
#include "cumulor/app/app_context.h"
#include "cumulor/nav/dialogs/replay_dialogs.h"
#include "platform/controls/controls.h"
#include "platform/dialogs/dialogs.h"
#include "platform/window/window.h"

namespace cumulor {

INT_PTR ReplaySpeedDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
  AppContext* app = AppRecord();
  switch (message) {
    case WM_INITDIALOG: {
      for (const WCHAR* text : {u"x1", u"x10", u"x100", u"x1000", u"Manual"})
        SendDlgItemMessageW(dialog, kIdReplaySpeed, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
      SendDlgItemMessageW(dialog, kIdReplaySpeed, CB_SETCURSEL, 0, 0);
      if (app) app->replay.speed = 0;
      ShowWindow(GetDlgItem(dialog, kIdReplayGo), SW_HIDE);
      return TRUE;
    }
    case WM_COMMAND: {
      const int id = LOWORD(wparam);
      if (id == kIdReplaySpeed && HIWORD(wparam) == CBN_SELCHANGE) {
        const LRESULT selected = SendDlgItemMessageW(dialog, kIdReplaySpeed, CB_GETCURSEL, 0, 0);
        if (selected >= 0 && selected <= kReplaySpeedManual && app) app->replay.speed = static_cast<std::int32_t>(selected);
        ShowWindow(GetDlgItem(dialog, kIdReplayGo), selected == kReplaySpeedManual ? SW_SHOW : SW_HIDE);
        return TRUE;
      }
      if (id == kIdReplayGo) {
        if (app) app->replay.step = 1;
        return TRUE;
      }
      if (id == IDCANCEL) {
        // The mode loop ends the replay at its next step ("Playback finished").
        if (app) app->replay.stop = 1;
        return TRUE;
      }
      return FALSE;
    }
    case WM_CLOSE:
      if (app) app->replay.stop = 1;
      return TRUE;
    default: return FALSE;
  }
}

}  // namespace cumulor
