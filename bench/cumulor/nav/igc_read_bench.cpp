// Reading the longest real flight of the test data (28,399 fixes, 2024-02-09-XFH-000-01.IGC) in
// fixes per second: LoadIgcFixes (the replay's and the optimisation's reader) and ReadIgcFlight
// (the evaluation's), each beside reading the file's bytes alone through the same platform files.
// Goal: each reader under 0.2 s for the flight on one core.
#include <filesystem>
#include <memory>
#include <vector>

#include "bench/support/side_by_side.h"
#include "cumulor/app/app_context.h"
#include "cumulor/nav/replay/igc_fix_reader.h"
#include "cumulor/nav/replay/igc_flight_reader.h"
#include "platform/files/files.h"

namespace {

using namespace cumulor;

constexpr const char* kFlight = "2024-02-09-XFH-000-01.IGC";
constexpr double kFixes = 28399;

// The flight linked into "\My Documents" of the benchmark's device folder; empty when absent.
std::u16string FlightPath() {
  static const std::u16string path = [] {
    const std::filesystem::path real = std::filesystem::path(IGC_DIR) / kFlight;
    if (!std::filesystem::exists(real)) return std::u16string();
    const std::filesystem::path docs =
        std::filesystem::path(bench::TemporaryDeviceFolder()) / "root" / "My Documents" / "igc-read";
    std::filesystem::create_directories(docs);
    if (!std::filesystem::exists(docs / kFlight)) std::filesystem::create_symlink(real, docs / kFlight);
    return u"\\My Documents\\igc-read\\" + std::filesystem::path(kFlight).u16string();
  }();
  return path;
}

// The file's bytes alone, read whole.
std::size_t ReadBytes(const std::u16string& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 0;
  std::vector<char> bytes(1 << 21);
  DWORD got = 0;
  ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr);
  CloseHandle(file);
  return got;
}

void BM_LoadIgcFixes(benchmark::State& state) {
  if (FlightPath().empty()) {
    state.SkipWithError("test data not found");
    return;
  }
  auto app = std::make_unique<AppContext>();
  bench::SideBySide side(state, "fixes/s");
  for (auto _ : state) {
    side.Ours(kFixes, [&] {
      IgcFileOpen(*app, FlightPath().c_str());
      LoadIgcFixes(*app);
      benchmark::DoNotOptimize(app->loadedFlight.count);
    });
    side.Peer(kFixes, [&] { benchmark::DoNotOptimize(ReadBytes(FlightPath())); });
  }
  if (app->loadedFlight.FixCount() != kFixes) state.SkipWithError("the flight did not read whole");
  FreeIgcFixes(*app);
}
BENCH(BM_LoadIgcFixes);

void BM_ReadIgcFlight(benchmark::State& state) {
  if (FlightPath().empty()) {
    state.SkipWithError("test data not found");
    return;
  }
  DynArray<GpsFix> fixes;
  FlightInfo info;
  bench::SideBySide side(state, "fixes/s");
  for (auto _ : state) {
    side.Ours(kFixes, [&] { benchmark::DoNotOptimize(ReadIgcFlight(FlightPath().c_str(), fixes, info)); });
    side.Peer(kFixes, [&] { benchmark::DoNotOptimize(ReadBytes(FlightPath())); });
  }
  if (fixes.Size() != kFixes) state.SkipWithError("the flight did not read whole");
}
BENCH(BM_ReadIgcFlight);

}  // namespace
