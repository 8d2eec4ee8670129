#include "cumulor/app/core/map_dialogs_link.h"

#include "cumulor/app/core/commands.h"
#include "cumulor/app/core/final_glide_box.h"
#include "cumulor/app/core/main_lock.h"
#include "cumulor/app/core/map_ops.h"
#include "cumulor/app/core/settings_document.h"
#include "cumulor/app/core/status_line.h"
#include "cumulor/app/core/units.h"
#include "cumulor/app/core/map_layers_link.h"
#include "cumulor/data/airspace/airspace_alarms.h"
#include "cumulor/data/dialogs/waypoint_dialog.h"
#include "cumulor/data/task/task_ops.h"
#include "cumulor/data/dialogs/waypoint_action_menu.h"
#include "cumulor/map/browser_frame/waypoint_browser.h"
#include "cumulor/map/browser/waypoint_selection.h"
#include "cumulor/map/inflight/flight_dialogs.h"
#include "cumulor/map/inflight/task_status_dialog.h"
#include "cumulor/map/navbox/nav_box_set.h"
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
  // Arming the start by hand needs the "Start" box on the map.
  link.showNavBox = [&app](std::int32_t number) {
    MainLockGuard guard(app);
    NavBoxSetOn(app.navBoxes, number, true);
  };
  link.options = KeptSettings().options;
  link.mapOrientation = &KeptSettings().mapOrientation;
  link.setMapOrientation = [&app](std::int32_t orientation) {
    MainLockGuard guard(app);  // the frame on the GPS notify thread reads it
    KeptSettings().mapOrientation = orientation;
  };
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
  status.drawTaskTimes = [&app](HDC dc, const RECT& area) {
    // The map's final-glide rectangles are where the pen looks for the box: drawing the texts into
    // the dialog leaves them as the last frame set them.
    MainLockGuard guard(app);
    MainScreen& screen = app.screen;
    const RECT kept[] = {screen.glideMacCready, screen.glideAltitude, screen.glideClearance, screen.glideTime};
    UpdateTaskTimeTexts(app, dc, true, area);
    screen.glideMacCready = kept[0];
    screen.glideAltitude = kept[1];
    screen.glideClearance = kept[2];
    screen.glideTime = kept[3];
  };
  SetTaskStatusHooks(std::move(status));
  MapTapHooks tap;
  tap.labels = [&app] {
    // The frame rebuilds its label list on the notify thread under the main lock: the tap works on
    // a copy taken under it.
    static LabelList copy;
    MainLockGuard guard(app);
    copy = FrameLabels();
    return static_cast<const LabelList*>(&copy);
  };
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
  tap.insertIntoTask = [&app](const TaskPoint& point) {
    WaypointActionMenu(&point, app.mainWindow);
    GotoFirstTaskPoint();
  };
  tap.openBrowser = [&app](const TaskPoint& point) { OpenWaypointBrowser(app, point); };
  SetMapTapHooks(std::move(tap));
  WaypointActionHooks actions;
  actions.simulator = [&app] { return app.simulator != 0; };
  actions.pointsDeleted = [&app] { UpdateOwnPosition(app, app.map.view, false); };
  SetWaypointActionHooks(std::move(actions));
  // The waypoint dialog's radial and distance are measured from the radial boxes' reference point.
  SetWaypointReferenceSource([] { return KeptSettings().radialPoint; });
  // Picked for the radial boxes' reference point.
  SetBrowserPointSelected([](const TaskPoint& point) { KeptSettings().radialPoint = point; });
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

void OpenWaypointBrowser(AppContext& app, const TaskPoint& point) {
  SetGotoTarget(point);
  app.dialogActive = 1;
  RunDialog(kWaypointBrowser, app.mainWindow, WaypointBrowserProc, kBrowserPointPage);
  EnterCriticalSection(&app.mainLock);
  MapSetView(app.map, app.mapCentre.lon, app.mapCentre.lat, app.mapRotation);
  LeaveCriticalSection(&app.mainLock);
  UpdateOwnPosition(app, app.map.view, false);
  app.dialogActive = 0;
  app.redrawRestart = 1;
  RefreshMapWindow(app);
}

}  // namespace cumulor
