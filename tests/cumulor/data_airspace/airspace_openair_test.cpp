// The real airspace files of the test data, each read as one load and written out as text; an
// independent reader in Python (openair_check.py, with shapely) reads the same file and compares.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>

#include "../../testdata.h"
#include "airspace_test_util.h"

namespace {

using namespace cumulor;
using namespace airspace_test;

std::string PenText(HPEN pen) {
  if (pen == kAirspaceDefaultPen) return "default";
  LOGPEN p{};
  if (!pen || GetObjectW(pen, sizeof(p), &p) == 0) return "none";
  char text[64];
  std::snprintf(text, sizeof(text), "%u,%d,%06x", p.lopnStyle, static_cast<int>(p.lopnWidth.x),
                static_cast<unsigned>(p.lopnColor));
  return text;
}

std::string BrushText(HBRUSH brush) {
  LOGBRUSH b{};
  if (!brush || GetObjectW(brush, sizeof(b), &b) == 0) return "none";
  char text[64];
  std::snprintf(text, sizeof(text), "%u,%06x", b.lbStyle, static_cast<unsigned>(b.lbColor));
  return text;
}

void Dump(const AirspaceModule& module, const Loaded& loaded, const std::filesystem::path& out) {
  std::ofstream f(out);
  for (std::size_t i = 0; i < loaded.texts.size(); ++i)
    f << "message\t" << loaded.captions[i] << "\t" << loaded.texts[i] << "\n";
  for (int g = 1; g < kAirspaceGroupCount; ++g) {
    const AirspaceClassGroup& group = module.group[g];
    f << "group\t" << g << "\t" << (group.penOwned ? PenText(group.pen) : "class") << "\t"
      << (group.brushOwned ? BrushText(group.brush) : "class") << "\n";
  }
  std::mt19937 random(7);
  for (int g = 1; g < kAirspaceGroupCount; ++g)
    for (const AirspaceShape& s : module.group[g].shapes) {
      f << "shape\t" << g << "\t" << s.id << "\t" << s.floor << "\t" << s.ceiling << "\t" << s.bounds.west << "\t"
        << s.bounds.north << "\t" << s.bounds.east << "\t" << s.bounds.south << "\t" << s.labelPoints.Size() << "\t"
        << Narrow(s.name) << "\n";
      f << "points";
      for (const GeoPoint& p : s.points) f << "\t" << p.lon << "," << p.lat;
      f << "\n";
      // Random positions inside the bounds and what the inside test says of them.
      f << "inside";
      const std::int64_t w = std::int64_t{s.bounds.east} - s.bounds.west + 1;
      const std::int64_t h = std::int64_t{s.bounds.north} - s.bounds.south + 1;
      for (int k = 0; k < 12; ++k) {
        const GeoPoint p{static_cast<std::int32_t>(s.bounds.west + static_cast<std::int64_t>(random() % w)),
                         static_cast<std::int32_t>(s.bounds.south + static_cast<std::int64_t>(random() % h))};
        f << "\t" << p.lon << "," << p.lat << "," << PointInPolygon(p, s.points.Data(), s.pointCount);
      }
      f << "\n";
    }
}

TEST(AirspaceOpenAirFiles, EachFileLoadsAsTheIndependentReaderExpects) {
  const std::filesystem::path folder = test_data::Folder("openair");
  SKIP_WITHOUT_TEST_DATA(folder);
  const std::filesystem::path work = std::filesystem::temp_directory_path() / "airspace_openair_test";
  std::filesystem::create_directories(work);
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    if (entry.path().extension() != ".txt") continue;
    ++files;
    std::ifstream in(entry.path(), std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    AirspaceModule module;
    AirspaceInit(module);
    AirspaceAllocClassArrays(module, 16);
    const Loaded loaded = LoadTexts(module, {bytes});
    const std::filesystem::path dump = work / (name + ".dump");
    Dump(module, loaded, dump);
    AirspaceTerm(module);
    const std::string command = std::string("\"") + OPENAIR_PYTHON + "\" \"" + OPENAIR_CHECK_SCRIPT + "\" \"" + entry.path().string() +
                                "\" \"" + dump.string() + "\"";
    EXPECT_EQ(std::system(command.c_str()), 0) << name << ": " << command;
  }
  EXPECT_GE(files, 5);
}

}  // namespace
