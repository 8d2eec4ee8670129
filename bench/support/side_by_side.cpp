#include "bench/support/side_by_side.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "platform/kernel/device_folder.h"

namespace bench {
namespace {

double Min(const std::vector<double>& v) { return v.empty() ? 0 : *std::min_element(v.begin(), v.end()); }

}  // namespace

void Standard(benchmark::internal::Benchmark* b) {
  b->Repetitions(5)->ComputeStatistics("min", Min)->DisplayAggregatesOnly(true)->UseRealTime()->Unit(
      benchmark::kMillisecond);
}

SideBySide::~SideBySide() {
  state_.counters[unit_] = ours_.Rate();
  if (peer_.seconds > 0) {
    state_.counters["peer_" + unit_] = peer_.Rate();
    state_.counters["ratio"] = peer_.Rate() > 0 ? ours_.Rate() / peer_.Rate() : 0;
  }
}

const std::string& TemporaryDeviceFolder() {
  static const std::string folder = [] {
    std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("bench-device-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir / "root");
    ce::SetDeviceFolder(dir);
    std::atexit([] {
      std::error_code ec;
      std::filesystem::remove_all(TemporaryDeviceFolder(), ec);
    });
    return dir.string();
  }();
  return folder;
}

}  // namespace bench
