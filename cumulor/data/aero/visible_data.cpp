#include "cumulor/data/aero/visible_data.h"

#include <mutex>
#include <utility>

#include "cumulor/data/aero/point_table_lock.h"
#include "cumulor/data/vector/overview_contours.h"
#include "platform/kernel/system_info.h"

namespace cumulor {

void VisibleAeroObjects::Clear() {
  for (auto& list : items) list.clear();
  airspaces.clear();
  labelTiles.clear();
  mapObjects.clear();
  mapCopies.clear();
}

void AeroDbFreeVisible(VisibleAeroObjects& visible) {
  std::lock_guard<std::recursive_mutex> lock(PointTableLock());
  VisibleAeroObjects empty;
  std::swap(visible.items, empty.items);
  std::swap(visible.airspaces, empty.airspaces);
  std::swap(visible.labelTiles, empty.labelTiles);
  std::swap(visible.mapObjects, empty.mapObjects);
  std::swap(visible.mapCopies, empty.mapCopies);
}

void UpdateVisibleAeroData(AeroTables& t, TileCache& tiles, VisibleAeroObjects& visible, const TileRange& view,
                           std::int32_t zoom, const MapTileView& maps, const AeroUi& ui) {
  std::lock_guard<std::recursive_mutex> lock(PointTableLock());
  visible.Clear();

  MEMORYSTATUS memory{};
  memory.dwLength = sizeof memory;
  GlobalMemoryStatus(&memory);
  if (memory.dwMemoryLoad > 80) {
    ui.Status(u"Memory Low - freeing...");
    tiles.FreeMapLayers();
    ui.Status(u"");
  }

  t.airspaceInView.resize(t.airspaces.size(), 0);
  for (std::size_t i = 0; i < t.airspaces.size(); ++i) {
    const AeroAirspace& a = *t.airspaces[i];
    const bool inside = a.west >= view.west && a.east <= view.east && a.north <= view.north && a.south >= view.south;
    const bool meets = RangesOverlap(TileRange{a.west, a.north, a.east, a.south}, view);
    t.airspaceInView[i] = inside || meets ? 1 : 0;
    if (t.airspaceInView[i]) visible.airspaces.push_back(static_cast<std::int32_t>(i));
  }

  if (zoom >= 9) {
    if (maps.settings && maps.overview && maps.settings->vectorShown)
      CollectOverviewContours(*maps.overview, GeoRect{view.west, view.north, view.east, view.south}, zoom,
                              visible.mapObjects, visible.mapCopies);
    return;
  }
  const TileRange range = TileRangeFor(view);
  for (std::int32_t lat = range.south; lat <= range.north; ++lat) {
    for (std::int32_t lon = range.west; lon <= range.east; ++lon) {
      const std::int64_t id = static_cast<std::int64_t>(lon + 180) * 256 + (lat + 90);
      if (id < 0 || id > kMaxTileId) continue;
      TileRecord* tile = tiles.Find(static_cast<std::uint32_t>(id), false);
      if (!tile) continue;
      for (std::size_t k = 0; k < tile->items.size(); ++k)
        visible.items[k].insert(visible.items[k].end(), tile->items[k].begin(), tile->items[k].end());
      if (tile->mapRefs.empty() || !maps.settings) continue;
      if (!tile->mapTile) tile->mapTile = kv3::LoadTile(tiles, tile->id);
      if (!tile->mapTile) continue;
      kv3::MapTile& map = *tile->mapTile;
      if (zoom >= 0 && zoom < kv3::kTileLayers) {
        if (!map.layers[static_cast<std::size_t>(zoom)].built) kv3::BuildTileLayer(map, zoom, *maps.settings);
        kv3::CollectTileLayer(map, visible.mapObjects, zoom, *maps.settings);
      }
      visible.labelTiles.push_back(tile->id);
    }
  }
}

}  // namespace cumulor
