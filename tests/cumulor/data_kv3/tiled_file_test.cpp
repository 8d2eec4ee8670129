// Tiled map files written by the generator read back what it put in; the header, index and
// overview cases; tile loading, zoom layers and terrain.
#include <gtest/gtest.h>

#include "cumulor/data/kv3/tile_block.h"
#include "cumulor/data/kv3/tile_layers.h"
#include "platform/files/files.h"
#include "tests/cumulor/data_kv3/kv3_fixture.h"

namespace cumulor::testing {
namespace {

using kv3gen::BlockSection;
using kv3gen::TileFeature;

const std::uint32_t kTile = kv3gen::TileId(11, 47);
constexpr std::int32_t kWest = 11 * 36000;
constexpr std::int32_t kNorth = 48 * 36000;

BlockSection Points(std::vector<kv3gen::TilePoint> points) {
  BlockSection s;
  s.tag = 1;
  s.points = std::move(points);
  return s;
}
BlockSection Features(std::uint16_t tag, std::vector<TileFeature> features) {
  BlockSection s;
  s.tag = tag;
  s.features = std::move(features);
  return s;
}
BlockSection Contours(std::vector<kv3gen::ContourGroupOut> groups) {
  BlockSection s;
  s.tag = 71;
  s.contours = std::move(groups);
  return s;
}
BlockSection Terrain(std::int16_t offset, std::int16_t scale, std::vector<std::uint8_t> cells) {
  BlockSection s;
  s.tag = 75;
  s.terrain = {offset, scale, std::move(cells)};
  return s;
}
std::vector<std::uint8_t> Cells(std::uint8_t fill) { return std::vector<std::uint8_t>(14400, fill); }

// Everything a tile can hold, in one block.
kv3gen::TileBlockOut FullBlock() {
  std::vector<std::uint8_t> cells = Cells(10);
  cells[0] = 255;             // north-west corner: no data
  cells[119 * 120 + 119] = 3;  // south-east corner
  cells[1 * 120 + 2] = 200;    // row 1, column 2
  return Block(kTile, {
      Points({{100, 200, 7, 0, "Innsbruck"},
              {300, 400, 15, 4921, ""},
              {500, 600, 16, 0, "Patscherkofel"},
              {700, 800, 9, 77, ""}}),
      Features(3, {{3, 0, {{0, 0, 1}, {1000, 500, 4}, {2000, 100, 0}}, -1},
                   {5, 1, {{10, 10, 2}}, -1},
                   {13, 2, {}, -1}}),
      Features(5, {{1, 0, {{100, 100, 4}, {900, 100, 4}, {900, 900, 4}}, -1}}),
      Contours({{500, {{11, 0, {{0, 0, 4}, {3000, 3000, 4}}, -1}}},
                {2500, {{11, 0, {{0, 0, 4}, {6000, 6000, 1}}, -1}}}}),
      Terrain(-50, 20, cells),
  });
}

TEST_F(Kv3Test, ATiledFileReadsBackItsPointsFeaturesContoursAndTerrain) {
  ASSERT_EQ(Load(OneTileFile({FullBlock()})), S_OK);
  ASSERT_EQ(files.Size(), 1);
  EXPECT_NE(files[0].handle, -1);  // the tiled file stays open
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].left, kWest);
  EXPECT_EQ(boxes[0].top, kNorth);
  EXPECT_TRUE(overview.loaded);

  std::unique_ptr<kv3::MapTile> tile = kv3::LoadTile(index, kTile);
  ASSERT_TRUE(tile);
  EXPECT_EQ(tile->west, kWest);
  EXPECT_EQ(tile->north, kNorth);

