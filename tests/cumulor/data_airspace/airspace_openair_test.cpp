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

std::string PenText(const AirspaceOutline& pen) {
  char text[64];
  std::snprintf(text, sizeof(text), "%d,%d,%06x", pen.style, pen.width, static_cast<unsigned>(pen.colour & 0xFFFFFF));
  return text;
}

std::string BrushText(const AirspaceFill& brush) {
  char text[64];
  std::snprintf(text, sizeof(text), "0,%06x", static_cast<unsigned>(brush.colour & 0xFFFFFF));
  return text;
}

void Dump(const AirspaceModule& module, const Loaded& loaded, const std::filesystem::path& out) {
  std::ofstream f(out);
  for (std::size_t i = 0; i < loaded.texts.size(); ++i)
    f << "message\t" << loaded.captions[i] << "\t" << loaded.texts[i] << "\n";
  for (int g = 1; g < kAirspaceGroupCount; ++g) {
    const AirspaceClassGroup& group = module.group[g];
    f << "group\t" << g << "\t" << (group.outlineFromFile ? PenText(group.outline) : "class") << "\t"
      << (group.fillFromFile ? BrushText(group.fill) : "class") << "\n";
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
