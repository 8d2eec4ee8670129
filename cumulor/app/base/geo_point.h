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

// A box {left = west, top = north, right = east, bottom = south} in GeoPoint units.
struct GeoRect {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t right = 0;
  std::int32_t bottom = 0;
};

inline bool GeoRectEmpty(const GeoRect& r) { return r.left == r.right && r.top == r.bottom; }

// An empty rectangle becomes {lon, lat + 1, lon + 1, lat}; otherwise it grows to hold the point.
inline void ExtendRect(GeoRect& rect, const GeoPoint& point) {
  if (GeoRectEmpty(rect)) {
    rect = {point.lon, point.lat + 1, point.lon + 1, point.lat};
    return;
  }
  if (point.lon < rect.left) rect.left = point.lon;
  if (point.lon > rect.right) rect.right = point.lon;
  if (point.lat > rect.top) rect.top = point.lat;
  if (point.lat < rect.bottom) rect.bottom = point.lat;
}

}  // namespace cumulor
