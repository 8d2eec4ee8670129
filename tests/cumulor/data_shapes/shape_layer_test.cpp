// Shape layers against shapelib's own dump tools: every object read from the real shapefiles and
// from generated layers matches what this test computes from `shpdump` and `dbfdump` output,
// filtered by the layer rules. Conversions and thresholds, and a sweep of damaged files.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "cumulor/data/shapes/shape_layer.h"
#include "platform/testing/device_test.h"
#include "tests/testdata.h"
#include "tools/shapegen/shape_writer.h"

namespace cumulor {
namespace {

namespace fs = std::filesystem;

std::string Run(const std::string& command) {
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return out;
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
  pclose(pipe);
  return out;
}

bool HaveDumpTools() { return std::system("command -v shpdump >/dev/null 2>&1 && command -v dbfdump >/dev/null 2>&1") == 0; }

// One shape as shpdump prints it: its type and its parts' vertices in degrees.
struct DumpedShape {
  std::string type;
  std::vector<std::vector<std::pair<double, double>>> parts;
};

std::vector<DumpedShape> DumpShapes(const fs::path& shp) {
  std::vector<DumpedShape> shapes;
  std::istringstream in(Run("shpdump '" + shp.string() + "'"));
  bool inVertices = false;
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("Shape:", 0) == 0) {
      DumpedShape s;
      const auto open = line.find('('), close = line.find(')');
      s.type = line.substr(open + 1, close - open - 1);
      shapes.push_back(s);
      inVertices = false;
      continue;
    }
    if (shapes.empty()) continue;
    if (line.find("Bounds:") != std::string::npos) continue;
    if (line.find(" to (") != std::string::npos) {
      inVertices = true;
      continue;
    }
    const auto open = line.find('(');
    if (!inVertices || open == std::string::npos) continue;
    const bool newPart = shapes.back().parts.empty() || line.find('+') < open;
    if (newPart) shapes.back().parts.emplace_back();
    double x = 0, y = 0;
    std::sscanf(line.c_str() + open + 1, "%lf,%lf", &x, &y);
    shapes.back().parts.back().emplace_back(x, y);
  }
  return shapes;
}

// dbfdump -m: one map of field name to text per record.
std::vector<std::map<std::string, std::string>> DumpTable(const fs::path& dbf) {
  std::vector<std::map<std::string, std::string>> rows;
  std::istringstream in(Run("dbfdump -m '" + dbf.string() + "'"));
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("Record:", 0) == 0) {
      rows.emplace_back();
      continue;
    }
    const auto colon = line.find(':');
    if (rows.empty() || colon == std::string::npos) continue;
    std::string value = line.substr(colon + 1);
    value.erase(0, value.find_first_not_of(' '));
    value.erase(value.find_last_not_of(' ') + 1);
    rows.back()[line.substr(0, colon)] = value;
  }
  return rows;
}

// The test's own conversion; a coordinate whose product lies a hair from a whole unit may be
// printed by shpdump on the other side of it.
std::int32_t Units(double degrees) { return static_cast<std::int32_t>(degrees * 36000.0); }
bool NearWholeUnit(double degrees) {
  const double u = degrees * 36000.0;
  return std::fabs(u - std::round(u)) < 1e-6;
}

struct Expected {
  std::int32_t kind = 0, category = 0, value = 0;
  std::vector<std::pair<double, double>> points;
};

bool Meets(const GeoRect& a, const GeoRect& b) {
  return a.left <= b.right && b.left <= a.right && a.bottom <= b.top && b.bottom <= a.top;
}

// What the layer rules keep of a line or area layer of `category` whose value column is `valueColumn`.
std::vector<Expected> ExpectedLines(const std::vector<DumpedShape>& shapes,
                                    const std::vector<std::map<std::string, std::string>>& rows, std::int32_t category,
                                    const std::string& valueColumn, const GeoRect& load) {
  std::vector<Expected> out;
  for (std::size_t i = 0; i < shapes.size(); ++i) {
    const std::int32_t subtype =
        valueColumn.empty() || i >= rows.size() ? 0 : static_cast<std::int32_t>(std::atof(rows[i].at(valueColumn).c_str()));
    if (category == 4 && subtype != 1) continue;
    if (category == 3 && (subtype == 0 || subtype == 5 || subtype == 9)) continue;
    if (category == 1 && subtype == 9) continue;
    for (const auto& part : shapes[i].parts) {
      GeoRect box{Units(part[0].first), Units(part[0].second), Units(part[0].first), Units(part[0].second)};
      for (const auto& [x, y] : part) {
        box.left = std::min(box.left, Units(x));
        box.right = std::max(box.right, Units(x));
        box.top = std::max(box.top, Units(y));
        box.bottom = std::min(box.bottom, Units(y));
      }
      if (!Meets(box, load)) continue;
      if (category == 11 && (box.right - box.left) + (box.top - box.bottom) < 2000) continue;
      out.push_back({shapes[i].type == "Polygon" ? 5 : 3, category, category == 10 || category == 11 ? -1 : subtype, part});
    }
  }
  return out;
}

