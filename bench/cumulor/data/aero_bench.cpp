// The aeronautical database: loading a generated KA1 file of 20,000 airports (with runways,
// frequencies and names) and 2,000 airspaces, and collecting the objects of a 200 km view.
// Goal: the load under 1 s on one core.
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "bench/support/side_by_side.h"
#include "cumulor/data/aero/ka1_reader.h"
#include "cumulor/data/aero/visible_data.h"
#include "tools/ka1gen/ka1_writer.h"

namespace {

using namespace cumulor;

const std::u16string& DatabasePath() {
  static const std::u16string path = [] {
    std::mt19937 random(9);
    std::uniform_int_distribution<std::int32_t> lon(-10 * 36000, 20 * 36000), lat(40 * 36000, 55 * 36000);
    ka1gen::File file;
    for (int r = 0; r < 10; ++r) {
      ka1gen::Region region;
      region.name = "Country" + std::to_string(r);
      region.code = "C" + std::to_string(r);
      region.number = static_cast<std::uint16_t>(r + 1);
      for (int i = 0; i < 2000; ++i) {
        ka1gen::Airport a;
        a.code = "A" + std::to_string(r * 2000 + i);
        a.lon = lon(random);
        a.lat = lat(random);
        a.name = "Airport " + std::to_string(r * 2000 + i);
        a.nearName = "Town " + std::to_string(i);
        a.runways.push_back({3000, 100, 1, "09", "27"});
        a.frequencies.push_back({46, "123.450", i % 2 ? "Info" : ""});
        region.airports.push_back(a);
      }
      for (int s = 0; s < 200; ++s) region.airspaceIds.push_back(static_cast<std::uint16_t>(r * 200 + s));
      file.regions.push_back(region);
    }
    for (int s = 0; s < 2000; ++s) {
      ka1gen::Airspace sp;
      sp.id = static_cast<std::uint16_t>(s);
      sp.cls = s % 16;
      sp.shortName = "S" + std::to_string(s);
      sp.west = lon(random);
      sp.south = lat(random);
      sp.east = sp.west + 20000;
      sp.north = sp.south + 20000;
      for (int p = 0; p < 40; ++p) sp.points.emplace_back(sp.west + p * 500, sp.south + (p % 7) * 2000);
      file.airspaces.push_back(sp);
    }
    const std::vector<std::uint8_t> bytes = ka1gen::WriteKa1(file);
    const std::filesystem::path root = std::filesystem::path(bench::TemporaryDeviceFolder()) / "root";
    std::filesystem::create_directories(root);
    std::ofstream(root / "bench.ka1", std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    for (int r = 0; r < 10; ++r) {
      RegionRecord sel{};
      sel.code[0] = 'C';
      sel.code[1] = static_cast<char>('0' + r);
      sel.number = static_cast<std::uint16_t>(r + 1);
      AeroData().selectedRegions.Append(sel);
    }
    return std::u16string(u"\\bench.ka1");
  }();
  return path;
}

void BM_AeroDbLoad(benchmark::State& state) {
  const std::u16string& path = DatabasePath();
  TileCache tiles;
  AeroUi ui;
  bench::SideBySide side(state, "loads/s");
  for (auto _ : state) {
    side.Ours(1, [&] {
      AeroDbClear(AeroData(), tiles);
      if (AeroDbLoad(AeroData(), tiles, path.c_str(), ui) != S_OK) state.SkipWithError("load failed");
    });
  }
  state.counters["airports"] = AeroData().airports.Size() - 1;
  state.counters["airspaces"] = static_cast<double>(AeroData().airspaces.size());
}
BENCH(BM_AeroDbLoad);

void BM_UpdateVisibleAeroData(benchmark::State& state) {
  const std::u16string& path = DatabasePath();
  TileCache tiles;
  AeroUi ui;
  AeroDbClear(AeroData(), tiles);
  if (AeroDbLoad(AeroData(), tiles, path.c_str(), ui) != S_OK) state.SkipWithError("load failed");
  VisibleAeroObjects visible;
  const MapTileView maps;  // no map settings: aeronautical objects only
  // About 200 km across around 8 E 47 N.
  const TileRange view{8 * 36000 - 48000, 47 * 36000 + 32000, 8 * 36000 + 48000, 47 * 36000 - 32000};
  bench::SideBySide side(state, "views/s");
  for (auto _ : state) {
    side.Ours(1, [&] { UpdateVisibleAeroData(AeroData(), tiles, visible, view, 6, maps, ui); });
  }
  state.counters["airports_in_view"] = static_cast<double>(visible.items[kTileAirports].size());
}
BENCH(BM_UpdateVisibleAeroData);

}  // namespace
