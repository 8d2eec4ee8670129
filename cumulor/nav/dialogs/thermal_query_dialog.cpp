#include <cstdio>

#include "cumulor/app/app_context.h"
#include "cumulor/app/ui/dialog_run.h"
#include "cumulor/app/ui/own_dialogs.h"
#include "cumulor/nav/dialogs/flight_stats_dialogs.h"
#include "cumulor/nav/thermal/thermal_db.h"
#include "platform/controls/controls.h"
#include "platform/dialogs/dialogs.h"
#include "platform/window/window.h"

namespace cumulor {

namespace {

// The values being edited; stored on OK.
ThermalQuery& Working() {
  static ThermalQuery query;
  return query;
}

void ShowNumber(HWND dialog, int id, std::int32_t value) {
  WCHAR text[16];
  char narrow[16];
  std::snprintf(narrow, sizeof narrow, "%d", value);
  int i = 0;
  for (; narrow[i] != 0; ++i) text[i] = static_cast<WCHAR>(narrow[i]);
  text[i] = 0;
  SetDlgItemTextW(dialog, id, text);
}

void ShowQuery(HWND dialog) {
  const ThermalQuery& q = Working();
  if (q.timeMode >= 1 && q.timeMode <= 3) CheckRadioButton(dialog, 1247, 1249, 1246 + q.timeMode);
  if (q.windMode >= 1 && q.windMode <= 3) CheckRadioButton(dialog, 1244, 1246, 1243 + q.windMode);
  ShowNumber(dialog, 1000, q.hourFrom);
  ShowNumber(dialog, 1001, q.hourTo);
  ShowNumber(dialog, 1004, q.windFrom);
  ShowNumber(dialog, 1005, q.windTo);
}

// The number pad for one of the four values; an entry also selects the mode that uses it.
void Enter(HWND dialog, int id) {
  ThermalQuery& q = Working();
  static const struct {
    int id;
    const char16_t* title;
    std::int32_t ThermalQuery::*field;
    bool hours;
  } kFields[] = {{1000, u"Hour From:", &ThermalQuery::hourFrom, true},
                 {1001, u"Hour To:", &ThermalQuery::hourTo, true},
                 {1004, u"Wind From:", &ThermalQuery::windFrom, false},
                 {1005, u"Wind To:", &ThermalQuery::windTo, false}};
  for (const auto& f : kFields) {
    if (f.id != id) continue;
    double value = q.*f.field;
    if (!EnterValueDialog(&value, f.title, 0, dialog, true)) return;
    q.*f.field = static_cast<std::int32_t>(value);
    if (f.hours) q.timeMode = 2;
    else q.windMode = 2;
    ShowQuery(dialog);
  }
}

std::int32_t Mode(HWND dialog, int first) {
  for (int i = 0; i < 3; ++i)
    if (IsDlgButtonChecked(dialog, first + i) == BST_CHECKED) return i + 1;
  return 0;
}

}  // namespace

INT_PTR ThermalQueryDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      Working() = ThermalQuerySettings();
      ShowQuery(dialog);
      return TRUE;
    case WM_COMMAND: {
      const int id = LOWORD(wparam);
      if (id == 1000 || id == 1001 || id == 1004 || id == 1005) {
        Enter(dialog, id);
        return TRUE;
      }
      if (id == IDOK) {
        ThermalQuery& stored = ThermalQuerySettings();
        const ThermalQuery& q = Working();
        stored.timeMode = Mode(dialog, 1247);
        stored.windMode = Mode(dialog, 1244);
        if (stored.timeMode == 2) {
          stored.hourFrom = q.hourFrom;
          stored.hourTo = q.hourTo;
        }
        if (stored.windMode == 2) {
          stored.windFrom = q.windFrom;
          stored.windTo = q.windTo;
        }
        PlayMenuClick();
        EndDialog(dialog, IDOK);
        return TRUE;
      }
      if (id == IDCANCEL) {
        EndDialog(dialog, IDCANCEL);
        return TRUE;
      }
      return FALSE;
    }
    default: return FALSE;
  }
}

void ThermalQueryDialog(HWND parent) {
  RunDialog(kThermalQueryTemplate, parent, ThermalQueryDialogProc, 0);
  ThermalUpdate(nullptr);
}

}  // namespace cumulor
