// The vector map store from files to draw list: tiled and whole-file .kv3 maps and shape layers
// selected in the data-file lists, the tile cache as the tiled files' index, the draw list of a
// view, and the handles of the map files across reloads.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "cumulor/data/aero/aero_ui.h"
#include "cumulor/data/aero/visible_data.h"
#include "cumulor/data/points/aero_tables.h"
#include "tests/cumulor/data_vector/vector_fixture.h"

namespace cumulor {
namespace {

using testing::VectorMapTest;

constexpr std::int32_t kDeg = 36000;

kv3gen::WholeFile SmallWholeFile() {
  kv3gen::WholeFile f;
  f.word8 = 0;
  f.west = 7 * kDeg;
  f.east = 8 * kDeg;
  f.north = 47 * kDeg;
  f.south = 46 * kDeg;
  kv3gen::WholeObject lake;
  lake.tag = 5;
  lake.kind = 5;
  lake.category = 1;
  lake.value = 2;
  lake.threshold = 200;
  lake.points = {{7 * kDeg + 100, 46 * kDeg + 100}, {7 * kDeg + 900, 46 * kDeg + 100}, {7 * kDeg + 900, 46 * kDeg + 900}};
  lake.vertexWords = {10000, 10000, 10000};
  lake.west = 7 * kDeg + 100;
  lake.east = 7 * kDeg + 900;
  lake.south = 46 * kDeg + 100;
  lake.north = 46 * kDeg + 900;
  kv3gen::WholeObject road = lake;
  road.tag = 3;
  road.kind = 3;
  road.category = 5;
  road.value = 1;
  road.threshold = 100000;
  kv3gen::WholeObject town;
  town.tag = 1;
  town.kind = 1;
  town.category = 7;
  town.label = u"Bern";
  town.points = {{7 * kDeg + 500, 46 * kDeg + 500}};
  town.west = town.east = 7 * kDeg + 500;
  town.north = town.south = 46 * kDeg + 500;
  f.objects = {lake, road, town};
  return f;
}

// The order the draw list keeps: areas, then lines, then points.
std::vector<std::int32_t> KindsOf(const VectorMapStore& store) {
  std::vector<std::int32_t> kinds;
  for (const kv3::MapObject* o : store.drawList) kinds.push_back(o->kind);
  return kinds;
}

TEST_F(VectorMapTest, FilesOfBothListsLoadIntoTheStoreAndTheTileCache) {
  PutBytes("alps.kv3", kv3gen::WriteTiled(kv3gen::DemoArea(7, 46, 2, 1)));
  PutBytes("BERN.KV3", kv3gen::WriteWhole(SmallWholeFile()));
  PutBytes("notes.txt", kv3gen::WriteWhole(SmallWholeFile()));
  ASSERT_FALSE(WriteShapes(shapegen::Area{7.1, 46.1, 7.9, 46.9}, shapegen::LayerSizes{}).empty());
  SelectMap("alps.kv3");
  SelectMap("BERN.KV3");
  SelectMap("notes.txt");    // not a map path: passed over
  SelectMap("missing.kv3");  // shown as missing, the loading goes on
  for (const char* layer : {"lakes", "rivers", "places"}) SelectShape(layer);

  LoadVectorMaps(store, context);

  EXPECT_EQ(missing, (std::vector<std::u16string>{u"File \\maps\\missing.kv3 NOT FOUND."}));
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].left, 7 * kDeg);
  EXPECT_EQ(boxes[0].right, 9 * kDeg);
  EXPECT_NE(std::find(statuses.begin(), statuses.end(), u"\\maps\\BERN.KV3:0%"), statuses.end());
  EXPECT_NE(std::find(statuses.begin(), statuses.end(), u"\\maps\\lakes"), statuses.end());
  // The tiled file stays open and lists its blocks under the tile cache's tiles.
  EXPECT_NE(mapList[0].handle, -1);
  EXPECT_EQ(mapList[1].handle, -1) << "a whole-file map is read and closed";
  for (std::int32_t lon : {7, 8}) {
    const auto* refs = tiles.BlocksOf(kv3gen::TileId(lon, 46));
    ASSERT_NE(refs, nullptr) << lon;
    EXPECT_EQ(refs->size(), 1u);
  }
  EXPECT_TRUE(overview.loaded);
  // One whole-file map (area, line, point) and three layers.
  EXPECT_GE(store.objects.areas.size(), 1u + 10u);
  EXPECT_GE(store.objects.lines.size(), 1u + 20u);
  EXPECT_EQ(store.objects.points.size(), 1u + 30u);
  ASSERT_EQ(store.objects.areaWords.size(), store.objects.areas.size());
  for (std::size_t i = 0; i < store.objects.areas.size(); ++i)
    EXPECT_EQ(store.objects.areaWords[i].size(), store.objects.areas[i].points.size());
  ASSERT_EQ(store.objects.lineWords.size(), store.objects.lines.size());
  for (std::size_t i = 0; i < store.objects.lines.size(); ++i) {
    const auto& words = store.objects.lineWords[i];
    ASSERT_EQ(words.size(), store.objects.lines[i].points.size());
    if (words.size() >= 2) {
      EXPECT_EQ(words.front(), 10000);
      EXPECT_EQ(words.back(), 10000);
    }
  }

