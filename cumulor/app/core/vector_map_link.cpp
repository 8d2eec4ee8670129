#include "cumulor/app/core/vector_map_link.h"

#include <mutex>

#include "cumulor/app/core/commands.h"
#include "cumulor/app/core/map_layers_link.h"
#include "cumulor/app/core/map_ops.h"
#include "cumulor/app/core/message_pump.h"
#include "cumulor/app/core/status_line.h"
#include "cumulor/data/aero/point_table_lock.h"
#include "cumulor/data/aero/tile_cache.h"
#include "cumulor/data/files/data_files.h"
#include "cumulor/map/vector_draw/terrain_colour_dialog.h"
#include "cumulor/map/vector_draw/vector_draw.h"
#include "cumulor/map/vector_draw/vector_layer_cache.h"

namespace cumulor {

void SetDefaultMapCentre(AppContext& app, const GeoRect& box) {
  if (app.mapCentre.lon != 0 || app.mapCentre.lat != 0) return;
  app.mapCentre.lon = static_cast<std::int32_t>((static_cast<std::int64_t>(box.left) + box.right) / 2);
  app.mapCentre.lat = static_cast<std::int32_t>((static_cast<std::int64_t>(box.top) + box.bottom) / 2);
}

void LoadAppVectorMaps(AppContext& app) {
  EnterCriticalSection(&app.mainLock);
  {
    std::lock_guard<std::recursive_mutex> points(PointTableLock());
    // Nothing in view may point into the tiles and objects about to be freed.
    FrameVisible().Clear();
    VectorLoadContext context;
    context.index = &AeroTiles();
    context.overview = &AeroOverview();
    context.maps = &SelectedDataFiles()[kFilesTerrain].selected;
    context.shapes = &SelectedDataFiles()[kFilesShape].selected;
    context.fullPath = [](const DataFileEntry& entry) { return GetDataFileFullPath(entry); };
    context.status = [&app](const WCHAR* text) {
      if (text && text[0]) ShowStatusText(app, text);
      else ClearStatusText(app, true);
    };
    context.showMissing = [&app](const WCHAR* text) {
      ShowStatusText(app, text);
      PumpMessagesWait(nullptr, 3000);
    };
    context.fileBox = [&app](const GeoRect& box) { SetDefaultMapCentre(app, box); };
    LoadVectorMaps(app.vectorMap, context);
  }
  LeaveCriticalSection(&app.mainLock);
}

void RebuildAppVectorMap(AppContext& app, const GeoRect& view) {
  VectorMapStore& store = app.vectorMap;
  std::lock_guard<std::recursive_mutex> guard(store.lock);
  if (!store.layers.vectorShown) return;
  if (store.objects.areas.empty() && store.objects.lines.empty() && store.objects.points.empty()) {
    EmptyDrawList(store);
    return;
  }
  const std::int32_t level = app.zoomIndex >= 0 && app.zoomIndex < kZoomSteps ? app.zoomIndex : 6;
  RebuildVisibleMap(store, view, level);
}

void InstallVectorMapHooks(AppContext& app) {
  TerrainColourHooks hooks;
  hooks.store = &app.vectorMap;
  hooks.setDialogActive = [&app](bool on) { app.dialogActive = on ? 1 : 0; };
  hooks.redraw = [&app] {
    // A new start group changes what the tiles list: the view is collected again.
    UpdateOwnPosition(app, app.map.view, true);
    RefreshMapWindow(app);
  };
  hooks.closed = [&app] {
    app.zoomLayerDialog = nullptr;
    // The map is drawn again once the dialog is gone.
    app.dialogActive = 0;
    RefreshMapWindow(app);
  };
  SetTerrainColourHooks(hooks);
  SetDialogProcedure(kTerrainColourDialog, TerrainColourDialogProc);
}

namespace {

// Kept for the life of the process (freed with the back buffer, never destroyed at exit, after
// the drawing layer may have gone).
VectorLayerCache& MapBaseCache() {
  static VectorLayerCache* cache = new VectorLayerCache;
  return *cache;
}

}  // namespace

void DrawAppMapBase(AppContext& app) {
  if (!app.map.dc) return;
  const std::int32_t level = app.zoomIndex >= 0 && app.zoomIndex < kZoomSteps ? app.zoomIndex : 6;
  MapBaseCache().Draw(app.vectorMap, kZoomTable[level], app.map, app.map.dc, app.altitudeUnit);
}

void DrawAppMapPoints(AppContext& app) {
  if (!app.map.dc) return;
  const std::int32_t level = app.zoomIndex >= 0 && app.zoomIndex < kZoomSteps ? app.zoomIndex : 6;
  const std::int32_t zoomValue = kZoomTable[level];
  if (app.map.labelPlacer) {
    // Without the label places the tiles' points were drawn with the other map objects.
    VectorDrawContext objects;
    objects.part = VectorPart::kPoints;
    objects.altitudeUnit = app.altitudeUnit;
    std::lock_guard<std::recursive_mutex> lock(PointTableLock());
    for (const kv3::MapObject* o : FrameVisible().mapObjects)
      if (o->threshold >= zoomValue) DrawMapObject(app.map, app.map.dc, *o, objects);
  }
  DrawVectorLayers(app.vectorMap, zoomValue, app.map, app.map.dc, app.altitudeUnit, VectorPart::kPoints);
}

void FreeAppMapBase() { MapBaseCache().Clear(); }

}  // namespace cumulor