  const auto& points = tile->features.points;
  ASSERT_EQ(points.size(), 4u);
  EXPECT_EQ(points[0].points[0], (GeoPoint{kWest + 100, kNorth - 200}));
  EXPECT_EQ(Label(points[0].label.data()), u"Innsbruck");
  EXPECT_EQ(points[0].threshold, 200);
  // A spot height: feet in the first half of the label, metres (truncated) in the second.
  EXPECT_EQ(points[1].value, 4921);
  EXPECT_EQ(Label(points[1].label.data()), u"4921");
  EXPECT_EQ(Label(points[1].label.data() + 10), u"1499");
  EXPECT_EQ(points[1].threshold, 100);
  EXPECT_EQ(Label(points[2].label.data()), u"Patscherkofel");
  EXPECT_EQ(points[2].threshold, 150);
  EXPECT_EQ(points[3].category, 9);
  EXPECT_EQ(points[3].value, 77);
  EXPECT_EQ(points[3].threshold, 0);

  const auto& lines = tile->features.lines;
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0].kind, 3);
  EXPECT_EQ(lines[0].category, 3);
  EXPECT_EQ(lines[0].threshold, 100);
  ASSERT_EQ(lines[0].vertices.size(), 3u);
  EXPECT_EQ(lines[0].vertices[1].lon, kWest + 1000);
  EXPECT_EQ(lines[0].vertices[1].lat, kNorth - 500);
  EXPECT_EQ(lines[0].vertices[1].level, 64);  // level byte x 16
  EXPECT_EQ(lines[0].west, kWest);
  EXPECT_EQ(lines[0].east, kWest + 2000);
  EXPECT_EQ(lines[0].north, kNorth);
  EXPECT_EQ(lines[0].south, kNorth - 500);
  EXPECT_EQ(lines[1].category, 5);
  EXPECT_EQ(lines[1].subtype, 1);
  EXPECT_EQ(lines[1].threshold, 150);
  EXPECT_EQ(lines[2].threshold, 200);   // category 13, subtype 2
  EXPECT_TRUE(lines[2].vertices.empty());
  EXPECT_EQ(lines[2].west, 0);           // no vertices: an empty box

  ASSERT_EQ(tile->features.areas.size(), 1u);
  EXPECT_EQ(tile->features.areas[0].kind, 5);
  EXPECT_EQ(tile->features.areas[0].threshold, 200);

  // Contours by group: 500 is group 2; 2500 is not in the table and goes to group 29.
  const auto& groups = tile->features.groups;
  ASSERT_EQ(groups[2].records.size(), 1u);
  EXPECT_EQ(groups[2].records[0].threshold, 100000);  // category 11 read as an area
  EXPECT_EQ(groups[2].records[0].kind, 5);
  ASSERT_EQ(groups[29].records.size(), 1u);
  EXPECT_EQ(groups[29].elevation, 26000);

  // Terrain: b x scale + offset, 255 held as -1000 and answered as 0.
  const kv3::TerrainGrid& grid = tile->terrain;
  ASSERT_TRUE(grid.loaded);
  EXPECT_EQ(grid.cells[0], -1000);
  EXPECT_EQ(grid.cells[5], 150);
  std::int32_t h = -1;
  EXPECT_TRUE(kv3::TerrainHeightAt(*tile, {kWest + 10, kNorth - 10}, h));
  EXPECT_EQ(h, 0);
  EXPECT_TRUE(kv3::TerrainHeightAt(*tile, {kWest + 2 * 300 + 5, kNorth - 300 - 5}, h));
  EXPECT_EQ(h, 3950);
  EXPECT_TRUE(kv3::TerrainHeightAt(*tile, {kWest + 36000 - 1, kNorth - 36000}, h));
  EXPECT_EQ(h, 10);
  // Points beyond the grid answer "no terrain" instead of reading outside it.
  for (GeoPoint outside : {GeoPoint{kWest + 36000, kNorth - 10}, GeoPoint{kWest - 300, kNorth - 10},
                           GeoPoint{kWest + 10, kNorth - 36001}, GeoPoint{kWest + 10, kNorth + 300}})
    EXPECT_FALSE(kv3::TerrainHeightAt(*tile, outside, h)) << outside.lon << " " << outside.lat;
}

