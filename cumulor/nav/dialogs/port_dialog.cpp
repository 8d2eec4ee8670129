#include "cumulor/nav/dialogs/port_dialog.h"

#include "cumulor/app/app_context.h"
#include "cumulor/app/ui/dialog_run.h"
#include "platform/dialogs/dialogs.h"
#include "platform/window/window.h"

namespace cumulor {
namespace {

constexpr std::uint32_t kRates[] = {4800, 9600, 19200, 38400, 57600};
constexpr int kRateCount = 5;

AppContext*& DialogRecord() {
  static AppContext* record = nullptr;
  return record;
}

void CheckStored(HWND dialog, const AppContext& app) {
  for (int i = 0; i < kRateCount; ++i) {
    if (kRates[i] == app.baudRate) CheckRadioButton(dialog, kIdRateFirst, kIdRateFirst + kRateCount - 1, kIdRateFirst + i);
  }
  if (app.portNumber >= 1 && app.portNumber <= 8)
    CheckRadioButton(dialog, kIdPortFirst, kIdPortFirst + 7, kIdPortFirst + app.portNumber - 1);
}

}  // namespace

INT_PTR PortDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_INITDIALOG: {
      DialogRecord() = lparam ? reinterpret_cast<AppContext*>(lparam) : AppRecord();
      SetWindowPos(dialog, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
      // The stored port and rate are shown from the start, not only after the first tap.
      if (AppContext* app = DialogRecord()) CheckStored(dialog, *app);
      SetFocus(dialog);  // the hardware keys come to the dialog
      return FALSE;
    }
    case WM_COMMAND: {
      AppContext* app = DialogRecord();
      const int id = LOWORD(wparam);
      if (id == IDOK || id == IDCANCEL || id == kIdPortClose) {
        PlayMenuClick();
        EndDialog(dialog, 2);
        return TRUE;
      }
      if (!app) return FALSE;
      if (id >= kIdPortFirst && id <= kIdPortFirst + 7) {
        app->portNumber = id - (kIdPortFirst - 1);
      } else if (id >= kIdRateFirst && id < kIdRateFirst + kRateCount) {
        app->baudRate = kRates[id - kIdRateFirst];
      }
      CheckStored(dialog, *app);
      return TRUE;
    }
    case WM_KEYDOWN: return EndDialogOnAppKey(dialog, wparam, 2);
    default: return FALSE;
  }
}

}  // namespace cumulor