void ExpectSameLines(const std::vector<kv3::MapLineObject>& read, const std::vector<Expected>& expected, const char* what) {
  ASSERT_EQ(read.size(), expected.size()) << what;
  for (std::size_t i = 0; i < read.size(); ++i) {
    EXPECT_EQ(read[i].kind, expected[i].kind) << what << " " << i;
    EXPECT_EQ(read[i].category, expected[i].category) << what << " " << i;
    EXPECT_EQ(read[i].value, expected[i].value) << what << " " << i;
    ASSERT_EQ(read[i].points.size(), expected[i].points.size()) << what << " " << i;
    for (std::size_t k = 0; k < read[i].points.size(); ++k) {
      const auto& [x, y] = expected[i].points[k];
      EXPECT_LE(std::abs(read[i].points[k].lon - Units(x)), NearWholeUnit(x) ? 1 : 0) << what << " " << i << "/" << k;
      EXPECT_LE(std::abs(read[i].points[k].lat - Units(y)), NearWholeUnit(y) ? 1 : 0) << what << " " << i << "/" << k;
    }
  }
}

std::vector<std::uint16_t> FlatWords(const std::vector<GeoPoint>& points) {
  return std::vector<std::uint16_t>(points.size(), 7);
}

class ShapeLayerTest : public ce::testing::DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    maps = device_folder() / "root" / "maps";
    fs::create_directories(maps);
  }
  // Copies a real layer's files into the device's map folder for the test's run.
  void CopyLayer(const fs::path& folder, const std::string& name) {
    for (const char* ext : {".shp", ".shx", ".dbf"}) {
      fs::copy_file(folder / (name + ext), maps / (name + ext), fs::copy_options::overwrite_existing);
      fs::permissions(maps / (name + ext), fs::perms::owner_write, fs::perm_options::add);
    }
  }
  static std::u16string CePath(const std::string& name) {
    return u"\\maps\\" + std::u16string(name.begin(), name.end());
  }
  fs::path maps;
};

TEST(ShapeConversion, DegreesAndBoxesAndThresholds) {
  EXPECT_EQ(DegreesToUnits(10.5), 378000);
  EXPECT_EQ(DegreesToUnits(47.25), 1701000);
  EXPECT_EQ(DegreesToUnits(-0.00001), 0);
  EXPECT_EQ(DegreesToUnits(1e300), 2000000000);
  EXPECT_EQ(DegreesToUnits(std::nan("")), 0);
  const GeoRect box = ShapeBoundsBox(10.5, 47.0, 11.00001, 47.5);
  EXPECT_EQ(box.left, 378000);
  EXPECT_EQ(box.right, 1 + 396000);
  EXPECT_EQ(box.top, 1 + 1710000);
  EXPECT_EQ(box.bottom, 1692000);

  const GeoRect view{-6444000, 3204000, 6444000, -3204000};
  struct {
    double width;  // degrees across, east-west
    std::int32_t category;
    HRESULT loaded;
  } cases[] = {
      {3000.0 / 36000, 3, 0}, {1500.0 / 36000, 3, 0}, {1999.0 / 36000, 11, E_FAIL}, {2000.0 / 36000, 11, 0},
  };
  for (const auto& c : cases) {
    const double x[] = {10.0, 10.0 + c.width + 1e-9};
    const double y[] = {47.0, 47.0};
    kv3::MapLineObject object;
    EXPECT_EQ(LineObjectFromPart(object, 3, x, y, 2, c.category, 7, view), c.loaded) << c.width * 36000;
    if (c.loaded == 0) {
      EXPECT_EQ(object.east - object.west, static_cast<std::int32_t>(c.width * 36000 + 0.5));
      EXPECT_EQ(object.north, object.south);
      EXPECT_EQ(object.category, c.category);
      EXPECT_EQ(object.value, 7);
    }
  }
  kv3::MapLineObject object;
  const double far[] = {179.5}, lat[] = {0.0};
  EXPECT_EQ(LineObjectFromPart(object, 3, far, lat, 1, 0, 0, view), E_FAIL) << "outside the view";
  EXPECT_EQ(LineObjectFromPart(object, 3, far, lat, 0, 0, 0, view), E_FAIL) << "no points";
}

