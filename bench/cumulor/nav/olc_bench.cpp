// "Show" of a recorded flight on the longest real flight of the test data (28,399 fixes,
// 2024-02-09-XFH-000-01.IGC): reading its fixes, the trail fed with them as live input (ranking
// and the live optimisation), and the batch optimisation over the trail, with the candidate
// count. Beside it, once, an exhaustive search in four-leg mode over the same candidates (thinned
// evenly to 600 when there are more), and whether it equals the batch result.
// Goal: the batch optimisation under 50 ms on one core.
#include <algorithm>
#include <filesystem>
#include <memory>
#include <vector>

#include "bench/support/side_by_side.h"
#include "cumulor/app/app_context.h"
#include "cumulor/data/trail/trail.h"
#include "cumulor/nav/geo/geodesy.h"
#include "cumulor/nav/olc/olc.h"
#include "cumulor/nav/olc/olc_optimizer.h"
#include "cumulor/nav/replay/igc_fix_reader.h"

namespace {

using namespace cumulor;

constexpr const char* kFlight = "2024-02-09-XFH-000-01.IGC";

AppContext& App() {
  static std::unique_ptr<AppContext> app = std::make_unique<AppContext>();
  return *app;
}

// The flight linked into "\My Documents" of the benchmark's device folder; empty when absent.
std::u16string FlightPath() {
  static const std::u16string path = [] {
    const std::filesystem::path real = std::filesystem::path(IGC_DIR) / kFlight;
    if (!std::filesystem::exists(real)) return std::u16string();
    const std::filesystem::path docs = std::filesystem::path(bench::TemporaryDeviceFolder()) / "root" / "My Documents";
    std::filesystem::create_directories(docs);
    std::filesystem::create_symlink(real, docs / kFlight);
    return u"\\My Documents\\" + std::filesystem::path(kFlight).u16string();
  }();
  return path;
}

bool Load() {
  if (FlightPath().empty() || IgcFileOpen(App(), FlightPath().c_str()) != S_OK) return false;
  FreeIgcFixes(App());
  return LoadIgcFixes(App()) == S_OK && App().loadedFlight.FixCount() > 0;
}

void FeedTrail() {
  TrailClear();
  LoadedFlight& f = App().loadedFlight;
  for (std::int32_t i = 0; i < f.FixCount(); ++i) TrailAddFix(f.fixes[i], true);
}

// The best four-leg route over the candidates by trying every chain of turn points, with the zero
// values of routes that reach candidate 0 or 1 early (as the tables have them).
std::uint32_t ExhaustiveFourLegs(const std::vector<GeoPoint>& c) {
  const std::int32_t n = static_cast<std::int32_t>(c.size());
  if (n < 2) return 0;
  std::vector<std::uint32_t> d(static_cast<std::size_t>(n) * n);
  for (std::int32_t i = 0; i < n; ++i)
    for (std::int32_t j = i + 1; j < n; ++j) d[static_cast<std::size_t>(i) * n + j] = GeoDistance(c[i], c[j]);
  auto D = [&](std::int32_t i, std::int32_t j) { return d[static_cast<std::size_t>(i) * n + j]; };
  const std::int32_t e = n - 1;
  if (e < 2) return 0;
  std::uint32_t best = 0;
  for (std::int32_t j = 1; j < e; ++j) {        // the third turn point
    if (j < 2) {
      best = std::max(best, D(j, e));
      continue;
    }
    for (std::int32_t i = 1; i < j; ++i) {      // the second
      if (i < 2) {
        best = std::max(best, D(i, j) + D(j, e));
        continue;
      }
      for (std::int32_t h = 1; h < i; ++h)      // the first
        best = std::max(best, D(0, h) + D(h, i) + D(i, j) + D(j, e));
    }
  }
  return best;
}

void BM_ShowReading(benchmark::State& state) {
  if (!Load()) {
    state.SkipWithError("the flight is not in the test data");
    return;
  }
  bench::SideBySide side(state, "fixes/s");
  for (auto _ : state) side.Ours(App().loadedFlight.FixCount(), [] { Load(); });
  state.counters["fixes"] = App().loadedFlight.FixCount();
}
BENCH(BM_ShowReading);

void BM_ShowTrailWithLiveFeed(benchmark::State& state) {
  if (!Load()) {
    state.SkipWithError("the flight is not in the test data");
    return;
  }
  bench::SideBySide side(state, "fixes/s");
  for (auto _ : state) side.Ours(App().loadedFlight.FixCount(), [] { FeedTrail(); });
  state.counters["live_candidates"] = OlcCandidateCount();
}
BENCH(BM_ShowTrailWithLiveFeed);

void BM_ShowBatchOptimisation(benchmark::State& state) {
  if (!Load()) {
    state.SkipWithError("the flight is not in the test data");
    return;
  }
  FeedTrail();
  OlcSetLegCount(4);
  bench::SideBySide side(state, "runs/s");
  for (auto _ : state) side.Ours(1, [] { TrailOptimize(); });
  std::uint32_t distance = 0;
  OlcResult(distance, nullptr);
  state.counters["candidates"] = OlcCandidateCount();
  state.counters["distance_m"] = distance;
}
BENCH(BM_ShowBatchOptimisation);

// Run once: the exhaustive search over the batch run's candidates (thinned to 600 if more).
void BM_ExhaustiveFourLegsOnce(benchmark::State& state) {
  if (!Load()) {
    state.SkipWithError("the flight is not in the test data");
    return;
  }
  FeedTrail();
  OlcSetLegCount(4);
  TrailOptimize();
  std::vector<GeoPoint> candidates = OlcCandidatePositions();
  const std::size_t all = candidates.size();
  std::uint32_t batch = 0;
  OlcResult(batch, nullptr);
  if (candidates.size() > 600) {
    std::vector<GeoPoint> thinned;
    for (std::size_t k = 0; k < 600; ++k) thinned.push_back(candidates[k * (candidates.size() - 1) / 599]);
    candidates = thinned;
    std::vector<TrailPoint> trail;
    for (const GeoPoint& p : candidates) trail.push_back(TrailPoint{p, 0, 0, 1000});
    trail.push_back(trail.back());
    OlcOptimizer o;
    o.OptimizeTrail(trail.data(), static_cast<std::int32_t>(trail.size()));
    batch = o.ResultDistance();
  }
  std::uint32_t exhaustive = 0;
  for (auto _ : state) exhaustive = ExhaustiveFourLegs(candidates);
  state.counters["candidates"] = static_cast<double>(all);
  state.counters["searched"] = static_cast<double>(candidates.size());
  state.counters["equal"] = exhaustive == batch ? 1 : 0;
  state.counters["distance_m"] = exhaustive;
}
BENCHMARK(BM_ExhaustiveFourLegsOnce)->Iterations(1);

}  // namespace
