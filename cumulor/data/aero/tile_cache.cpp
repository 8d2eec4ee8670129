#include "cumulor/data/aero/tile_cache.h"

#include <algorithm>

namespace cumulor {

std::uint32_t TileIdOf(const GeoPoint& p) {
  std::int64_t lonIndex = (static_cast<std::int64_t>(p.lon) + 6480000) / 36000;
  std::int64_t latIndex = (static_cast<std::int64_t>(p.lat) + 3240000) / 36000;
  if (lonIndex < 0 || latIndex < 0 || latIndex > 255) return kMaxTileId + 1;
  std::int64_t id = lonIndex * 256 + latIndex;
  return id > kMaxTileId ? kMaxTileId + 1 : static_cast<std::uint32_t>(id);
}

TileCache::TileCache() : buckets_(kTileBuckets) {}

TileCache& AeroTiles() {
  static TileCache cache;
  return cache;
}

TileCache::~TileCache() { FreeMaps(); }

TileRecord* TileCache::Find(std::uint32_t id, bool add) {
  if (id > kMaxTileId) return nullptr;
  std::vector<TileRecord>& bucket = buckets_[id % kTileBuckets];
  for (TileRecord& t : bucket)
    if (t.id == id) return &t;
  if (!add) return nullptr;
  bucket.emplace_back();
  bucket.back().id = id;
  return &bucket.back();
}

std::uint32_t TileCache::AddItemGetId(std::int32_t n, const GeoPoint& p, std::uint32_t item) {
  if (n < 0 || n >= kTileListCount) return 0;
  TileRecord* t = Find(TileIdOf(p), true);
  if (!t) return 0;
  t->items[static_cast<std::size_t>(n)].push_back(item);
  return t->id;
}

bool TileCache::AddItem(std::int32_t n, const GeoPoint& p, std::uint32_t item) {
  if (n < 0 || n >= kTileListCount) return false;
  TileRecord* t = Find(TileIdOf(p), true);
  if (!t) return false;
  t->items[static_cast<std::size_t>(n)].push_back(item);
  return true;
}

namespace {

bool RemoveFrom(TileRecord* t, std::int32_t n, std::uint32_t item) {
  if (!t || n < 0 || n >= kTileListCount) return false;
  auto& list = t->items[static_cast<std::size_t>(n)];
  auto it = std::find(list.begin(), list.end(), item);
  if (it == list.end()) return false;
  list.erase(it);
  return true;
}

}  // namespace

bool TileCache::RemoveItem(std::int32_t n, const GeoPoint& p, std::uint32_t item) {
  return RemoveFrom(Find(TileIdOf(p), true), n, item);
}

bool TileCache::RemoveItemById(std::int32_t n, std::uint32_t id, std::uint32_t item) {
  return RemoveFrom(Find(id, false), n, item);
}

void TileCache::ListsClear(std::int32_t n) {
  ForEach([n](TileRecord& t) {
    if (n == kTileListCount) {
      for (auto& list : t.items) list.clear();
    } else if (n >= 0 && n < kTileListCount) {
      t.items[static_cast<std::size_t>(n)].clear();
    }
  });
}

void TileCache::FreeMapLayers() {
  ForEach([](TileRecord& t) {
    if (t.mapTile) t.mapTile->layersBuilt = false;
  });
}

void TileCache::FreeMaps() {
  ForEach([](TileRecord& t) {
    t.mapRefs.clear();
    delete t.mapTile;
    t.mapTile = nullptr;
  });
}

bool TerrainHeightAt(const MapTile& tile, const GeoPoint& p, std::int32_t& out) {
  if (tile.rows <= 0 || tile.columns <= 0 ||
      tile.heights.size() != static_cast<std::size_t>(tile.rows) * static_cast<std::size_t>(tile.columns))
    return false;
  std::int64_t east = static_cast<std::int64_t>(p.lon) - tile.southWest.lon;
  std::int64_t south = static_cast<std::int64_t>(tile.southWest.lat) + 36000 - p.lat;
  if (east < 0 || east >= 36000 || south <= 0 || south > 36000) return false;
  std::int64_t col = east * tile.columns / 36000;
  std::int64_t row = (south - 1) * tile.rows / 36000;
  if (col < 0 || col >= tile.columns || row < 0 || row >= tile.rows) return false;
  out = tile.heights[static_cast<std::size_t>(row * tile.columns + col)];
  return true;
}

bool TerrainElevationAt(TileCache& cache, const GeoPoint& p, std::int32_t& out) {
  out = -1000;
  TileRecord* t = cache.Find(TileIdOf(p), false);
  if (!t || t->mapRefs.empty() || !t->mapTile) return false;
  return TerrainHeightAt(*t->mapTile, p, out);
}

}  // namespace cumulor
