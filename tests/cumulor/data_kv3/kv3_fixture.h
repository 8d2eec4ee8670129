// Generated .kv3 files in a test device and the reads that load them.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "cumulor/data/kv3/map_file.h"
#include "cumulor/data/kv3/tiled_file.h"
#include "platform/testing/device_test.h"
#include "tools/kv3gen/kv3_writer.h"

namespace cumulor::testing {

class Kv3Test : public ce::testing::DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    std::filesystem::create_directories(device_folder() / "root");
    for (std::int32_t i = 0; i < kv3::kTerrainSlots; ++i) palette.colours[static_cast<std::size_t>(i)] = 1000 + i;
    for (std::int32_t l = 0; l < kv3::kZoomLayers; ++l) settings.layerValue[static_cast<std::size_t>(l)] = l;
    context.tiled.index = &index;
    context.tiled.overview = &overview;
    context.tiled.palette = &palette;
    context.tiled.settings = &settings;
    context.tiled.fileBox = [this](const GeoRect& box) { boxes.push_back(box); };
    context.showMissing = [this](const WCHAR* text) { missing.push_back(text); };
  }
  void TearDown() override {
    kv3::CloseMapFiles(files);
    DeviceTest::TearDown();
  }

  // Writes bytes as "\<name>" and answers the device path.
  std::u16string Put(const std::string& name, const std::vector<std::uint8_t>& bytes) {
    std::ofstream(device_folder() / "root" / name, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return u"\\" + std::u16string(name.begin(), name.end());
  }
  // Writes and loads a tiled file as a new list entry.
  HRESULT Load(const kv3gen::TiledFile& file, const std::string& name = "map.kv3") {
    return kv3::LoadMapFile(context, files, Put(name, kv3gen::WriteTiled(file)).c_str(), -1);
  }

  kv3::MapTileIndex index;
  kv3::OverviewMaps overview;
  kv3::TerrainPalette palette;
  kv3::MapLayerSettings settings;
  kv3::MapFileContext context;
  PathList files;
  std::vector<GeoRect> boxes;
  std::vector<std::u16string> missing;
};

// A tile block with the given sections.
inline kv3gen::TileBlockOut Block(std::uint32_t id, std::vector<kv3gen::BlockSection> sections) {
  kv3gen::TileBlockOut b;
  b.tileId = id;
  b.sections = std::move(sections);
  return b;
}

// A tiled file around one tile with the given blocks.
inline kv3gen::TiledFile OneTileFile(std::vector<kv3gen::TileBlockOut> blocks) {
  kv3gen::TiledFile f;
  f.west = 11 * 36000;
  f.east = 12 * 36000;
  f.north = 48 * 36000;
  f.south = 47 * 36000;
  f.blocks = std::move(blocks);
  return f;
}

inline std::u16string Label(const char16_t* field) { return std::u16string(field); }

}  // namespace cumulor::testing
