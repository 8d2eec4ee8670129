// "Evaluate IGC flight log": choose an IGC file and read it whole into the evaluated flight.
#include "cumulor/app/app_context.h"
#include "cumulor/app/ui/dialog_run.h"
#include "cumulor/app/ui/fonts.h"
#include "cumulor/nav/dialogs/replay_dialogs.h"
#include "cumulor/nav/replay/igc_flight_reader.h"
#include "platform/dialogs/commdlg.h"
#include "platform/dialogs/dialogs.h"
#include "platform/files/files.h"
#include "platform/window/window.h"

namespace cumulor {

int SelectIgcFile(WCHAR* path, HWND owner) {
  path[0] = 0;
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = u"IGC-Format (*.igc)\0*.igc\0";
  ofn.lpstrFile = path;
  ofn.nMaxFile = MAX_PATH;
  ofn.lpstrTitle = u"Select IGC file";
  const BOOL chosen = GetOpenFileNameW(&ofn);
  if (AppContext* app = AppRecord(); app && app->mainWindow) SetForegroundWindow(app->mainWindow);
  if (!chosen || path[0] == 0) return 0;
  return GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES ? 1 : 0;
}

INT_PTR EvaluateFlightDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
  AppContext* app = AppRecord();
  switch (message) {
    case WM_INITDIALOG:
      if (HFONT* font = FontHandleSlot(kFontSmall); font && *font) {
        for (int id : {kIdEvaluateSelect, IDOK})
          SendDlgItemMessageW(dialog, id, WM_SETFONT, reinterpret_cast<WPARAM>(*font), 0);
      }
      return TRUE;
    case WM_COMMAND: {
      const int id = LOWORD(wparam);
      if (id == kIdEvaluateSelect) {
        WCHAR path[MAX_PATH];
        if (app && SelectIgcFile(path, dialog)) {
          EvaluatedFlight& flight = app->evaluatedFlight;
          flight.loaded = ReadIgcFlight(path, flight.fixes, flight.info) == 1 ? 1 : 0;
        }
        return TRUE;
      }
      if (id == IDOK || id == kIdCloseIcon || id == IDCANCEL) {
        PlayMenuClick();
        EndDialog(dialog, IDOK);
        return TRUE;
      }
      return FALSE;
    }
    case WM_KEYDOWN: return EndDialogOnAppKey(dialog, wparam, IDOK);
    default: return FALSE;
  }
}

}  // namespace cumulor