  // The whole area in view at the closest layer: every object listed, areas, lines, points.
  RebuildVisibleMap(store, GeoRect{7 * kDeg, 47 * kDeg, 8 * kDeg, 46 * kDeg}, 0);
  const auto kinds = KindsOf(store);
  EXPECT_EQ(kinds.size(), store.objects.areas.size() + store.objects.lines.size() + store.objects.points.size());
  EXPECT_TRUE(std::is_sorted(kinds.begin(), kinds.end(), [](std::int32_t a, std::int32_t b) {
    auto rank = [](std::int32_t k) { return k == 5 ? 0 : k == 3 ? 1 : 2; };
    return rank(a) < rank(b);
  }));
  // A coarse layer thins: never more points than the objects hold, and never fewer than two.
  RebuildVisibleMap(store, GeoRect{7 * kDeg, 47 * kDeg, 8 * kDeg, 46 * kDeg}, 9);
  std::size_t drawnVertices = 0, heldVertices = 0;
  for (const kv3::MapObject* o : store.drawList)
    if (o->kind != 1) {
      drawnVertices += o->points.size();
      EXPECT_GE(o->points.size(), 2u);
    }
  for (const auto& l : store.objects.lines) heldVertices += l.points.size();
  for (const auto& a : store.objects.areas) heldVertices += a.points.size();
  EXPECT_LT(drawnVertices, heldVertices);

  // A view over part of the area: everything listed lies in it.
  const GeoRect part{7 * kDeg + 9000, 46 * kDeg + 27000, 7 * kDeg + 27000, 46 * kDeg + 9000};
  RebuildVisibleMap(store, part, 3);
  ASSERT_FALSE(store.drawList.empty());
  for (const kv3::MapObject* o : store.drawList) {
    for (const GeoPoint& p : o->points) {
      EXPECT_GE(p.lon, part.left - 1);
      EXPECT_LE(p.lon, part.right + 1);
      EXPECT_GE(p.lat, part.bottom - 1);
      EXPECT_LE(p.lat, part.top + 1);
    }
    if (o->kind == 5) {
      EXPECT_GT(o->points.size(), 2u) << "a clipped area of 2 points or fewer is left out";
    }
  }
  // Drawing takes the objects whose threshold is at least the zoom value.
  std::int32_t drawn = 0;
  VisitDrawList(store, 150, [&](const kv3::MapObject& o) {
    EXPECT_GE(o.threshold, 150);
    ++drawn;
  });
  EXPECT_LT(drawn, static_cast<std::int32_t>(store.drawList.size()));
}

TEST_F(VectorMapTest, FilesNotReadWholeOrNotInDegreesAreNamedToThePilot) {
  // A whole-file map cut short, a layer cut short, and layers in metres (a projected system).
  std::vector<std::uint8_t> whole = kv3gen::WriteWhole(SmallWholeFile());
  whole.resize(whole.size() - 7);
  PutBytes("cut.kv3", whole);
  SelectMap("cut.kv3");
  ASSERT_FALSE(WriteShapes(shapegen::Area{7.1, 46.1, 7.9, 46.9}, shapegen::LayerSizes{}).empty());
  std::filesystem::resize_file(maps / "rivers.shp", std::filesystem::file_size(maps / "rivers.shp") / 2);
  SelectShape("rivers");
  std::filesystem::create_directories(maps / "utm");
  ASSERT_FALSE(shapegen::WriteLayers((maps / "utm").string(), shapegen::Area{350000, 5100000, 420000, 5180000},
                                     shapegen::LayerSizes{}, 7)
                   .empty());
  SelectShape("utm\\lakes");

  LoadVectorMaps(store, context);

  EXPECT_EQ(missing, (std::vector<std::u16string>{u"Map \\maps\\cut.kv3 could not be read whole.",
                                                  u"Shape layer \\maps\\rivers could not be read whole.",
                                                  u"Shape layer \\maps\\utm\\lakes is not in degrees: not loaded."}));
  EXPECT_TRUE(store.objects.areas.size() < 2u) << "nothing of the layer in metres";
  EXPECT_FALSE(store.objects.lines.empty()) << "the first half of the rivers";
}

