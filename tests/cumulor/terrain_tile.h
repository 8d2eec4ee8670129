// A loaded map tile with a terrain grid, put straight into a tile cache for tests that need
// terrain under a position: height(row, column) over the tile's 120 x 120 cells of 30 arc-seconds,
// rows from north to south.
#pragma once

#include <functional>
#include <memory>

#include "cumulor/data/aero/tile_cache.h"
#include "cumulor/data/kv3/map_objects.h"

namespace cumulor::testing {

inline kv3::MapTile& PutTerrainTile(TileCache& cache, int lonDegree, int latDegree,
                                    const std::function<std::int16_t(int row, int column)>& height) {
  const auto id = static_cast<std::uint32_t>(((lonDegree + 180) << 8) | (latDegree + 90));
  TileRecord* t = cache.Find(id, true);
  t->mapRefs.assign(1, kv3::TileBlockRef{});  // the tile counts as map data; it is already loaded
  t->mapTile = std::make_unique<kv3::MapTile>(id);
  kv3::TerrainGrid& g = t->mapTile->terrain;
  g.cells.resize(static_cast<std::size_t>(kv3::kTerrainCells) * kv3::kTerrainCells);
  for (int r = 0; r < kv3::kTerrainCells; ++r)
    for (int c = 0; c < kv3::kTerrainCells; ++c)
      g.cells[static_cast<std::size_t>(r * kv3::kTerrainCells + c)] = height(r, c);
  g.loaded = true;
  g.west = t->mapTile->west;
  g.north = t->mapTile->north;
  g.east = g.west + 36000;
  g.south = g.north - 36000;
  return *t->mapTile;
}

}  // namespace cumulor::testing
