// Calls per second of the geodesy functions the navigation and the map call most:
// GeoDistance, GeoBearing, the two together, and GeoDistanceEllipsoid.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <random>
#include <vector>

#include "cumulor/nav/geo/geodesy.h"

using cumulor::GeoPoint;

namespace {

template <class F>
void Measure(const char* name, const std::vector<GeoPoint>& points, F&& call) {
  const auto start = std::chrono::steady_clock::now();
  std::uint64_t calls = 0;
  double sink = 0;
  std::chrono::duration<double> elapsed{};
  do {
    for (std::size_t i = 0; i + 1 < points.size(); ++i) sink += call(points[i], points[i + 1]);
    calls += points.size() - 1;
    elapsed = std::chrono::steady_clock::now() - start;
  } while (elapsed.count() < 1.0);
  std::printf("%-24s %12.0f calls/s   (checksum %.0f)\n", name, calls / elapsed.count(), sink);
}

}  // namespace

int main() {
  // Points of a regional flight: within 300 km of 47 N 8 E, as task legs and airspace tests see them.
  std::mt19937 random(42);
  std::uniform_int_distribution<std::int32_t> lon(8 * 36000 - 100000, 8 * 36000 + 100000);
  std::uniform_int_distribution<std::int32_t> lat(47 * 36000 - 100000, 47 * 36000 + 100000);
  std::vector<GeoPoint> points(4096);
  for (GeoPoint& p : points) p = GeoPoint{lon(random), lat(random)};

  Measure("GeoDistance", points, [](const GeoPoint& a, const GeoPoint& b) { return cumulor::GeoDistance(a, b); });
  Measure("GeoBearing", points, [](const GeoPoint& a, const GeoPoint& b) {
    double course = 0;
    cumulor::GeoBearing(course, a, b);
    return course;
  });
  Measure("GeoDistance+GeoBearing", points, [](const GeoPoint& a, const GeoPoint& b) {
    double course = 0;
    cumulor::GeoBearing(course, a, b);
    return course + cumulor::GeoDistance(a, b);
  });
  Measure("GeoDistanceEllipsoid", points,
          [](const GeoPoint& a, const GeoPoint& b) { return cumulor::GeoDistanceEllipsoid(a, b); });
  Measure("FlatDistance", points, [](const GeoPoint& a, const GeoPoint& b) { return cumulor::FlatDistance(a, b); });
  return 0;
}
