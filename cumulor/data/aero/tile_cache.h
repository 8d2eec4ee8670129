// The tile cache: the earth in one-degree tiles, each keeping the numbers of the points inside it.
//
// Tile id = ((longitude degree + 180) << 8) | (latitude degree + 90), from the GeoPoint by signed
// division truncating towards zero; ids above 92340 are refused everywhere. 4999 buckets, bucket =
// id modulo 4999, each a list of tile records searched linearly.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "cumulor/app/base/geo_point.h"
#include "cumulor/data/kv3/map_objects.h"
#include "cumulor/data/kv3/tiled_file.h"

namespace cumulor {

inline constexpr std::uint32_t kMaxTileId = 92340;
inline constexpr std::uint32_t kTileBuckets = 4999;

enum TileList : std::int32_t {
  kTileAirports = 0,
  kTileUserWaypoints = 3,
  kTileThermals = 4,
  kTileListCount = 5,
};

struct TileRecord {
  std::uint32_t id = 0;
  std::array<std::vector<std::uint32_t>, kTileListCount> items;
  std::vector<kv3::TileBlockRef> mapRefs;  // the blocks of open map files that make this tile
  std::unique_ptr<kv3::MapTile> mapTile;   // null until loaded
};

class TileCache;
// The process's tile cache.
TileCache& AeroTiles();
// The process's overview contours of the tiled map files (zoom layers 9 to 11).
kv3::OverviewMaps& AeroOverview();

// The tile id of a position (may be above kMaxTileId, which callers refuse).
std::uint32_t TileIdOf(const GeoPoint& p);

// The tile cache is also the index of the map files' tile blocks: each listed block is kept in
// its tile's record (made when missing).
class TileCache final : public kv3::TileBlockIndex {
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
  bool AddBlock(std::uint32_t tileId, const kv3::TileBlockRef& ref) override;
  const std::vector<kv3::TileBlockRef>* BlocksOf(std::uint32_t tileId) const override;
  void ClearBlocks() override { FreeMaps(); }
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

// out = -1000 first; false when the position's tile does not exist, has no map references or no
// loaded map tile; otherwise the height of the loaded tile at the position (kv3::TerrainHeightAt)
// and its result.
bool TerrainElevationAt(TileCache& cache, const GeoPoint& p, std::int32_t& out);

}  // namespace cumulor
