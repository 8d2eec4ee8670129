#include "cumulor/app/core/map_layers_link.h"

#include "cumulor/app/core/commands.h"
#include "cumulor/app/core/map_ops.h"
#include "cumulor/app/core/overlays.h"
#include "cumulor/app/core/settings_document.h"
#include "cumulor/app/core/status_line.h"
#include "cumulor/data/aero/point_table_lock.h"
#include "cumulor/data/airspace/airspace_lock.h"
#include "cumulor/data/aero/point_tables.h"
#include "cumulor/data/aero/tile_cache.h"
#include "cumulor/data/dialogs/point_icons.h"
#include "cumulor/data/points/aero_tables.h"
#include "cumulor/data/points/point_db.h"
#include "cumulor/map/layers/point_labels_draw.h"
#include "cumulor/map/settings/map_settings_link.h"
#include "cumulor/data/waypoints/user_waypoint_remove.h"
#include "cumulor/map/layers/task_drag.h"
#include "cumulor/map/layers/task_draw.h"
#include "cumulor/map/browser/waypoint_selection.h"
#include "cumulor/map/team/team_grid.h"
#include "cumulor/map/layers/trail_dialog.h"
#include "cumulor/data/trail/trail.h"
#include "cumulor/map/vector_draw/vector_draw.h"

namespace cumulor {

LabelList& FrameLabels() {
  static LabelList list;
  return list;
}

LabelTextSettings AppLabelSettings(AppContext& app) {
  LabelTextSettings s;
  s.labelLen = KeptSettings().labelLength;
  s.labelsFlag = app.labelsShown != 0;
  s.useCode = MapOption(kOptLabelsById);
  s.glideRatioMode = MapDisplay().glideRatioLabels != 0;
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
    FixGotoTargetReference(fix);
    // The team grid's reference waypoint is a bare user-waypoint index.
    TaskPoint reference;
    reference.kind = TeamGridState().referenceWaypoint > 0 ? kPointUserWaypoint : 0;
    reference.index = TeamGridState().referenceWaypoint;
    if (reference.kind) {
      fix(reference);
      TeamGridState().referenceWaypoint = reference.kind ? reference.index : 0;
    }
  });
  SetDialogProcedure(kTrailDialog, TrailDialogProc);
  SetDialogProcedure(kTaskDragDialog, TaskDragDialogProc);
  InitTaskDrawing(app.instance);
}

void DrawTaskOnMap(AppContext& app) { DrawTaskOverlay(app); }

void SetTrailView(AppContext& app, const GeoRect& view) {
  const std::int32_t level = app.zoomIndex >= 0 && app.zoomIndex < kZoomSteps ? app.zoomIndex : 6;
  TrailSetMode(TrailBox{view.left, view.top, view.right, view.bottom}, level, kZoomTable[level]);
}

}  // namespace cumulor

namespace cumulor {

VisibleAeroObjects& FrameVisible() {
  static VisibleAeroObjects visible;
  return visible;
}

void UpdateVisibleObjects(AppContext& app, const GeoRect& view) {
  AeroUi ui;
  ui.status = [&app](const std::u16string& text) { ShowStatusText(app, text.c_str()); };
  const std::int32_t level = app.zoomIndex >= 0 && app.zoomIndex < kZoomSteps ? app.zoomIndex : 6;
  app.vectorMap.layers.contoursShown = app.terrainShown != 0;
  UpdateVisibleAeroData(AeroData(), AeroTiles(), FrameVisible(), TileRange{view.left, view.top, view.right, view.bottom},
                        level, MapTileView{&app.vectorMap.layers, &AeroOverview()}, ui);
}

void DrawPointLabelsLocked(AppContext& app) {
  if (!app.map.dc) return;
  const std::int32_t level = app.zoomIndex >= 0 && app.zoomIndex < kZoomSteps ? app.zoomIndex : 6;
  PointLabelSources sources;
  sources.visible = &FrameVisible();
  sources.flight = &app.flight;
  sources.text = AppLabelSettings(app);
  sources.own = app.mapCentre;
  sources.rotation = app.mapRotation;
  sources.showAirports = PointTableOf(kPointAirport).displayFlag != 0;
  sources.showUserWaypoints = PointTableOf(kPointUserWaypoint).displayFlag != 0;
  sources.hideThermals = app.thermalsHidden != 0;
  sources.displayFlags = app.map.displayFlags;
  // Display bit 4: database airspaces labelled by their short names; the one shown in the
  // information box is highlighted.
  sources.airspaceShortNames = (app.map.displayFlags & 0x10u) != 0;
  sources.selectedAirspace = AeroAirspaceState().shown.load();
  sources.classEnabled = [](std::int32_t c) { return c < 0 || c >= kDbAirspaceClasses || !MapDisplay().dbClassHidden[c]; };
  sources.airportStyle.drawIcon = [](HDC dc, std::int32_t n, int x, int y) { DrawPointIcon(dc, n, x, y); };
  sources.drawTask = [&app](HDC) { DrawTaskOnMap(app); };
  VectorDrawContext objects;
  // With the frame's label places the map objects' places and spot heights are drawn after the
  // airspaces, with the other labels placed before them (`DrawAppMapPoints`).
  objects.part = app.map.labelPlacer ? VectorPart::kShapes : VectorPart::kAll;
  objects.contours = app.vectorMap.contours;
  objects.altitudeUnit = app.altitudeUnit;
  sources.drawMapObject = [&app, &objects](HDC dc, const kv3::MapObject& o) { DrawMapObject(app.map, dc, o, objects); };
  std::lock_guard<std::recursive_mutex> lock(PointTableLock());
  DrawPointLabels(FrameLabels(), app.map, app.map.dc, kZoomTable[level], false, sources);
}

}  // namespace cumulor
