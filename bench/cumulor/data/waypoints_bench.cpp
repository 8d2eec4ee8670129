// The SeeYou import: a generated .cup file of 10,000 waypoints and 24 tasks of ten points each,
// imported whole (waypoints into the store, the store written, tasks looked up by name).
// Goal: under 1 s on one core.
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "bench/support/side_by_side.h"
#include "cumulor/data/task/task_slots.h"
#include "cumulor/data/waypoints/cup_import.h"
#include "cumulor/data/waypoints/user_waypoint_store.h"
#include "cumulor/data/waypoints/waypoint_ui.h"
#include "cumulor/data/files/data_files.h"

namespace {

using namespace cumulor;

constexpr int kWaypoints = 10000;
constexpr int kTasks = 24;

const std::u16string& CupPath() {
  static const std::u16string path = [] {
    std::mt19937 random(29);
    std::uniform_int_distribution<int> minutes(0, 59), thousandths(0, 999), degLat(30, 60), degLon(0, 30), metres(0, 3000);
    std::string text = "name,code,country,lat,lon,elev,style,rwdir,rwlen,freq,desc\r\n";
    char line[256];
    for (int i = 0; i < kWaypoints; ++i) {
      std::snprintf(line, sizeof line, "\"Waypoint %05d\",W%04d,DE,%02d%02d.%03dN,%03d%02d.%03dE,%d.0m,%d,,,123.500,\"Turnpoint %d\"\r\n", i,
                    i % 10000, degLat(random), minutes(random), thousandths(random), degLon(random), minutes(random),
                    thousandths(random), metres(random), 1 + i % 5, i);
      text += line;
    }
    text += "-----Related Tasks-----\r\n";
    std::uniform_int_distribution<int> pick(0, kWaypoints - 1);
    for (int t = 0; t < kTasks; ++t) {
      text += "\"Task " + std::to_string(t) + "\",\"???\"";
      for (int p = 0; p < 10; ++p) {
        std::snprintf(line, sizeof line, ",\"Waypoint %05d\"", pick(random));
        text += line;
      }
      text += ",\"???\"\r\n";
    }
    const std::filesystem::path root = std::filesystem::path(bench::TemporaryDeviceFolder()) / "root";
    std::filesystem::create_directories(root / "Data");
    std::ofstream(root / "bench.cup", std::ios::binary) << text;
    SetDataFilesFolder(u"\\Data");
    WaypointUiInstalled().askOkCancel = [](const std::u16string&) { return true; };
    return std::u16string(u"\\bench.cup");
  }();
  return path;
}

void BM_ImportSeeYou(benchmark::State& state) {
  const std::u16string& path = CupPath();
  bench::SideBySide side(state, "imports/s");
  for (auto _ : state) {
    side.Ours(1, [&] {
      if (ImportSeeYou(path.c_str()) != 1) state.SkipWithError("import failed");
    });
  }
  state.counters["waypoints"] = UserWaypoints().records.Size() - 1;
  std::int32_t tasks = 0;
  for (std::int32_t s = 0; s < kAchievedSlot; ++s) tasks += Tasks().slot[s].Size() > 0 ? 1 : 0;
  state.counters["tasks"] = tasks;
}
BENCH(BM_ImportSeeYou);

}  // namespace
