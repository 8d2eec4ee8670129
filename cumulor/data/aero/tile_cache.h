// The tile cache: the earth in one-degree tiles, each keeping the numbers of the points inside it.
//
// Tile id = ((longitude degree + 180) << 8) | (latitude degree + 90), from the GeoPoint by signed
// division truncating towards zero; ids above 92340 are refused everywhere. 4999 buckets, bucket =
// id modulo 4999, each a list of tile records searched linearly.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "cumulor/app/base/geo_point.h"

namespace cumulor {

inline constexpr std::uint32_t kMaxTileId = 92340;
inline constexpr std::uint32_t kTileBuckets = 4999;

enum TileList : std::int32_t {
  kTileAirports = 0,
  kTileUserWaypoints = 3,
  kTileThermals = 4,
  kTileListCount = 5,
};

// A loaded map tile and its terrain grid: a least form the vector map store fills.
struct MapTile {
  // Terrain heights in metres on a grid over the tile's degree, rows from north to south; empty
  // when the tile holds no terrain.
  GeoPoint southWest;              // the tile's corner
  std::int32_t rows = 0, columns = 0;
  std::vector<std::int16_t> heights;
  bool layersBuilt = false;
};

struct TileRecord {
  std::uint32_t id = 0;
  std::array<std::vector<std::uint32_t>, kTileListCount> items;
  std::vector<std::uint32_t> mapRefs;   // the map file tiles covering this tile
  MapTile* mapTile = nullptr;           // owned; null until loaded
};

class TileCache;
// The process's tile cache.
TileCache& AeroTiles();

// The tile id of a position (may be above kMaxTileId, which callers refuse).
std::uint32_t TileIdOf(const GeoPoint& p);

class TileCache {
 public:
  TileCache();
  ~TileCache();
  TileCache(const TileCache&) = delete;
  TileCache& operator=(const TileCache&) = delete;

  // The tile with that id; when absent and add is set, a new empty one. Null for refused ids. The
  // pointer is valid until the bucket grows.
  TileRecord* Find(std::uint32_t id, bool add);
  // Appends item to list n of the position's tile (made when missing); false for a refused id.
  bool AddItem(std::int32_t n, const GeoPoint& p, std::uint32_t item);
  // The same, answering the tile id (0 when refused).
  std::uint32_t AddItemGetId(std::int32_t n, const GeoPoint& p, std::uint32_t item);
  // Removes the first occurrence of item from list n of the position's tile; false when absent.
  bool RemoveItem(std::int32_t n, const GeoPoint& p, std::uint32_t item);
  bool RemoveItemById(std::int32_t n, std::uint32_t id, std::uint32_t item);
  // Empties list n (0..4) of every tile; n = 5 empties all five.
  void ListsClear(std::int32_t n);
  // Frees every loaded map tile's layers, keeping the tiles.
  void FreeMapLayers();
  // Frees every tile's map references and loaded map tile.
  void FreeMaps();
  // Calls f for every tile.
  template <class F>
  void ForEach(F f) {
    for (auto& bucket : buckets_)
      for (TileRecord& t : bucket) f(t);
  }

 private:
  std::vector<std::vector<TileRecord>> buckets_;
};

// The terrain height of a loaded map tile at a position (the grid cell the position lies in);
// false when the tile has no grid or the position lies outside it.
bool TerrainHeightAt(const MapTile& tile, const GeoPoint& p, std::int32_t& out);

// out = -1000 first; false when the position's tile does not exist, has no map references or no
// loaded map tile; otherwise the height of the loaded tile at the position and its result.
bool TerrainElevationAt(TileCache& cache, const GeoPoint& p, std::int32_t& out);

}  // namespace cumulor
