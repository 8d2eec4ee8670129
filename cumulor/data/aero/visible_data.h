// The aeronautical objects in view: what the map draws, collected per one-degree tile.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

#include "cumulor/data/aero/aero_ui.h"
#include "cumulor/data/aero/tile_cache.h"
#include "cumulor/data/points/aero_tables.h"
#include "cumulor/map/tiles/tile_range.h"

namespace cumulor {

struct VisibleAeroObjects {
  std::array<std::vector<std::uint32_t>, kTileListCount> items;  // per kind, as the tile lists
  std::vector<std::int32_t> airspaces;                            // database airspace indexes
  std::vector<std::uint32_t> labelTiles;                          // tiles whose labels were added

  void Clear();
};

// What the vector map store does for the view (its module fills these; unset: nothing).
struct MapTileHooks {
  // Loads the map tile of a tile that has map references; null when loading yields nothing.
  std::function<MapTile*(TileRecord&)> load;
  // Builds the tile's layer lists for a zoom level.
  std::function<void(MapTile&, std::int32_t zoom)> buildLayers;
  // Hands the view to the coarse rendering (zoom level 9 and above).
  std::function<void(const TileRange& view)> coarse;
};

// Collects the objects in view (box in GeoPoint units) under the point-table lock; at a memory
// load above 80 percent first frees the layers of every loaded map tile.
void UpdateVisibleAeroData(AeroTables& t, TileCache& tiles, VisibleAeroObjects& visible, const TileRange& view,
                           std::int32_t zoom, const MapTileHooks& hooks, const AeroUi& ui);

}  // namespace cumulor
