// GeoPoint: a position as two signed 32-bit integers, longitude then latitude, in 0.1 arc-second
// (36000 per degree), west and south negative. The first member of fixes, task points, waypoints
// and trail points.
#pragma once

#include <cstdint>

namespace cumulor {

struct GeoPoint {
  std::int32_t lon = 0;
  std::int32_t lat = 0;
};

inline constexpr std::int32_t kGeoUnitsPerDegree = 36000;

inline bool operator==(const GeoPoint& a, const GeoPoint& b) { return a.lon == b.lon && a.lat == b.lat; }

}  // namespace cumulor