TEST_F(ShapeLayerTest, RealShapefilesMatchTheDumpTools) {
  const fs::path folder = test_data::Folder("shape");
  SKIP_WITHOUT_TEST_DATA(folder);
  if (!HaveDumpTools()) GTEST_SKIP() << "shpdump/dbfdump (Debian shapelib) not installed";
  for (const char* name : {"naturalearth_cities", "naturalearth_lowres", "fylk-val-ll"}) CopyLayer(folder, name);

  kv3::WholeFileObjects cities;
  EXPECT_EQ(LoadShapeLayer(cities, CePath("naturalearth_cities").c_str(), FlatWords), 0);
  EXPECT_TRUE(cities.points.empty()) << "a point layer without a name column contributes nothing";

  for (const char* name : {"naturalearth_lowres", "fylk-val-ll"}) {
    kv3::WholeFileObjects read;
    ASSERT_EQ(LoadShapeLayer(read, CePath(name).c_str(), FlatWords), 0) << name;
    const auto shapes = DumpShapes(maps / (std::string(name) + ".shp"));
    ASSERT_FALSE(shapes.empty()) << name;
    const auto expected = ExpectedLines(shapes, {}, 0, "", read.loadRect);
    EXPECT_GT(expected.size(), 90u) << name;
    ExpectSameLines(shapes[0].type == "Polygon" ? read.areas : read.lines, expected, name);
    EXPECT_EQ(read.areaWords.size(), read.areas.size());
    EXPECT_EQ(read.lineWords.size(), read.lines.size());
  }
}

TEST_F(ShapeLayerTest, GeneratedLayersMatchTheDumpTools) {
  if (!HaveDumpTools()) GTEST_SKIP() << "shpdump/dbfdump (Debian shapelib) not installed";
  const auto layers = shapegen::WriteLayers(maps.string(), shapegen::Area{}, shapegen::LayerSizes{}, 7);
  ASSERT_EQ(layers.size(), 6u);
  struct {
    const char* name;
    std::int32_t category;
    const char* valueColumn;
  } lines[] = {{"rivers", 3, "TYPE"}, {"roads", 5, "RDLNTYPE"}, {"lakes", 1, "TYPE"}, {"borders", 12, ""},
               {"contours", 11, "MIN_CONTOU"}};
  for (const auto& l : lines) {
    kv3::WholeFileObjects read;
    ASSERT_EQ(LoadShapeLayer(read, CePath(l.name).c_str(), FlatWords), 0) << l.name;
    const auto expected = ExpectedLines(DumpShapes(maps / (std::string(l.name) + ".shp")),
                                        DumpTable(maps / (std::string(l.name) + ".dbf")), l.category, l.valueColumn,
                                        read.loadRect);
    ASSERT_FALSE(expected.empty()) << l.name;
    ExpectSameLines(expected[0].kind == 5 ? read.areas : read.lines, expected, l.name);
  }

  kv3::WholeFileObjects places;
  ASSERT_EQ(LoadShapeLayer(places, CePath("places").c_str(), FlatWords), 0);
  const auto shapes = DumpShapes(maps / "places.shp");
  const auto rows = DumpTable(maps / "places.dbf");
  ASSERT_EQ(places.points.size(), shapes.size());
  for (std::size_t i = 0; i < shapes.size(); ++i) {
    const auto& p = places.points[i];
    EXPECT_EQ(p.category, 7);
    EXPECT_EQ(p.value, std::atoi(rows[i].at("POP_RANK").c_str()));
    EXPECT_EQ(p.threshold, 200);
    EXPECT_EQ(p.points[0].lon, Units(shapes[i].parts[0][0].first));
    const std::string name = rows[i].at("CITY_NAME").substr(0, 19);
    EXPECT_EQ(std::u16string(p.label.data()), std::u16string(name.begin(), name.end())) << i;
  }
}

