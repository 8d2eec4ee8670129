// Whole-file maps written by the generator read back what it put in, inside the load rectangle.
#include <gtest/gtest.h>

#include "cumulor/data/kv3/whole_file.h"
#include "tests/cumulor/data_kv3/kv3_fixture.h"

namespace cumulor::testing {
namespace {

class Kv3Whole : public Kv3Test {
 protected:
  void SetUp() override {
    Kv3Test::SetUp();
    context.readWholeFile = [this](HANDLE file, const std::array<std::uint8_t, kv3::kHeaderBytes>& header) {
      return kv3::ReadWholeFile(objects, file, header, [this](std::int32_t p) { progress.push_back(p); });
    };
  }
  HRESULT LoadWhole(const kv3gen::WholeFile& f, const std::string& name = "whole.kv3") {
    return kv3::LoadMapFile(context, files, Put(name, kv3gen::WriteWhole(f)).c_str(), -1);
  }
  static std::int32_t HeaderWord(const std::array<std::uint8_t, kv3::kHeaderBytes>& h, std::size_t at) {
    return static_cast<std::int32_t>(h[at] | (h[at + 1] << 8) | (h[at + 2] << 16) | (static_cast<std::uint32_t>(h[at + 3]) << 24));
  }
  kv3::WholeFileObjects objects;
  std::vector<std::int32_t> progress;
};

kv3gen::WholeObject Object(std::uint32_t tag, std::int32_t west, std::int32_t north, std::int32_t east,
                           std::int32_t south) {
  kv3gen::WholeObject o;
  o.tag = tag;
  o.kind = tag;
  o.west = west;
  o.north = north;
  o.east = east;
  o.south = south;
  o.points = {{west, north}, {east, south}};
  if (tag != 1) o.vertexWords = {10000, 10000};
  return o;
}

kv3gen::WholeFile Map() {
  kv3gen::WholeFile f;
  f.west = 0;
  f.north = 3600000;
  f.east = 720000;
  f.south = 0;
  kv3gen::WholeObject town = Object(1, 100, 200, 100, 200);
  town.points = {{100, 200}};
  town.category = 7;
  town.label = u"A name of twenty chr";  // fills the 20-character field
  town.threshold = 5;
  kv3gen::WholeObject river = Object(3, 1000, 5000, 4000, 2000);
  river.category = 3;
  river.value = 2;
  river.threshold = 100;
  river.points = {{1000, 5000}, {2000, 3000}, {4000, 2000}};
  river.vertexWords = {10000, 77, 10000};
  kv3gen::WholeObject lake = Object(5, 10, 90, 80, 20);
  lake.category = 1;
  lake.vertexWords = {10000};  // one word for two points
  f.objects = {town, river, lake};
  f.skippedTags = {9};
  return f;
}

TEST_F(Kv3Whole, AWholeFileMapReadsBackItsObjects) {
  ASSERT_EQ(LoadWhole(Map()), S_OK);
  EXPECT_EQ(files[0].handle, -1);  // read at once and closed
  ASSERT_EQ(objects.points.size(), 1u);
  const kv3::MapPointObject& town = objects.points[0];
  EXPECT_EQ(town.category, 7);
  EXPECT_EQ(town.threshold, 200);
  EXPECT_EQ(town.points[0], (GeoPoint{100, 200}));
  EXPECT_EQ(Label(town.label.data()), u"A name of twenty ch");  // terminated at the last character
  ASSERT_EQ(objects.lines.size(), 1u);
  EXPECT_EQ(objects.lines[0].kind, 3);
  EXPECT_EQ(objects.lines[0].value, 2);
  EXPECT_EQ(objects.lines[0].points.size(), 3u);
  EXPECT_EQ(objects.lineWords[0], (std::vector<std::uint16_t>{10000, 77, 10000}));
  ASSERT_EQ(objects.areas.size(), 1u);
  EXPECT_EQ(objects.areas[0].category, 1);
  EXPECT_EQ(objects.areaWords[0], (std::vector<std::uint16_t>{10000, 0}));  // one word per point
  EXPECT_EQ(progress, std::vector<std::int32_t>{0});
  // The word at 8 was 0: the detail word is taken as 200.
  EXPECT_EQ(HeaderWord(objects.header, 148), 200);
}

TEST_F(Kv3Whole, OnlyWhatMeetsTheLoadRectangleIsKept) {
  objects.loadRect = {0, 3000, 3000, 0};
  kv3gen::WholeFile f = Map();
  f.word8 = 1;
  f.detail = 7;
  std::vector<kv3::MapLineObject> clipped;
  objects.clipLine = [&](kv3::WholeFileObjects&, const kv3::MapLineObject& line, const std::vector<std::uint16_t>&) {
    clipped.push_back(line);
  };
  objects.clipArea = [](kv3::MapLineObject& area, std::vector<std::uint16_t>&, const GeoRect&) { area.value = -5; };
  f.objects.push_back(Object(3, 5000, 6000, 6000, 5000));  // outside
  f.objects.push_back(Object(1, 9000, 9000, 9000, 9000));  // outside
  ASSERT_EQ(LoadWhole(f), S_OK);
  EXPECT_EQ(HeaderWord(objects.header, 148), 7);
  EXPECT_EQ(objects.points.size(), 1u);
  EXPECT_TRUE(objects.lines.empty());  // the river crosses the edge and goes to the clipper
  ASSERT_EQ(clipped.size(), 1u);
  EXPECT_EQ(clipped[0].category, 3);
  ASSERT_EQ(objects.areas.size(), 1u);
  EXPECT_EQ(objects.areas[0].value, 0);  // wholly inside: not clipped

  // A map whose box lies outside the rectangle contributes nothing.
  kv3::WholeFileObjects far;
  far.loadRect = {-100, 100, -50, 50};
  objects = std::move(far);
  ASSERT_EQ(LoadWhole(Map(), "far.kv3"), S_OK);
  EXPECT_TRUE(objects.points.empty());
  EXPECT_TRUE(objects.areas.empty());
}

TEST_F(Kv3Whole, ProgressIsShownEveryThirtyThousandBytes) {
  kv3gen::WholeFile f = Map();
  kv3gen::WholeObject longLine = Object(3, 1, 2, 3, 1);
  longLine.points.assign(10000, {1, 1});  // 80000 bytes
  f.objects.push_back(longLine);
  f.objects.push_back(Object(5, 1, 2, 3, 1));
  ASSERT_EQ(LoadWhole(f), S_OK);
  ASSERT_EQ(progress.size(), 2u);
  EXPECT_EQ(progress[0], 0);
  EXPECT_GT(progress[1], 90);
}

TEST_F(Kv3Whole, CutAndDamagedWholeFilesReadWithoutAFault) {
  const std::vector<std::uint8_t> whole = kv3gen::WriteWhole(Map());
  for (std::size_t cut = 0; cut < whole.size(); ++cut) {
    objects = kv3::WholeFileObjects{};
    const HRESULT hr = kv3::LoadMapFile(
        context, files,
        Put("cut.kv3", std::vector<std::uint8_t>(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(cut)))
            .c_str(),
        -1);
    // A file cut behind its box and section frames reads in part; any other cut is refused.
    if (cut < kv3::kHeaderBytes + 16) {
      EXPECT_EQ(hr, E_FAIL) << cut;
    }
  }
  std::uint32_t seed = 17;
  for (int round = 0; round < 200; ++round) {
    std::vector<std::uint8_t> bytes = whole;
    for (int i = 0; i < 4; ++i) {
      seed = seed * 1103515245u + 12345u;
      const std::size_t at = kv3::kHeaderBytes + (seed >> 8) % (bytes.size() - kv3::kHeaderBytes);
      bytes[at] = static_cast<std::uint8_t>(seed >> 3);
    }
    objects = kv3::WholeFileObjects{};
    kv3::LoadMapFile(context, files, Put("bad.kv3", bytes).c_str(), -1);
    for (const auto& words : objects.lineWords) EXPECT_LE(words.size(), 50000u);
    for (std::size_t i = 0; i < objects.areas.size(); ++i)
      EXPECT_EQ(objects.areaWords[i].size(), objects.areas[i].points.size());
  }
}

}  // namespace
}  // namespace cumulor::testing
