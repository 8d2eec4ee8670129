// Calls per second of the geodesy functions the navigation and the map call most, over the legs
// of 4,096 points of a regional flight (within 300 km of 47 N 8 E).
#include <cstdint>
#include <random>
#include <vector>

#include "bench/support/side_by_side.h"
#include "cumulor/nav/geo/geodesy.h"

using cumulor::GeoPoint;

namespace {

const std::vector<GeoPoint>& Points() {
  static const std::vector<GeoPoint> points = [] {
    std::mt19937 random(42);
    std::uniform_int_distribution<std::int32_t> lon(8 * 36000 - 100000, 8 * 36000 + 100000);
    std::uniform_int_distribution<std::int32_t> lat(47 * 36000 - 100000, 47 * 36000 + 100000);
    std::vector<GeoPoint> p(4096);
    for (GeoPoint& g : p) g = GeoPoint{lon(random), lat(random)};
    return p;
  }();
  return points;
}

template <class F>
void Legs(benchmark::State& state, F call) {
  const std::vector<GeoPoint>& points = Points();
  bench::SideBySide side(state, "operations/s");
  for (auto _ : state) {
    side.Ours(static_cast<double>(points.size() - 1), [&] {
      double sink = 0;
      for (std::size_t i = 0; i + 1 < points.size(); ++i) sink += call(points[i], points[i + 1]);
      benchmark::DoNotOptimize(sink);
    });
  }
}

void BM_GeoDistance(benchmark::State& state) {
  Legs(state, [](const GeoPoint& a, const GeoPoint& b) { return cumulor::GeoDistance(a, b); });
}
BENCH(BM_GeoDistance);

void BM_GeoBearing(benchmark::State& state) {
  Legs(state, [](const GeoPoint& a, const GeoPoint& b) {
    double course = 0;
    cumulor::GeoBearing(course, a, b);
    return course;
  });
}
BENCH(BM_GeoBearing);

void BM_GeoDistanceEllipsoid(benchmark::State& state) {
  Legs(state, [](const GeoPoint& a, const GeoPoint& b) { return cumulor::GeoDistanceEllipsoid(a, b); });
}
BENCH(BM_GeoDistanceEllipsoid);

void BM_FlatDistance(benchmark::State& state) {
  Legs(state, [](const GeoPoint& a, const GeoPoint& b) { return cumulor::FlatDistance(a, b); });
}
BENCH(BM_FlatDistance);

}  // namespace