TEST_F(Kv3Test, OverviewContoursGoToTheCoarseLayersWithPaletteColours) {
  kv3gen::TiledFile f = OneTileFile({FullBlock()});
  f.overview = true;
  kv3gen::OverviewRecord big;
  big.west = kWest;
  big.east = kWest + 20000;
  big.north = kNorth;
  big.south = kNorth - 20000;
  big.kind = 5;
  big.category = 3;   // read as a contour whatever the file says
  big.value = 7;
  big.threshold = 5;
  big.vertices = {{kWest, kNorth, 50}, {kWest + 20000, kNorth, 9}, {kWest, kNorth - 20000, 50}};
  kv3gen::OverviewRecord small = big;
  small.east = kWest + 10;
  f.overviewGroups = {{1000, {big, small}}, {2500, {big}}};
  palette.offset = 30;
  palette.step = 12;  // the second group's slot (30 + 12) lies past the 40 slots
  settings.minSize[9] = 100;
  settings.layerValue[10] = 4;  // keeps levels of 20 and more
  ASSERT_EQ(Load(f), S_OK);
  ASSERT_TRUE(overview.loaded);
  // Group 1000 is group 3, 2500 group 29; the small record is below layer 9's least size.
  const kv3::MapLayer& l9 = overview.layers[0];
  ASSERT_EQ(l9.contours[3].size(), 1u);
  ASSERT_EQ(l9.contours[29].size(), 1u);
  EXPECT_EQ(l9.contours[3][0].category, 11);
  EXPECT_EQ(l9.contours[3][0].threshold, 100000);
  EXPECT_EQ(l9.contours[3][0].value, 3);
  EXPECT_EQ(overview.layers[1].contours[3][0].points.size(), 2u);
  EXPECT_EQ(overview.groups[3].colour, 1030);
  EXPECT_EQ(overview.groups[29].colour, 1039);  // held within the 40 slots
  EXPECT_TRUE(overview.groups[3].records.empty());
}

// Header, index and what follows it.
TEST_F(Kv3Test, TiledHeaderAndIndexCases) {
  struct Case {
    const char* what;
    void (*change)(kv3gen::TiledFile&);
    HRESULT result;
    bool tileListed;
  } cases[] = {
      {"nothing behind the index", [](kv3gen::TiledFile&) {}, S_OK, true},
      {"detail word 0", [](kv3gen::TiledFile& f) { f.detail = 0; }, E_FAIL, false},
      {"index tag 72", [](kv3gen::TiledFile& f) { f.indexTag = 72; }, E_FAIL, false},
      {"75 behind the index",
       [](kv3gen::TiledFile& f) {
         f.writeWordBehindIndex = true;
         f.wordBehindIndex = 75;
       },
       E_FAIL, true},
      {"index count 50001", [](kv3gen::TiledFile& f) { f.indexCountOverride = 50001; }, E_ABORT, false},
      {"index count past the end", [](kv3gen::TiledFile& f) { f.indexCountOverride = 5; }, E_FAIL, false},
      {"a refused tile id after a good one", [](kv3gen::TiledFile& f) { f.extraIndexIds = {92341}; }, E_FAIL, true},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    kv3::CloseMapFiles(files);
    files.SetSize(0);
    index.Clear();
    overview = kv3::OverviewMaps{};
    kv3gen::TiledFile f = OneTileFile({FullBlock()});
    c.change(f);
    EXPECT_EQ(Load(f, "case" + std::to_string(n++) + ".kv3"), c.result);
    EXPECT_EQ(index.Find(kTile) != nullptr, c.tileListed);
    EXPECT_EQ(overview.loaded, c.result == S_OK);
    // A refused file keeps its handle and what it registered.
    EXPECT_NE(files[0].handle, -1);
  }
}

