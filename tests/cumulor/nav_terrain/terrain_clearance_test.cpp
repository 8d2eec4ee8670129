#include <gtest/gtest.h>

#include "cumulor/app/base/number_text.h"
#include "cumulor/app/base/xml_node.h"
#include "cumulor/data/aero/tile_cache.h"
#include "cumulor/nav/terrain/terrain_clearance.h"
#include "tests/cumulor/terrain_tile.h"

using namespace cumulor;

namespace {

// Terrain over the degree tile at 11 E 47 N: a 2 x 2 grid, all cells at `height` but the
// south-east one at `southEast`. Other tiles hold no terrain.
void SetTerrain(std::int16_t height, std::int16_t southEast) {
  AeroTiles().FreeMaps();
  cumulor::testing::PutTerrainTile(AeroTiles(), 11, 47, [=](int r, int c) { return r >= 60 && c >= 60 ? southEast : height; });
}

const GeoPoint kA{36000 * 11 + 3600, 36000 * 47 + 27000};
const GeoPoint kB{36000 * 11 + 4200, 36000 * 47 + 27000};

class TerrainClearance : public ::testing::Test {
 protected:
  void SetUp() override {
    SetTerrainSafetyMargin(200);
    FormatUnits().altitude = kUnitMetres;
  }
  void TearDown() override {
    AeroTiles().FreeMaps();
    FormatUnits().altitude = kUnitMetres;
  }
};

}  // namespace

TEST_F(TerrainClearance, ProfileSamplesTheLegs) {
  BuildTerrainProfile(1000, kA, kB, 100, 1500);
  TerrainProfileView p = TerrainProfile();
  ASSERT_EQ(p.samples.size(), 4u);
  const GeoPoint step{kA.lon + 300, kA.lat};
  const std::pair<GeoPoint, std::int32_t> expected[] = {{kA, 1000}, {kA, 950}, {step, 900}, {kB, 900}};
  for (std::size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(p.samples[i].position, expected[i].first) << i;
    EXPECT_EQ(p.samples[i].altitude, expected[i].second) << i;
  }
  ExtendTerrainProfile(kB, kA, 40, 500);  // under 750 m: nothing added
  EXPECT_EQ(TerrainProfile().samples.size(), 4u);
  ExtendTerrainProfile(kB, kA, 40, 1600);  // two steps of 20 m from 900 m
  p = TerrainProfile();
  ASSERT_EQ(p.samples.size(), 8u);
  EXPECT_EQ(p.samples[4].altitude, 900);
  EXPECT_EQ(p.samples[6].altitude, 860);
  EXPECT_EQ(p.samples[7].altitude, 860);
  EXPECT_EQ(p.samples[7].position, kA);

  BuildTerrainProfile(800, kA, kB, 30, 500);  // a short first leg still gets one step
  p = TerrainProfile();
  ASSERT_EQ(p.samples.size(), 3u);
  EXPECT_EQ(p.samples[1].altitude, 770);
  EXPECT_EQ(p.samples[2].position, kB);
}

TEST_F(TerrainClearance, MinimumLessTheMargin) {
  struct Case {
    std::int16_t terrain;
    std::int32_t unit;
    int found;
    std::int32_t clearance;
  } cases[] = {
      {750, kUnitMetres, 1, -50}, {750, kUnitFeet, 1, -164}, {650, kUnitMetres, 1, 50},
  };
  for (const Case& c : cases) {
    SetTerrain(c.terrain, c.terrain);
    FormatUnits().altitude = c.unit;
    BuildTerrainProfile(1000, kA, kB, 100, 1500);
    std::int32_t out = 0;
    EXPECT_EQ(GetTerrainClearance(out), 0);  // not valid before the search
    ASSERT_EQ(FindProfileMinimum(), c.found);
    const TerrainProfileView p = TerrainProfile();
    EXPECT_EQ(p.minimumIndex, 2);  // the first of the two lowest samples
    EXPECT_EQ(p.minimumClearance, 1000 - 100 - c.terrain);
    ASSERT_EQ(GetTerrainClearance(out), 1);
    EXPECT_EQ(out, c.clearance);
  }
}

TEST_F(TerrainClearance, NoResultWithoutTerrainOrAtTheFirstSample) {
  SetTerrain(500, 500);
  const GeoPoint elsewhere{36000 * 12 + 100, kA.lat};  // a tile without terrain
  BuildTerrainProfile(1000, kA, elsewhere, 100, 1500);
  EXPECT_EQ(FindProfileMinimum(), 0);
  std::int32_t out = 0;
  EXPECT_EQ(GetTerrainClearance(out), 0);

  // A level glide south from high ground into the low south-east cell: the first sample has the
  // least clearance, which counts as none.
  SetTerrain(900, 100);
  BuildTerrainProfile(1000, GeoPoint{36000 * 11 + 27000, kA.lat}, GeoPoint{36000 * 11 + 27000, 36000 * 47 + 9000}, 0, 1500);
  EXPECT_EQ(FindProfileMinimum(), 0);
  EXPECT_EQ(TerrainProfile().minimumClearance, kNoClearance);
}

TEST_F(TerrainClearance, MarginSetting) {
  XmlNode top = XmlNode::ConstructTop();
  XmlNode* settings = top.AddChild("Settings");
  SetTerrainSafetyMargin(350);
  SaveTerrainMargin(*settings);
  SetTerrainSafetyMargin(10);
  LoadTerrainMargin(*settings);
  EXPECT_EQ(TerrainSafetyMargin(), 350);
  XmlNode* empty = top.AddChild("Empty");
  LoadTerrainMargin(*empty);
  EXPECT_EQ(TerrainSafetyMargin(), 350);
}
