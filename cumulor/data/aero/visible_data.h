// The aeronautical objects in view: what the map draws, collected per one-degree tile.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "cumulor/data/aero/aero_ui.h"
#include "cumulor/data/aero/tile_cache.h"
#include "cumulor/data/points/aero_tables.h"
#include "cumulor/data/kv3/map_objects.h"
#include "cumulor/data/kv3/tile_layers.h"
#include "cumulor/data/kv3/tiled_file.h"
#include "cumulor/data/tiles/tile_range.h"

namespace cumulor {

struct VisibleAeroObjects {
  std::array<std::vector<std::uint32_t>, kTileListCount> items;  // per kind, as the tile lists
  std::vector<std::int32_t> airspaces;                            // database airspace indexes
  std::vector<std::uint32_t> labelTiles;                          // tiles whose labels were added
  // The map objects in view: the tiles' layer objects, or the overview contours at zoom level 9
  // and above (clipped ones are the copies below).
  std::vector<const kv3::MapObject*> mapObjects;
  std::vector<std::unique_ptr<kv3::MapLineObject>> mapCopies;

  void Clear();
};

// Frees the visible object lists (their memory too) under the point-table lock; at shutdown.
void AeroDbFreeVisible(VisibleAeroObjects& visible);

// The map settings the view reads: per-layer values and sizes, the display switches and the
// contour start group; and the overview contours of the tiled files. Unset: no map objects.
struct MapTileView {
  const kv3::MapLayerSettings* settings = nullptr;
  const kv3::OverviewMaps* overview = nullptr;
};

// Collects the objects in view (box in GeoPoint units) under the point-table lock; at a memory
// load above 80 percent first frees the layers of every loaded map tile. A tile with map blocks is
// loaded when first in view (a tile that cannot be read is tried again next time), its layer for
// the zoom level built once, and that layer's objects listed.
void UpdateVisibleAeroData(AeroTables& t, TileCache& tiles, VisibleAeroObjects& visible, const TileRange& view,
                           std::int32_t zoom, const MapTileView& maps, const AeroUi& ui);

}  // namespace cumulor