TEST_F(VectorMapTest, TilesInViewComeFromTheTileCacheWithTheirTerrain) {
  PutBytes("alps.kv3", kv3gen::WriteTiled(kv3gen::DemoArea(7, 46, 2, 1)));
  SelectMap("alps.kv3");
  LoadVectorMaps(store, context);

  AeroUi ui;
  VisibleAeroObjects visible;
  const TileRange view{7 * kDeg + 100, 47 * kDeg - 100, 9 * kDeg - 100, 46 * kDeg + 100};
  UpdateVisibleAeroData(AeroData(), tiles, visible, view, 5, MapTileView{&store.layers, &overview}, ui);
  EXPECT_EQ(visible.labelTiles.size(), 2u);
  ASSERT_FALSE(visible.mapObjects.empty());
  std::set<std::int32_t> categories;
  for (const kv3::MapObject* o : visible.mapObjects) categories.insert(o->category);
  EXPECT_TRUE(categories.count(11)) << "contours";
  EXPECT_TRUE(categories.count(3)) << "river";
  EXPECT_TRUE(categories.count(7)) << "town";
  TileRecord* tile = tiles.Find(kv3gen::TileId(7, 46), false);
  ASSERT_TRUE(tile && tile->mapTile);
  const kv3::MapTile* loaded = tile->mapTile.get();
  // Terrain under a position: the grid cell's bytes x 10 + 200 (the generator's relief).
  std::int32_t h = 0;
  EXPECT_TRUE(TerrainElevationAt(tiles, GeoPoint{7 * kDeg + 150, 47 * kDeg - 150}, h));
  EXPECT_GE(h, 200 + 10 * 20);
  EXPECT_LE(h, 200 + 10 * 180);
  // The tile is loaded once and its layer built once.
  UpdateVisibleAeroData(AeroData(), tiles, visible, view, 5, MapTileView{&store.layers, &overview}, ui);
  EXPECT_EQ(tile->mapTile.get(), loaded);
  EXPECT_TRUE(loaded->layers[5].built);
  // Coarse levels take the overview contours; without the vector map nothing.
  UpdateVisibleAeroData(AeroData(), tiles, visible, view, 10, MapTileView{&store.layers, &overview}, ui);
  EXPECT_FALSE(visible.mapObjects.empty());
  for (const kv3::MapObject* o : visible.mapObjects) EXPECT_EQ(o->category, 11);
  store.layers.vectorShown = false;
  UpdateVisibleAeroData(AeroData(), tiles, visible, view, 10, MapTileView{&store.layers, &overview}, ui);
  EXPECT_TRUE(visible.mapObjects.empty());
}

TEST_F(VectorMapTest, ReloadsNeverLeaveABlockOnAClosedHandle) {
  PutBytes("alps.kv3", kv3gen::WriteTiled(kv3gen::DemoArea(7, 46, 1, 1)));
  SelectMap("alps.kv3");
  SelectMap("alps.kv3");  // the same file listed twice: one pair per tile for each handle
  LoadVectorMaps(store, context);
  const std::uint32_t id = kv3gen::TileId(7, 46);
  ASSERT_NE(tiles.BlocksOf(id), nullptr);
  EXPECT_EQ(tiles.BlocksOf(id)->size(), 2u);
  const std::int32_t first = mapList[0].handle;

  // Loading an entry that is open again leaves its handle in place: the tiles still read it.
  kv3::MapFileContext files;
  files.tiled.index = &tiles;
  files.tiled.overview = &overview;
  EXPECT_EQ(kv3::LoadMapFile(files, mapList, GetDataFileFullPath(mapList[0]), 0), S_OK);
  EXPECT_EQ(mapList[0].handle, first);
  ASSERT_TRUE(kv3::LoadTile(tiles, id));

  // A reload drops every block and loaded tile before it closes the handles, then lists the new
  // ones; the tile reads again from them.
  TileRecord* tile = tiles.Find(id, false);
  tile->mapTile = kv3::LoadTile(tiles, id);
  mapList.SetSize(1);
  LoadVectorMaps(store, context);
  tile = tiles.Find(id, false);
  ASSERT_NE(tile, nullptr);
  EXPECT_FALSE(tile->mapTile);
  ASSERT_EQ(tile->mapRefs.size(), 1u);
  EXPECT_EQ(static_cast<std::int32_t>(reinterpret_cast<std::intptr_t>(tile->mapRefs[0].file)), mapList[0].handle);
  auto again = kv3::LoadTile(tiles, id);
  ASSERT_TRUE(again);
  EXPECT_TRUE(again->terrain.loaded);
  // An empty list leaves no blocks at all.
  mapList.SetSize(0);
  LoadVectorMaps(store, context);
  EXPECT_EQ(tiles.BlocksOf(id), nullptr);
}

TEST_F(VectorMapTest, ShapeLayerOutsideTheViewAddsNothingToTheDrawList) {
  ASSERT_FALSE(WriteShapes(shapegen::Area{-1.5, 50.5, 0.5, 51.8}, shapegen::LayerSizes{}).empty());
  SelectShape("roads");
  LoadVectorMaps(store, context);
  ASSERT_FALSE(store.objects.lines.empty());
  RebuildVisibleMap(store, GeoRect{7 * kDeg, 47 * kDeg, 8 * kDeg, 46 * kDeg}, 4);
  EXPECT_TRUE(store.drawList.empty());
  RebuildVisibleMap(store, GeoRect{-2 * kDeg, 52 * kDeg, 1 * kDeg, 50 * kDeg}, 4);
  EXPECT_EQ(store.drawList.size(), store.objects.lines.size());
}

}  // namespace
}  // namespace cumulor
