#include "cumulor/app/core/map_dialogs_link.h"

#include "cumulor/app/core/commands.h"
#include "cumulor/app/core/map_ops.h"
#include "cumulor/app/core/settings_document.h"
#include "cumulor/app/core/status_line.h"
#include "cumulor/app/core/units.h"
#include "cumulor/map/inflight/flight_dialogs.h"
#include "cumulor/map/settings/airspace_settings_dialogs.h"
#include "cumulor/map/settings/map_settings_dialogs.h"
#include "cumulor/map/settings/map_settings_link.h"
#include "cumulor/nav/polar/dialog_text.h"
#include "platform/dialogs/dialogs.h"

namespace cumulor {

void InstallMapDialogs(AppContext& app) {
  MapSettingsLink link;
  link.setActiveDialog = [&app](HWND dialog) { SetActiveDialog(app, dialog, 1); };
  link.closeModeless = [&app] { CloseModelessDialogs(app); };
  link.setUnit = [&app](UnitKind kind, std::int32_t code) {
    switch (kind) {
      case UnitKind::kAltitude: SetAltitudeUnit(app, code); break;
      case UnitKind::kClimb: SetClimbUnit(app, code); break;
      case UnitKind::kDistance: SetDistanceUnit(app, code); break;
      case UnitKind::kSpeed: SetSpeedUnit(app, code); break;
      case UnitKind::kTaskSpeed: SetTaskSpeedUnit(app, code); break;
    }
  };
  link.ownPositionToViews = [&app] { UpdateOwnPosition(app, app.map.view, false); };
  link.options = KeptSettings().options;
  link.mapOrientation = &KeptSettings().mapOrientation;
  link.labelLength = &KeptSettings().labelLength;
  SetMapSettingsLink(std::move(link));
  SetDialogProcedure(kUserAirspaceDialog, UserAirspaceDialogProc);
  SetDialogProcedure(kDbAirspaceDialog, DbAirspaceDialogProc);
  SetDialogProcedure(kMapOptionsDialog, MapOptionsDialogProc);
  SetDialogProcedure(kUnitsDialog, UnitsDialogProc);
  SetDialogProcedure(kMapLayersDialog, MapLayersDialogProc);
  SetDialogProcedure(kLabelsDialog, LabelsDialogProc);
  SetDialogProcedure(kPolarDialog, PolarDialogProc);
  SetDialogProcedure(kWindDialog, WindDialogProc);
  // The flight state's spin buttons and QNH functions write into the dialog's controls.
  SetDialogTextWriter([](HWND dialog, int control, const WCHAR* text) { SetDlgItemTextW(dialog, control, text); });
}

}  // namespace cumulor