TEST_F(ShapeLayerTest, ALayerOutsideTheLoadRectangleOrMissingAddsNothing) {
  shapegen::Area farAway{179.3, 10.0, 179.9, 11.0};
  ASSERT_FALSE(shapegen::WriteLayers(maps.string(), farAway, shapegen::LayerSizes{}, 3).empty());
  kv3::WholeFileObjects read;
  EXPECT_EQ(LoadShapeLayer(read, CePath("roads").c_str(), FlatWords), 0);
  EXPECT_EQ(LoadShapeLayer(read, CePath("places").c_str(), FlatWords), 0);
  EXPECT_TRUE(read.lines.empty());
  EXPECT_TRUE(read.points.empty());
  EXPECT_EQ(LoadShapeLayer(read, CePath("nothing").c_str(), FlatWords), E_FAIL);
  EXPECT_EQ(LoadShapeLayer(read, u"", FlatWords), E_FAIL);
}

TEST_F(ShapeLayerTest, ALayerInMetresIsRefusedAndACutLayerKeepsWhatItHolds) {
  ASSERT_FALSE(shapegen::WriteLayers(maps.string(), shapegen::Area{350000, 5100000, 420000, 5180000},
                                     shapegen::LayerSizes{}, 3)
                   .empty());
  for (const char* layer : {"roads", "lakes", "places"}) {
    SCOPED_TRACE(layer);
    kv3::WholeFileObjects read;
    EXPECT_EQ(LoadShapeLayer(read, CePath(layer).c_str(), FlatWords), kShapeLayerNotInDegrees);
    EXPECT_TRUE(read.lines.empty() && read.areas.empty() && read.points.empty());
  }
  ASSERT_FALSE(shapegen::WriteLayers(maps.string(), shapegen::Area{}, shapegen::LayerSizes{}, 3).empty());
  fs::resize_file(maps / "roads.shp", fs::file_size(maps / "roads.shp") / 2);
  kv3::WholeFileObjects read;
  EXPECT_EQ(LoadShapeLayer(read, CePath("roads").c_str(), FlatWords), kShapeLayerIncomplete);
  EXPECT_GT(read.lines.size(), 5u);
  EXPECT_LT(read.lines.size(), 40u);
}

// Cut and overwritten copies of every layer: each is read or refused, never read past its data
// (the sanitizers watch).
TEST_F(ShapeLayerTest, DamagedFilesAreReadOrRefusedSafely) {
  ASSERT_FALSE(shapegen::WriteLayers(maps.string(), shapegen::Area{}, shapegen::LayerSizes{2, 2, 2, 2, 1, 2, 8}, 5).empty());
  std::mt19937 random(11);
  for (const char* name : {"rivers", "lakes", "places", "borders"}) {
    std::vector<char> shp, dbf;
    for (auto [ext, bytes] : {std::pair{".shp", &shp}, std::pair{".dbf", &dbf}}) {
      std::ifstream in(maps / (std::string(name) + ext), std::ios::binary);
      bytes->assign(std::istreambuf_iterator<char>(in), {});
    }
    for (int round = 0; round < 40; ++round) {
      std::vector<char> s = shp, d = dbf;
      if (round % 2 == 0) {
        s.resize(random() % (s.size() + 1));
      } else {
        for (int k = 0; k < 8; ++k) s[random() % s.size()] = static_cast<char>(random());
        for (int k = 0; k < 4; ++k) d[random() % d.size()] = static_cast<char>(random());
      }
      std::ofstream(maps / "damaged.shp", std::ios::binary).write(s.data(), static_cast<std::streamsize>(s.size()));
      std::ofstream(maps / "damaged.dbf", std::ios::binary).write(d.data(), static_cast<std::streamsize>(d.size()));
      fs::copy_file(maps / (std::string(name) + ".shx"), maps / "damaged.shx", fs::copy_options::overwrite_existing);
      kv3::WholeFileObjects read;
      const HRESULT result = LoadShapeLayer(read, u"\\maps\\damaged", FlatWords);
      EXPECT_TRUE(result == 0 || result == E_FAIL || result == kShapeLayerIncomplete || result == kShapeLayerNotInDegrees);
      for (const auto& p : read.points) EXPECT_EQ(p.label[kv3::kLabelChars - 1], 0);
    }
  }
}

}  // namespace
}  // namespace cumulor
