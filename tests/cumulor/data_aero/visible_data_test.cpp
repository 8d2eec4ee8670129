#include <gtest/gtest.h>

#include "cumulor/data/aero/visible_data.h"
#include "cumulor/data/kv3/map_file.h"
#include "platform/kernel/system_info.h"
#include "tests/cumulor/data_aero/ka1_fixture.h"
#include "tools/kv3gen/kv3_writer.h"

namespace cumulor {
namespace {

// Two airports near 8 E 47 N, one far away; one airspace inside the view, one across its edge, one
// far away.
const char kDatabase[] = R"(airspace 1|4|IN|Inside|290000|1700000|295000|1695000|
airspace 2|4|EDGE|Across|250000|1700000|290000|1600000|
airspace 3|4|FAR|Far|-100000|500000|-90000|490000|
region Switzerland||CH|1
uses 1
uses 2
uses 3
airport LSZH|307764|1708488|1416|0|Zurich||
airport LSZB|270000|1689120|1674|0|Bern||
airport SBGL|-155000|-820000|28|0|Galeao||
)";

class VisibleData : public testing::Ka1Test {
 protected:
  void SetUp() override {
    Ka1Test::SetUp();
    auto files = Describe(kDatabase);
    LoadSelected({Put("ch.ka1", files[0])}, {u"Switzerland"});
    // A tiled map over the tile of LSZB (7 E 46 N), listed in the test's tile cache.
    kv3::MapFileContext map;
    map.tiled.index = &tiles;
    map.tiled.overview = &overview;
    map.tiled.settings = &settings;
    for (std::size_t l = 0; l < settings.layerValue.size(); ++l) settings.layerValue[l] = kZoom[l];
    ASSERT_EQ(kv3::LoadMapFile(map, mapFiles, Put("map.kv3", kv3gen::WriteTiled(kv3gen::DemoArea(7, 46, 1, 1))).c_str(), -1),
              S_OK);
  }
  void TearDown() override {
    tiles.FreeMaps();
    kv3::CloseMapFiles(mapFiles);
    ce::kernel::SetMemoryLoad(30);
    Ka1Test::TearDown();
  }

  // About 200 km across, around 7.5 E 47 N.
  const TileRange view{7 * 36000 - 36000, 48 * 36000, 9 * 36000, 46 * 36000};
  static constexpr std::int32_t kZoom[12] = {1, 2, 5, 10, 20, 50, 100, 150, 200, 500, 1000, 2000};
  kv3::MapLayerSettings settings;
  kv3::OverviewMaps overview;
  PathList mapFiles;
  MapTileView maps{&settings, &overview};
  VisibleAeroObjects visible;
};

TEST_F(VisibleData, TilesInViewGiveTheirItemsAndMapTilesAreLoadedOnce) {
  UpdateVisibleAeroData(AeroData(), tiles, visible, view, 5, maps, ui);
  EXPECT_EQ(visible.items[kTileAirports], (std::vector<std::uint32_t>{2, 1}));  // row by row from the south
  EXPECT_EQ(visible.airspaces, (std::vector<std::int32_t>{0, 1}));
  EXPECT_EQ(AeroData().airspaceInView, (std::vector<std::int32_t>{1, 1, 0}));
  TileRecord* tile = tiles.Find(TileIdOf(GeoPoint{270000, 1689120}), false);
  ASSERT_TRUE(tile && tile->mapTile);
  const kv3::MapTile* loaded = tile->mapTile.get();
  EXPECT_TRUE(loaded->layers[5].built);
  EXPECT_EQ(visible.labelTiles.size(), 1u);
  const std::size_t objects = visible.mapObjects.size();
  EXPECT_GT(objects, 0u);
  UpdateVisibleAeroData(AeroData(), tiles, visible, view, 5, maps, ui);
  EXPECT_EQ(tile->mapTile.get(), loaded) << "loaded once";
  EXPECT_EQ(visible.mapObjects.size(), objects);
  EXPECT_EQ(visible.items[kTileAirports].size(), 2u);
  EXPECT_TRUE(statuses.end() == std::find(statuses.begin(), statuses.end(), u"Memory Low - freeing..."));

  // Under a memory load above 80 percent the layers are freed first and built again.
  ce::kernel::SetMemoryLoad(81);
  UpdateVisibleAeroData(AeroData(), tiles, visible, view, 4, maps, ui);
  EXPECT_NE(statuses.end(), std::find(statuses.begin(), statuses.end(), u"Memory Low - freeing..."));
  EXPECT_EQ(tile->mapTile.get(), loaded);
  EXPECT_FALSE(loaded->layers[5].built);
  EXPECT_TRUE(loaded->layers[4].built);

  // Zoom level 9 and above goes to the coarse rendering: no tile items, the overview contours.
  UpdateVisibleAeroData(AeroData(), tiles, visible, view, 9, maps, ui);
  EXPECT_TRUE(visible.items[kTileAirports].empty());
  EXPECT_EQ(visible.airspaces.size(), 2u);
  ASSERT_FALSE(visible.mapObjects.empty());
  for (const kv3::MapObject* o : visible.mapObjects) EXPECT_EQ(o->category, 11);
}

TEST(TileRange, DegreesOfABox) {
  struct Case {
    TileRange box, range;
  } cases[] = {
      {{36000 * 7 + 5, 36000 * 48 - 1, 36000 * 9, 36000 * 46}, {7, 47, 9, 46}},
      {{-18000, 18000, 18000, -18000}, {-1, 0, 0, -1}},
      {{-36000 * 180, 36000 * 90, -36000 * 179, -36000 * 90}, {-180, 90, -180, -90}},
  };
  for (const Case& c : cases) {
    TileRange r = TileRangeFor(c.box);
    EXPECT_EQ(r.west, c.range.west);
    EXPECT_EQ(r.north, c.range.north);
    EXPECT_EQ(r.east, c.range.east);
    EXPECT_EQ(r.south, c.range.south);
  }
  EXPECT_TRUE(RangesOverlap({0, 2, 2, 0}, {2, 3, 4, 2}));   // a shared corner tile
  EXPECT_FALSE(RangesOverlap({0, 2, 2, 0}, {3, 2, 4, 0}));
  EXPECT_FALSE(RangesOverlap({0, 2, 2, 0}, {0, 5, 2, 3}));
}

}  // namespace
}  // namespace cumulor
