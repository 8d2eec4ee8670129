#include <gtest/gtest.h>

#include "cumulor/data/aero/visible_data.h"
#include "platform/kernel/system_info.h"
#include "tests/cumulor/data_aero/ka1_fixture.h"

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
    hooks.load = [this](TileRecord& t) {
      ++loads;
      auto* m = new MapTile;
      m->southWest = GeoPoint{static_cast<std::int32_t>(t.id / 256) * 36000 - 6480000,
                              static_cast<std::int32_t>(t.id % 256) * 36000 - 3240000};
      return m;
    };
    hooks.buildLayers = [this](MapTile&, std::int32_t) { ++builds; };
    hooks.coarse = [this](const TileRange&) { ++coarse; };
  }
  void TearDown() override {
    ce::kernel::SetMemoryLoad(30);
    Ka1Test::TearDown();
  }

  // About 200 km across, around 7.5 E 47 N.
  const TileRange view{7 * 36000 - 36000, 48 * 36000, 9 * 36000, 46 * 36000};
  MapTileHooks hooks;
  VisibleAeroObjects visible;
  int loads = 0, builds = 0, coarse = 0;
};

TEST_F(VisibleData, TilesInViewGiveTheirItemsAndMapTilesAreLoadedOnce) {
  tiles.Find(TileIdOf(GeoPoint{270000, 1689120}), true)->mapRefs.push_back(3);
  UpdateVisibleAeroData(AeroData(), tiles, visible, view, 5, hooks, ui);
  EXPECT_EQ(visible.items[kTileAirports], (std::vector<std::uint32_t>{2, 1}));  // row by row from the south
  EXPECT_EQ(visible.airspaces, (std::vector<std::int32_t>{0, 1}));
  EXPECT_EQ(AeroData().airspaceInView, (std::vector<std::int32_t>{1, 1, 0}));
  EXPECT_EQ(loads, 1);
  EXPECT_EQ(builds, 1);
  EXPECT_EQ(visible.labelTiles.size(), 1u);
  UpdateVisibleAeroData(AeroData(), tiles, visible, view, 5, hooks, ui);
  EXPECT_EQ(loads, 1);
  EXPECT_EQ(builds, 1);
  EXPECT_EQ(visible.items[kTileAirports].size(), 2u);
  EXPECT_TRUE(statuses.end() == std::find(statuses.begin(), statuses.end(), u"Memory Low - freeing..."));

  // Under a memory load above 80 percent the layers are freed first and built again.
  ce::kernel::SetMemoryLoad(81);
  UpdateVisibleAeroData(AeroData(), tiles, visible, view, 5, hooks, ui);
  EXPECT_NE(statuses.end(), std::find(statuses.begin(), statuses.end(), u"Memory Low - freeing..."));
  EXPECT_EQ(loads, 1);
  EXPECT_EQ(builds, 2);

  // Zoom level 9 and above goes to the coarse rendering: no tile items.
  UpdateVisibleAeroData(AeroData(), tiles, visible, view, 9, hooks, ui);
  EXPECT_EQ(coarse, 1);
  EXPECT_TRUE(visible.items[kTileAirports].empty());
  EXPECT_EQ(visible.airspaces.size(), 2u);
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
