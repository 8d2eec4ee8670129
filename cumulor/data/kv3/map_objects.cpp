#include "cumulor/data/kv3/map_objects.h"

namespace cumulor::kv3 {

const std::array<std::int32_t, kContourGroups> kContourElevations = {
    0,     250,   500,   1000,  1500,  2000,  3000,  4000,  5000,  6000,  7000,  8000,  9000,  10000, 11000,
    12000, 13000, 14000, 15000, 16000, 17000, 18000, 19000, 20000, 21000, 22000, 23000, 24000, 25000, 26000};

std::int32_t ContourGroupOf(std::int32_t elevation) {
  for (std::int32_t g = 0; g < kContourGroups; ++g)
    if (kContourElevations[static_cast<std::size_t>(g)] == elevation) return g;
  return kContourGroups - 1;
}

std::int32_t TileRecordThreshold(std::int32_t kind, std::int32_t category, std::int32_t subtype) {
  if (kind == 3) {
    switch (category) {
      case 0: return 150;
      case 3:
      case 4:
      case 15: return 100;
      case 5: return subtype == 1 ? 150 : 100;
      case 13: return subtype == 2 ? 200 : 150;
      case 14: return 20;
      default: return 0;
    }
  }
  if (kind == 5) {
    switch (category) {
      case 1:
      case 2:
      case 9:
      case 17: return 200;
      case 11:
      case 12: return 100000;
      default: return 0;
    }
  }
  return 100000;
}

MapTile::MapTile(std::uint32_t tileId)
    : id(tileId),
      west((static_cast<std::int32_t>(tileId >> 8) - 180) * kGeoUnitsPerDegree),
      north((static_cast<std::int32_t>(tileId & 255) - 90) * kGeoUnitsPerDegree + kGeoUnitsPerDegree) {
  for (std::int32_t g = 0; g < kContourGroups; ++g)
    features.groups[static_cast<std::size_t>(g)].elevation = kContourElevations[static_cast<std::size_t>(g)];
}

bool TerrainHeightAt(const MapTile& tile, const GeoPoint& p, std::int32_t& out) {
  const TerrainGrid& grid = tile.terrain;
  if (!grid.loaded || grid.cellWidth <= 0 || grid.cellHeight <= 0) return false;
  const std::int64_t dy = static_cast<std::int64_t>(tile.north) - p.lat - 1;
  const std::int64_t dx = static_cast<std::int64_t>(p.lon) - tile.west;
  // The tile's north edge belongs to its first row (dy = -1), its south edge to the last.
  if (dx < 0 || dy < -1) return false;
  const std::int64_t row = dy < 0 ? 0 : dy / grid.cellHeight;
  const std::int64_t column = dx / grid.cellWidth;
  if (row >= grid.rows || column >= grid.columns) return false;
  const std::int64_t at = row * grid.columns + column;
  if (at >= static_cast<std::int64_t>(grid.cells.size())) return false;
  const std::int16_t v = grid.cells[static_cast<std::size_t>(at)];
  out = v == kNoTerrain ? 0 : v;
  return true;
}

void MapLayerFree(MapLayer& layer) { layer = MapLayer{}; }

void MapTileResetLayers(MapTile& tile) {
  for (MapLayer& l : tile.layers) MapLayerFree(l);
}

}  // namespace cumulor::kv3
