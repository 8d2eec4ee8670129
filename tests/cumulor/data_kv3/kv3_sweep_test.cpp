// Cut and damaged map files are refused or read in part, never read past what the file holds.
#include <gtest/gtest.h>

#include <random>

#include "cumulor/data/kv3/tile_block.h"
#include "cumulor/data/kv3/tile_layers.h"
#include "tests/cumulor/data_kv3/kv3_fixture.h"

namespace cumulor::testing {
namespace {

// Two tiles of the demonstration area, with the overview section.
kv3gen::TiledFile SweepFile() { return kv3gen::DemoArea(11, 47, 2, 1); }

class Kv3Sweep : public Kv3Test {
 protected:
  // Loads bytes as a tiled file, then every tile it lists: its layers, what they collect and the
  // terrain at a few points. The handles are closed after the index is emptied.
  void ReadAll(const std::vector<std::uint8_t>& bytes) {
    kv3::LoadMapFile(context, files, Put("sweep.kv3", bytes).c_str(), -1);
    std::vector<std::uint32_t> ids;
    index.ForEachTile([&](std::uint32_t id, const std::vector<kv3::TileBlockRef>&) { ids.push_back(id); });
    for (std::uint32_t id : ids) {
      std::unique_ptr<kv3::MapTile> tile = kv3::LoadTile(index, id);
      if (!tile) continue;
      ++tilesRead;
      std::vector<const kv3::MapObject*> out;
      for (std::int32_t l = 0; l < kv3::kTileLayers; ++l) {
        kv3::BuildTileLayer(*tile, l, settings);
        kv3::CollectTileLayer(*tile, out, l, settings);
      }
      std::int32_t h = 0;
      for (GeoPoint p : {GeoPoint{tile->west, tile->north}, GeoPoint{tile->west + 18000, tile->north - 18000},
                         GeoPoint{tile->west + 35999, tile->north - 36000}})
        kv3::TerrainHeightAt(*tile, p, h);
    }
    index.Clear();
    overview = kv3::OverviewMaps{};
    kv3::CloseMapFiles(files);
    files.SetSize(0);
  }
  int tilesRead = 0;
};

// The demonstration tiles meet without a gap: the lowest contour area of each covers its square.
TEST_F(Kv3Sweep, TheDemonstrationTilesAreCoveredEdgeToEdge) {
  kv3::LoadMapFile(context, files, Put("demo.kv3", kv3gen::WriteTiled(SweepFile())).c_str(), -1);
  std::vector<std::uint32_t> ids;
  index.ForEachTile([&](std::uint32_t id, const std::vector<kv3::TileBlockRef>&) { ids.push_back(id); });
  ASSERT_EQ(ids.size(), 2u);
  for (std::uint32_t id : ids) {
    std::unique_ptr<kv3::MapTile> tile = kv3::LoadTile(index, id);
    ASSERT_TRUE(tile);
    const auto& lowest = tile->features.groups[1].records;  // 250 m
    ASSERT_EQ(lowest.size(), 1u);
    EXPECT_EQ(lowest[0].west, tile->west);
    EXPECT_EQ(lowest[0].east, tile->west + 36000);
    EXPECT_EQ(lowest[0].north, tile->north);
    EXPECT_EQ(lowest[0].south, tile->north - 36000);
  }
  index.Clear();
  kv3::CloseMapFiles(files);
}

TEST_F(Kv3Sweep, EveryCutOfATiledFileReadsWithoutAFault) {
  const std::vector<std::uint8_t> whole = kv3gen::WriteTiled(SweepFile());
  ReadAll(whole);
  ASSERT_EQ(tilesRead, 2);
  // Every cut through the frames, sections and index; the terrain bytes in steps.
  for (std::size_t cut = 0; cut < whole.size(); ++cut) {
    const bool inTerrain = cut > 1200 && cut + 1200 < whole.size();
    if (inTerrain && cut % 331 != 0) continue;
    ReadAll(std::vector<std::uint8_t>(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(cut)));
  }
}

TEST_F(Kv3Sweep, DamagedAndRandomFilesReadWithoutAFault) {
  const std::vector<std::uint8_t> whole = kv3gen::WriteTiled(SweepFile());
  std::mt19937 random(4711);
  for (int round = 0; round < 300; ++round) {
    std::vector<std::uint8_t> bytes = whole;
    const int flips = 1 + static_cast<int>(random() % 8);
    for (int i = 0; i < flips; ++i) {
      // Mostly the frames, sections and index, where a byte changes the reading.
      std::size_t at = random() % bytes.size();
      if (round % 4 != 0 && at > 1200 && at + 1200 < bytes.size()) at = at % 1200;
      bytes[at] = static_cast<std::uint8_t>(random());
    }
    ReadAll(bytes);
  }
  for (int round = 0; round < 50; ++round) {
    std::vector<std::uint8_t> bytes(600 + random() % 3000);
    for (std::uint8_t& b : bytes) b = static_cast<std::uint8_t>(random());
    bytes[4] = 2;  // a tiled file
    bytes[5] = bytes[6] = bytes[7] = 0;
    bytes[148] = 1;
    const std::uint32_t indexAt = 528 + static_cast<std::uint32_t>(random() % 64);
    for (int i = 0; i < 4; ++i) bytes[152 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(indexAt >> (8 * i));
    bytes[indexAt] = 73;
    bytes[indexAt + 1] = 0;
    ReadAll(bytes);
  }
}

}  // namespace
}  // namespace cumulor::testing
