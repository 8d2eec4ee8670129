#include <gtest/gtest.h>

#include <memory>

#include "cumulor/data/aero/tile_cache.h"
#include "tests/cumulor/terrain_tile.h"

namespace cumulor {
namespace {

constexpr std::int32_t Deg(double d) { return static_cast<std::int32_t>(d * 36000); }

TEST(TileCache, TileIdsOfPositions) {
  struct Case {
    GeoPoint p;
    std::uint32_t id;
  } cases[] = {
      {{0, 0}, 46170},
      {{179 * 36000 + 59 * 600, 89 * 36000 + 59 * 600}, 92083},
      {{Deg(180), 0}, 92160 + 90},
      {{Deg(180), Deg(90)}, 92340},
      {{Deg(-180), Deg(-90)}, 0},
      {{Deg(-0.5), Deg(-0.5)}, 179 * 256 + 89},
  };
  TileCache cache;
  for (const Case& c : cases) {
    EXPECT_EQ(TileIdOf(c.p), c.id);
    EXPECT_EQ(cache.AddItemGetId(kTileAirports, c.p, 7), c.id);
  }
  // Beyond 180 degrees east the id exceeds 92340 and is refused everywhere.
  const GeoPoint beyond{Deg(181), 0};
  EXPECT_GT(TileIdOf(beyond), kMaxTileId);
  EXPECT_FALSE(cache.AddItem(kTileAirports, beyond, 1));
  EXPECT_EQ(cache.AddItemGetId(kTileAirports, beyond, 1), 0u);
  EXPECT_EQ(cache.Find(92341, true), nullptr);
}

TEST(TileCache, ItemsAreAddedRemovedAndCleared) {
  TileCache cache;
  const GeoPoint p{Deg(7.5), Deg(46.5)};
  const std::uint32_t id = TileIdOf(p);
  EXPECT_EQ(cache.Find(id, false), nullptr);
  for (std::uint32_t item : {5u, 6u, 5u}) ASSERT_TRUE(cache.AddItem(kTileAirports, p, item));
  ASSERT_TRUE(cache.AddItem(kTileUserWaypoints, p, 9));
  // Ids in the same bucket stay apart.
  ASSERT_TRUE(cache.AddItem(kTileAirports, GeoPoint{Deg(7.5) + 0, Deg(46.5)}, 8));
  TileRecord* other = cache.Find(id + kTileBuckets, true);
  ASSERT_NE(other, nullptr);
  EXPECT_TRUE(other->items[kTileAirports].empty());
  TileRecord* tile = cache.Find(id, false);
  ASSERT_NE(tile, nullptr);
  EXPECT_EQ(tile->items[kTileAirports], (std::vector<std::uint32_t>{5, 6, 5, 8}));
  EXPECT_TRUE(cache.RemoveItem(kTileAirports, p, 5));
  EXPECT_EQ(tile->items[kTileAirports], (std::vector<std::uint32_t>{6, 5, 8}));
  EXPECT_FALSE(cache.RemoveItem(kTileAirports, p, 42));
  EXPECT_TRUE(cache.RemoveItemById(kTileAirports, id, 8));
  EXPECT_FALSE(cache.RemoveItemById(kTileAirports, id + 1, 6));  // no such tile
  cache.ListsClear(kTileAirports);
  tile = cache.Find(id, false);
  EXPECT_TRUE(tile->items[kTileAirports].empty());
  EXPECT_EQ(tile->items[kTileUserWaypoints].size(), 1u);
  cache.ListsClear(5);
  EXPECT_TRUE(tile->items[kTileUserWaypoints].empty());
}

TEST(TileCache, TerrainElevationNeedsALoadedMapTileWithAGrid) {
  TileCache cache;
  const GeoPoint p{Deg(7.25), Deg(46.75)};
  std::int32_t h = 0;
  EXPECT_FALSE(TerrainElevationAt(cache, p, h));  // no tile
  EXPECT_EQ(h, -1000);
  TileRecord* tile = cache.Find(TileIdOf(p), true);
  h = 0;
  EXPECT_FALSE(TerrainElevationAt(cache, p, h));  // no map data
  EXPECT_EQ(h, -1000);
  tile->mapRefs.push_back(kv3::TileBlockRef{});
  tile->mapTile = std::make_unique<kv3::MapTile>(tile->id);
  EXPECT_FALSE(TerrainElevationAt(cache, p, h));  // a tile without terrain
  // Four quadrants, north row first.
  testing::PutTerrainTile(cache, 7, 46, [](int r, int c) -> std::int16_t { return (r < 60 ? 100 : 300) + (c < 60 ? 0 : 100); });
  tile = cache.Find(TileIdOf(p), false);
  struct Case {
    GeoPoint p;
    bool ok;
    std::int32_t height;
  } cases[] = {
      {{Deg(7.25), Deg(46.75)}, true, 100}, {{Deg(7.75), Deg(46.75)}, true, 200},
      {{Deg(7.25), Deg(46.25)}, true, 300}, {{Deg(7.75), Deg(46.25)}, true, 400},
      {{Deg(7), Deg(46) + 1}, true, 300},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TerrainElevationAt(cache, c.p, h), c.ok);
    EXPECT_EQ(h, c.height);
  }
  // Outside its own degree the grid answers no terrain rather than reading past it.
  EXPECT_FALSE(kv3::TerrainHeightAt(*tile->mapTile, GeoPoint{Deg(8.1), Deg(46.5)}, h));
  EXPECT_FALSE(kv3::TerrainHeightAt(*tile->mapTile, GeoPoint{Deg(7.5), Deg(45.9)}, h));
  tile->mapTile->terrain.cells.pop_back();  // a short grid reads no cell past its end
  EXPECT_FALSE(kv3::TerrainHeightAt(*tile->mapTile, GeoPoint{Deg(7) + 35999, Deg(46) + 1}, h));
}

}  // namespace
}  // namespace cumulor