TEST_F(Kv3Test, AFileRegisteredTwiceListsItsHandleOncePerTileAndStaysOpen) {
  kv3gen::TiledFile f = OneTileFile({FullBlock()});
  ASSERT_EQ(Load(f), S_OK);
  const std::int32_t slot = files[0].handle;
  HANDLE h = kv3::EntryHandle(files[0]);
  const std::uint32_t at = static_cast<std::uint32_t>(kv3gen::WriteTiled(f).size()) - 2 - 4 - 8;  // the index
  ASSERT_EQ(kv3::RegisterTileIndex(index, h, at), S_OK);
  ASSERT_EQ(index.Find(kTile)->size(), 1u);
  // Loading the same entry again leaves its open handle in place: the tile still reads.
  ASSERT_EQ(kv3::LoadMapFile(context, files, u"\\map.kv3", 0), S_OK);
  EXPECT_EQ(files[0].handle, slot);
  EXPECT_EQ(index.Find(kTile)->size(), 1u);
  EXPECT_TRUE(kv3::LoadTile(index, kTile));
  // A second file covering the same tile adds its own block.
  ASSERT_EQ(Load(f, "other.kv3"), S_OK);
  EXPECT_EQ(index.Find(kTile)->size(), 2u);
  std::unique_ptr<kv3::MapTile> tile = kv3::LoadTile(index, kTile);
  ASSERT_TRUE(tile);
  EXPECT_EQ(tile->features.points.size(), 8u);
}

TEST_F(Kv3Test, AMissingFileIsShownAndRefused) {
  EXPECT_EQ(kv3::LoadMapFile(context, files, u"\\gone.kv3", -1), E_FAIL);
  ASSERT_EQ(missing.size(), 1u);
  EXPECT_EQ(missing[0], u"File \\gone.kv3 NOT FOUND.");
}

// Block frames and sections: what a block keeps when a part of it is odd or broken.
TEST_F(Kv3Test, TileBlockCases) {
  auto emptySection = [](std::uint16_t tag) {
    BlockSection s;
    s.tag = tag;
    s.emptyBody = true;
    return s;
  };
  const BlockSection terrain = Terrain(0, 1, Cells(7));
  const BlockSection town = Points({{1, 1, 7, 0, "A"}});
  BlockSection badCount = Features(3, {{3, 0, {{1, 1, 1}}, 50001}});
  BlockSection longName = Points({{1, 1, 16, 0, "123456789012345678901"}});
  BlockSection manyGroups = Contours({});
  manyGroups.groupCountOverride = 31;
  BlockSection brokenContour = Contours({{500, {{11, 0, {{1, 1, 1}}, 50001}}}});
  BlockSection shortTerrain = Terrain(0, 1, std::vector<std::uint8_t>(14399, 7));
  BlockSection unknownTag;
  unknownTag.tag = 99;

  struct Case {
    const char* what;
    kv3gen::TileBlockOut block;
    bool loads;
    std::size_t points;
    bool terrain;
  } cases[] = {
      {"sections of length 0 read no body",
       Block(kTile, {emptySection(1), emptySection(3), emptySection(5), emptySection(71), town, terrain}), true, 1,
       true},
      {"a tag without a length carries nothing", Block(kTile, {unknownTag, town, terrain}), true, 1, true},
      {"a vertex count past 50000 ends the block", Block(kTile, {town, badCount, terrain}), true, 1, false},
      {"a name of 21 bytes ends the block", Block(kTile, {town, longName, terrain}), true, 1, false},
      {"31 contour groups fail the block", Block(kTile, {town, manyGroups, terrain}), false, 0, false},
      {"a broken contour record fails the block", Block(kTile, {brokenContour, terrain}), false, 0, false},
      {"a short terrain array leaves no terrain", Block(kTile, {shortTerrain, town}), true, 1, false},
  };
  kv3gen::TileBlockOut wrongMagic = Block(kTile, {town});
  wrongMagic.magic = 12346;
  kv3gen::TileBlockOut wrongId = Block(kTile, {town});
  wrongId.idInBlock = kTile + 1;
  kv3gen::TileBlockOut noEnd = Block(kTile, {town});
  noEnd.endTag = false;
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    index.Clear();
    ASSERT_EQ(Load(OneTileFile({c.block}), "block" + std::to_string(n++) + ".kv3"), S_OK);
    std::unique_ptr<kv3::MapTile> tile = kv3::LoadTile(index, kTile);
    ASSERT_EQ(tile != nullptr, c.loads);
    if (!tile) continue;
    EXPECT_EQ(tile->features.points.size(), c.points);
    EXPECT_EQ(tile->terrain.loaded, c.terrain);
    std::int32_t h = 0;
    EXPECT_EQ(kv3::TerrainHeightAt(*tile, {kWest + 1, kNorth - 1}, h), c.terrain);
  }
  for (const kv3gen::TileBlockOut& b : {wrongMagic, wrongId, noEnd}) {
    index.Clear();
    ASSERT_EQ(Load(OneTileFile({b}), "frame" + std::to_string(n++) + ".kv3"), S_OK);
    EXPECT_FALSE(kv3::LoadTile(index, kTile));
  }
}

