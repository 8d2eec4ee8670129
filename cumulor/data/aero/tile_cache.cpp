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

kv3::OverviewMaps& AeroOverview() {
  static kv3::OverviewMaps overview;
  return overview;
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

bool TileCache::AddBlock(std::uint32_t tileId, const kv3::TileBlockRef& ref) {
  TileRecord* t = Find(tileId, true);
  if (!t) return false;
  if (std::none_of(t->mapRefs.begin(), t->mapRefs.end(), [&](const kv3::TileBlockRef& r) { return r.file == ref.file; }))
    t->mapRefs.push_back(ref);
  return true;
}

const std::vector<kv3::TileBlockRef>* TileCache::BlocksOf(std::uint32_t tileId) const {
  if (tileId > kMaxTileId) return nullptr;
  for (const TileRecord& t : buckets_[tileId % kTileBuckets])
    if (t.id == tileId) return t.mapRefs.empty() ? nullptr : &t.mapRefs;
  return nullptr;
}

void TileCache::FreeMapLayers() {
  ForEach([](TileRecord& t) {
    if (t.mapTile) kv3::MapTileResetLayers(*t.mapTile);
  });
}

void TileCache::FreeMaps() {
  ForEach([](TileRecord& t) {
    t.mapRefs.clear();
    t.mapTile.reset();
  });
}

bool TerrainElevationAt(TileCache& cache, const GeoPoint& p, std::int32_t& out) {
  out = -1000;
  TileRecord* t = cache.Find(TileIdOf(p), false);
  if (!t || t->mapRefs.empty() || !t->mapTile) return false;
  return kv3::TerrainHeightAt(*t->mapTile, p, out);
}

}  // namespace cumulor
