// A test device with map files and shape layers in "\maps", selected as the program selects them,
// and the store, tile cache and overview they load into.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "cumulor/data/aero/tile_cache.h"
#include "cumulor/data/files/data_files.h"
#include "cumulor/data/vector/vector_store.h"
#include "platform/testing/device_test.h"
#include "tools/kv3gen/kv3_writer.h"
#include "tools/shapegen/shape_writer.h"

namespace cumulor::testing {

class VectorMapTest : public ce::testing::DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    maps = device_folder() / "root" / "maps";
    std::filesystem::create_directories(maps);
    InitVectorMapStore(store);
    context.index = &tiles;
    context.overview = &overview;
    context.maps = &mapList;
    context.shapes = &shapeList;
    context.fullPath = [](const DataFileEntry& e) { return GetDataFileFullPath(e); };
    context.status = [this](const WCHAR* text) { statuses.emplace_back(text); };
    context.showMissing = [this](const WCHAR* text) { missing.emplace_back(text); };
    context.fileBox = [this](const GeoRect& box) { boxes.push_back(box); };
  }
  void TearDown() override {
    tiles.FreeMaps();
    kv3::CloseMapFiles(mapList);
    DeviceTest::TearDown();
  }

  void PutBytes(const std::string& name, const std::vector<std::uint8_t>& bytes) {
    std::ofstream(maps / name, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  static DataFileEntry Entry(const std::string& name) {
    DataFileEntry e = NewDataFileEntry();
    const std::u16string n(name.begin(), name.end());
    SetEntryText(e.name, n.c_str());
    SetEntryText(e.folder, u"\\maps");
    return e;
  }
  void SelectMap(const std::string& name) { ASSERT_EQ(mapList.Append(Entry(name)), S_OK); }
  void SelectShape(const std::string& name) { ASSERT_EQ(shapeList.Append(Entry(name)), S_OK); }
  // Shape layers of the generator in "\maps", by base name.
  std::vector<shapegen::WrittenLayer> WriteShapes(const shapegen::Area& area, const shapegen::LayerSizes& sizes,
                                                  std::uint32_t seed = 7) {
    return shapegen::WriteLayers(maps.string(), area, sizes, seed);
  }

  std::filesystem::path maps;
  VectorMapStore store;
  TileCache tiles;
  kv3::OverviewMaps overview;
  PathList mapList, shapeList;
  VectorLoadContext context;
  std::vector<std::u16string> statuses, missing;
  std::vector<GeoRect> boxes;
};

}  // namespace cumulor::testing
