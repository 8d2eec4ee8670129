#include "cumulor/app/core/map_dialogs_link.h"

#include "cumulor/app/core/commands.h"
#include "cumulor/app/core/map_ops.h"
#include "cumulor/app/core/settings_document.h"
#include "cumulor/app/core/status_line.h"
#include "cumulor/app/core/units.h"
#include "cumulor/app/core/map_layers_link.h"
#include "cumulor/data/airspace/airspace_alarms.h"
#include "cumulor/data/dialogs/waypoint_dialog.h"
#include "cumulor/data/task/task_ops.h"
#include "cumulor/map/browser/waypoint_actions.h"
#include "cumulor/map/browser/waypoint_selection.h"
#include "cumulor/map/inflight/flight_dialogs.h"
#include "cumulor/map/inflight/task_status_dialog.h"
#include "cumulor/app/ui/dialog_run.h"
#include "cumulor/map/tap/map_tap.h"
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
  SetDialogProcedure(kTapChooserDialog, TapChooserProc);
  TaskStatusHooks status;
  status.setMacCready = [&app](float value) { SetMacCready(app, value); };
  SetTaskStatusHooks(std::move(status));
  MapTapHooks tap;
  tap.labels = [] { return static_cast<const LabelList*>(&FrameLabels()); };
  tap.createWaypoint = [&app](const GeoPoint& at) { AddUserWaypoint(-1, at.lon, at.lat, app.mainWindow); };
  tap.selectAirspace = [&app](const GeoPoint& at) {
    TapAirspaceSelection& selection = TapSelectedAirspace();
    selection = TapAirspaceSelection{};
    const std::int32_t altitude = GetFlightParameter(app.flight, kParamQnhAltitude);
    if (app.map.displayFlags & kShowFileAirspace)
      selection.file = AirspaceAlarmCheck(app.airspace, at, 0, 0, altitude, altitude, 1);
    if (!selection.file && (app.map.displayFlags & kShowDbAirspace))
      selection.database = AeroAirspaceAlarmCheck(app.airspace, at, 0, 0, altitude, altitude, 1);
  };
  tap.gotoPoint = [](const TaskPoint& point) { GotoPoint(point); };
  tap.insertIntoTask = [](const TaskPoint& point) {
    WaypointActionMenu(point);
    GotoFirstTaskPoint();
  };
  tap.openBrowser = [&app](const TaskPoint& point) {
    SetGotoTarget(point);
    OnCommand(app, 40102, 0);
  };
  SetMapTapHooks(std::move(tap));
  // The flight state's spin buttons and QNH functions write into the dialog's controls.
  SetDialogTextWriter([](HWND dialog, int control, const WCHAR* text) { SetDlgItemTextW(dialog, control, text); });
}

void ShowTaskStatusDialog(AppContext& app) {
  app.dialogActive = 1;
  PlayMenuClick();
  RunDialog(kTaskStatusDialog, app.mainWindow, TaskStatusDialogProc, 0);
  PlayMenuClick();
  ShowStatusTextPlain(app, u"Please wait...");
  if (app.mainWindow) SetFocus(app.mainWindow);
  app.dialogActive = 0;
  RefreshMapWindow(app);
  CenterMapOnFix(app);
}

}  // namespace cumulor