TEST_F(Kv3Test, ATwentyByteNameKeepsNineteenCharacters) {
  ASSERT_EQ(Load(OneTileFile({Block(kTile, {Points({{1, 1, 7, 0, "ABCDEFGHIJKLMNOPQRST"}})})})), S_OK);
  std::unique_ptr<kv3::MapTile> tile = kv3::LoadTile(index, kTile);
  ASSERT_TRUE(tile);
  ASSERT_EQ(tile->features.points.size(), 1u);
  EXPECT_EQ(Label(tile->features.points[0].label.data()), u"ABCDEFGHIJKLMNOPQRS");
}

TEST_F(Kv3Test, LayersKeepVertexLevelsAndSizesAndCollectAboveTheLayerValue) {
  ASSERT_EQ(Load(OneTileFile({FullBlock()})), S_OK);
  std::unique_ptr<kv3::MapTile> tile = kv3::LoadTile(index, kTile);
  ASSERT_TRUE(tile);
  settings.layerValue = {};
  settings.layerValue[2] = 3;  // 5 x 3 = 15: keeps levels of 16 and more
  settings.layerValue[3] = 4;  // 20: drops level 16
  settings.minSize[3] = 4000;  // the group-500 contour (3000 wide) and the lake (800) drop out
  kv3::BuildTileLayer(*tile, 2, settings);
  kv3::BuildTileLayer(*tile, 3, settings);
  const kv3::MapLayer& l2 = tile->layers[2];
  const kv3::MapLayer& l3 = tile->layers[3];
  EXPECT_TRUE(l2.built);
  ASSERT_EQ(l2.lines.size(), 3u);
  EXPECT_EQ(l2.lines[0].points.size(), 2u);  // levels 16 and 64 kept, 0 dropped
  EXPECT_EQ(l3.lines[0].points.size(), 1u);
  EXPECT_EQ(l2.contours[2].size(), 1u);
  EXPECT_EQ(l2.contours[29][0].value, 29);
  EXPECT_EQ(l2.contours[29][0].points.size(), 2u);
  EXPECT_TRUE(l3.contours[2].empty());
  EXPECT_EQ(l3.contours[29].size(), 1u);
  EXPECT_EQ(l3.areas.size(), 0u);
  EXPECT_EQ(l2.areas.size(), 1u);
  EXPECT_EQ(l2.points.size(), 4u);

  std::vector<const kv3::MapObject*> out;
  settings.layerValue[2] = 150;
  settings.contourStartGroup = 3;
  // Contour group 29, then area (200), the road of category 13 (200) and the town (200).
  EXPECT_EQ(kv3::CollectTileLayer(*tile, out, 2, settings), 4);
  EXPECT_EQ(out[0]->value, 29);
  settings.vectorShown = false;
  EXPECT_EQ(kv3::CollectTileLayer(*tile, out, 2, settings), 0);
  settings.vectorShown = true;
  settings.contoursShown = false;
  EXPECT_EQ(kv3::CollectTileLayer(*tile, out, 2, settings), 3);
  kv3::MapTileResetLayers(*tile);
  EXPECT_FALSE(tile->layers[2].built);
}

}  // namespace
}  // namespace cumulor::testing
