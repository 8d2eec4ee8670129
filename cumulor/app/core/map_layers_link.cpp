#include "cumulor/app/core/map_layers_link.h"

#include "cumulor/app/core/commands.h"
#include "cumulor/app/core/map_ops.h"
#include "cumulor/app/core/settings_document.h"
#include "cumulor/data/waypoints/user_waypoint_remove.h"
#include "cumulor/map/layers/task_drag.h"
#include "cumulor/map/layers/task_draw.h"
#include "cumulor/map/layers/trail_dialog.h"
#include "cumulor/map/trail/trail.h"

namespace cumulor {

LabelList& FrameLabels() {
  static LabelList list;
  return list;
}

LabelTextSettings AppLabelSettings(AppContext& app) {
  LabelTextSettings s;
  s.labelLen = KeptSettings().labelLength;
  s.labelsFlag = app.labelsShown != 0;
  s.highResolution = app.map.largeScreen != 0;
  s.altitudeUnit = app.altitudeUnit;
  s.unitText = app.altitudeUnitText;
  return s;
}

void InstallMapLayerHooks(AppContext& app) {
  TaskDragHooks hooks;
  hooks.view = &app.map;
  hooks.window = app.mainWindow;
  hooks.setDialogActive = [&app](bool on) { app.dialogActive = on ? 1 : 0; };
  hooks.redraw = [&app] { RefreshMapWindow(app); };
  SetTaskDragHooks(hooks);
  TaskDragOptions& options = DragOptions();
  options.coneEnabled = &KeptSettings().coneEnabled;
  options.coneSerial = &KeptSettings().coneSerial;
  // The references the application keeps follow a removed user waypoint's renumbering.
  SetUserWaypointReferenceVisitor([&app](const std::function<void(TaskPoint&)>& fix) {
    fix(app.navTarget);
    fix(app.fileHomePoint);
    fix(app.thirdPoint);
    fix(KeptSettings().radialPoint);
  });
  SetDialogProcedure(kTrailDialog, TrailDialogProc);
  SetDialogProcedure(kTaskDragDialog, TaskDragDialogProc);
  InitTaskDrawing(app.instance);
}

void DrawTaskOnMap(AppContext& app) {
  if (!app.map.dc) return;
  DrawActiveTask(app.map, app.map.dc, &FrameLabels(), AppLabelSettings(app));
}

void SetTrailView(AppContext& app, const GeoRect& view) {
  const std::int32_t level = app.zoomIndex >= 0 && app.zoomIndex < kZoomSteps ? app.zoomIndex : 6;
  TrailSetMode(TrailBox{view.left, view.top, view.right, view.bottom}, level, kZoomTable[level]);
}

}  // namespace cumulor
