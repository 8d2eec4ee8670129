// Damaged map files and shape layers through the whole chain (loading into the store and the tile
// cache, the draw list, the tiles in view and their terrain): truncated at many lengths and with
// bytes overwritten at random, none may fault or read past a buffer (run under the sanitizers).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include "cumulor/data/aero/aero_ui.h"
#include "cumulor/data/aero/visible_data.h"
#include "cumulor/data/points/aero_tables.h"
#include "tests/cumulor/data_vector/vector_fixture.h"

namespace cumulor {
namespace {

using testing::VectorMapTest;

constexpr std::int32_t kDeg = 36000;

std::vector<std::uint8_t> ReadAll(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

class VectorSweep : public VectorMapTest {
 protected:
  // Loads what is selected and walks everything a frame would.
  void Exercise() {
    LoadVectorMaps(store, context);
    const GeoRect view{7 * kDeg - 100, 47 * kDeg + 100, 8 * kDeg + 100, 46 * kDeg - 100};
    for (std::int32_t layer : {0, 5, 10}) {
      RebuildVisibleMap(store, view, layer);
      AeroUi ui;
      VisibleAeroObjects visible;
      UpdateVisibleAeroData(AeroData(), tiles, visible, TileRange{view.left, view.top, view.right, view.bottom}, layer,
                            MapTileView{&store.layers, &overview}, ui);
      std::int64_t sum = 0;
      for (const kv3::MapObject* o : visible.mapObjects)
        for (const GeoPoint& p : o->points) sum += p.lon;
      VisitDrawList(store, 0, [&](const kv3::MapObject& o) {
        for (const GeoPoint& p : o.points) sum += p.lat;
      });
      std::int32_t h = 0;
      TerrainElevationAt(tiles, GeoPoint{7 * kDeg + 1234, 46 * kDeg + 5678}, h);
      (void)sum;
    }
  }
};

TEST_F(VectorSweep, TruncatedAndGarbledMapFiles) {
  kv3gen::WholeFile whole;
  whole.west = 7 * kDeg;
  whole.east = 8 * kDeg;
  whole.north = 47 * kDeg;
  whole.south = 46 * kDeg;
  kv3gen::WholeObject line;
  line.tag = 3;
  line.kind = 3;
  line.category = 5;
  line.value = 1;
  line.threshold = 100000;
  for (int i = 0; i < 8; ++i) {
    line.points.push_back({6 * kDeg + i * 9000, 46 * kDeg + 1000 + i * 3000});
    line.vertexWords.push_back(static_cast<std::uint16_t>(i * 500));
  }
  line.west = 6 * kDeg;
  line.east = 6 * kDeg + 7 * 9000;
  line.south = 46 * kDeg + 1000;
  line.north = 46 * kDeg + 22000;
  kv3gen::WholeObject area = line;
  area.tag = 5;
  area.kind = 5;
  area.category = 1;
  kv3gen::WholeObject point;
  point.tag = 1;
  point.kind = 1;
  point.category = 7;
  point.label = u"A name of twenty chr";
  point.points = {{7 * kDeg + 10, 46 * kDeg + 10}};
  whole.objects = {line, area, point};

  const std::vector<std::vector<std::uint8_t>> sources = {kv3gen::WriteTiled(kv3gen::DemoArea(7, 46, 1, 1)),
                                                          kv3gen::WriteWhole(whole)};
  SelectMap("map.kv3");
  std::mt19937 random(4711);
  for (const auto& source : sources) {
    // Truncations: every byte of the header and box, then spread over the rest.
    std::vector<std::size_t> lengths;
    for (std::size_t n = 0; n < 540 && n < source.size(); n += 7) lengths.push_back(n);
    for (std::size_t i = 1; i <= 40; ++i) lengths.push_back(source.size() * i / 41);
    for (std::size_t n : lengths) {
      PutBytes("map.kv3", std::vector<std::uint8_t>(source.begin(), source.begin() + static_cast<std::ptrdiff_t>(n)));
      Exercise();
    }
    // Garbage: a few bytes overwritten behind the header.
    for (int round = 0; round < 40; ++round) {
      std::vector<std::uint8_t> bytes = source;
      for (int k = 0; k < 6; ++k) {
        const std::size_t at = 512 + random() % (bytes.size() - 512);
        bytes[at] = static_cast<std::uint8_t>(random());
      }
      PutBytes("map.kv3", bytes);
      Exercise();
    }
  }
}

TEST_F(VectorSweep, TruncatedAndGarbledShapeLayers) {
  shapegen::LayerSizes sizes;
  sizes.rivers = 4;
  sizes.roads = 4;
  sizes.lakes = 3;
  sizes.places = 5;
  sizes.borders = 1;
  sizes.contours = 3;
  const auto layers = WriteShapes(shapegen::Area{7.1, 46.1, 7.9, 46.9}, sizes);
  ASSERT_FALSE(layers.empty());
  for (const auto& layer : layers) SelectShape(layer.name);
  std::mt19937 random(99);
  for (const auto& layer : layers) {
    for (const char* ext : {".shp", ".shx", ".dbf"}) {
      const auto file = maps / (layer.name + ext);
      const std::vector<std::uint8_t> original = ReadAll(file);
      ASSERT_FALSE(original.empty()) << file;
      for (std::size_t i = 0; i <= 12; ++i) {
        const std::size_t n = original.size() * i / 13;
        PutBytes(layer.name + ext, std::vector<std::uint8_t>(original.begin(), original.begin() + static_cast<std::ptrdiff_t>(n)));
        Exercise();
      }
      for (int round = 0; round < 12; ++round) {
        std::vector<std::uint8_t> bytes = original;
        for (int k = 0; k < 4; ++k) bytes[random() % bytes.size()] = static_cast<std::uint8_t>(random());
        PutBytes(layer.name + ext, bytes);
        Exercise();
      }
      PutBytes(layer.name + ext, original);
    }
  }
  Exercise();
  EXPECT_FALSE(store.objects.lines.empty()) << "the layers read whole again at the end";
}

}  // namespace
}  // namespace cumulor
