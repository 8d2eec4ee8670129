#include <cmath>
#include <cstdio>

#include "cumulor/app/app_context.h"
#include "cumulor/app/ui/dialog_run.h"
#include "cumulor/app/ui/own_dialogs.h"
#include "cumulor/nav/dialogs/flight_stats_dialogs.h"
#include "cumulor/nav/geo/geodesy.h"
#include "cumulor/nav/terrain/terrain_clearance.h"
#include "platform/controls/controls.h"
#include "platform/dialogs/dialogs.h"
#include "platform/window/window.h"

namespace cumulor {

namespace {

constexpr double kFeetPerMetre = 3.2808;
constexpr double kMetresPerFoot = 0.30480370641307;

// The two margins as entered, in the display unit.
struct Margins {
  double safety = 0.0;
  double terrain = 0.0;
};
Margins& Working() {
  static Margins margins;
  return margins;
}

bool Feet(const AppContext& app) { return app.altitudeUnit == 2; }

void ShowWhole(HWND dialog, int id, double value) {
  char narrow[24];
  std::snprintf(narrow, sizeof narrow, "%d", static_cast<int>(value));
  WCHAR text[24];
  int i = 0;
  for (; narrow[i] != 0; ++i) text[i] = static_cast<WCHAR>(narrow[i]);
  text[i] = 0;
  SetDlgItemTextW(dialog, id, text);
}

void Store(HWND dialog, AppContext& app) {
  const Margins& m = Working();
  std::int32_t safety = static_cast<std::int32_t>(m.safety);
  std::int32_t terrain = static_cast<std::int32_t>(m.terrain);
  if (Feet(app)) {
    safety = RoundToInt(m.safety * kMetresPerFoot);
    terrain = RoundToInt(m.terrain * kMetresPerFoot);
  }
  SetTerrainSafetyMargin(terrain);
  SetFlightParameter(app.flight, kParamSafetyMargin, safety, 1);
  app.finalGlideOn = IsDlgButtonChecked(dialog, 1101) == BST_CHECKED;
  app.terrainClearanceOn = IsDlgButtonChecked(dialog, 1102) == BST_CHECKED;
  app.flight.requiredAltitudeMode = IsDlgButtonChecked(dialog, 1172) == BST_CHECKED;
}

void Close(HWND dialog, AppContext* app, INT_PTR result) {
  if (app && app->activeDialog == dialog) app->activeDialog = nullptr;
  EndDialog(dialog, result);
}

}  // namespace

INT_PTR MarginsDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
  AppContext* app = AppRecord();
  switch (message) {
    case WM_INITDIALOG: {
      SetWindowPos(dialog, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
      if (!app) return TRUE;
      app->activeDialog = dialog;
      Margins& m = Working();
      m.safety = GetFlightParameter(app->flight, kParamSafetyMargin);
      m.terrain = TerrainSafetyMargin();
      if (Feet(*app)) {
        m.safety = RoundToInt(m.safety * kFeetPerMetre);
        m.terrain = RoundToInt(m.terrain * kFeetPerMetre);
        SetDlgItemTextW(dialog, 1137, u"ft");
        SetDlgItemTextW(dialog, 1138, u"ft");
      }
      ShowWhole(dialog, 1000, m.safety);
      ShowWhole(dialog, 1001, m.terrain);
      CheckRadioButton(dialog, 1172, 1173, app->flight.requiredAltitudeMode ? 1172 : 1173);
      CheckDlgButton(dialog, 1101, app->finalGlideOn ? BST_CHECKED : BST_UNCHECKED);
      CheckDlgButton(dialog, 1102, app->terrainClearanceOn ? BST_CHECKED : BST_UNCHECKED);
      ShowWindow(GetDlgItem(dialog, 1128), SW_HIDE);
      SetFocus(dialog);  // the hardware keys come to the dialog
      return FALSE;
    }
    case WM_COMMAND: {
      const int id = LOWORD(wparam);
      if (id == 1000 || id == 1001) {
        double& value = id == 1000 ? Working().safety : Working().terrain;
        double entered = value;
        if (EnterValueDialog(&entered, id == 1000 ? u"Enter Safety Margin" : u"Enter Terrain Safety Margin", 0, dialog,
                             true)) {
          value = entered < 0 || !std::isfinite(entered) ? 0.0 : std::trunc(std::min(entered, 1.0e6));
          ShowWhole(dialog, id, value);
        }
        return TRUE;
      }
      if (id == IDOK || id == kIdDialogClose) {
        if (app) Store(dialog, *app);
        PlayMenuClick();
        Close(dialog, app, IDOK);
        return TRUE;
      }
      if (id == IDCANCEL) {
        Close(dialog, app, IDCANCEL);
        return TRUE;
      }
      return FALSE;
    }
    case WM_KEYDOWN: return ConfirmOnAppKey(dialog, wparam);
    default: return FALSE;
  }
}

}  // namespace cumulor
