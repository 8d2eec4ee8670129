// Distances, bearings and destination points between GeoPoint positions.
//
// Spherical formulas use a sphere of radius 6378137 m; GeoDistanceEllipsoid works on WGS84. Integer
// results are truncated towards zero. Every acos/asin argument is clamped to [-1, 1], so equal or
// nearly equal points give 0 rather than NaN.
#pragma once

#include <cstdint>

#include "cumulor/app/base/geo_point.h"

namespace cumulor {

// Great-circle distance in metres (law of cosines on the sphere). 0 for equal points.
std::uint32_t GeoDistance(const GeoPoint& from, const GeoPoint& to);
// Initial great-circle course from `from` to `to`, radians clockwise from true north, 0 .. 2 pi.
void GeoBearing(double& out, const GeoPoint& from, const GeoPoint& to);
// Distance on the WGS84 ellipsoid (Vincenty's inverse method); 0 when the iteration does not
// converge (nearly antipodal points) or the points are equal.
std::uint32_t GeoDistanceEllipsoid(const GeoPoint& from, const GeoPoint& to);

// The flat-distance scale factor: cos(latitude of the map centre), set by the application core at
// each re-centre on the aircraft (from the first fix before that). 1.0 until then.
void SetFlatDistanceScale(double scale);
double FlatDistanceScale();
// Fast local distance in metres: longitude difference (the shorter way round, across the 180th
// meridian where that is shorter) scaled by the factor above, 111/36 m a unit.
std::uint32_t FlatDistance(const GeoPoint& a, const GeoPoint& b);
// Distance in metres (111/36 m a unit) from p to the segment {segment[0], segment[1]}, in a local
// plane around p whose longitudes are scaled by the cosine of p's latitude; across the 180th
// meridian the shorter way. Returns 0.
int PointSegmentDistance(const GeoPoint& p, const GeoPoint* segment, std::uint32_t& out);
// Smallest PointSegmentDistance over the count - 1 segments; 0xFFFFFFFF when count is below 2.
std::uint32_t MinDistanceToPolyline(const GeoPoint& p, const GeoPoint* points, int count);

// The point reached after `distance` metres on the great circle leaving (lon, lat) in direction
// `angle`, radians measured from true north towards the WEST (pass -course for a compass course).
// The longitude reached is brought into -180 .. 180 degrees.
void GeoDestination(std::int32_t lon, std::int32_t lat, std::uint32_t distance, double angle, GeoPoint& out);
// Moves (lon, lat) by `east` and `north` metres; returns the distance moved.
std::uint32_t OffsetPoint(std::int32_t lon, std::int32_t lat, GeoPoint& out, std::int32_t east, std::int32_t north);

// Truncates towards zero, then adds 1 when the remainder exceeds 0.5 (2.5 -> 2, 2.51 -> 3,
// -2.7 -> -2). Out-of-range values saturate.
std::int32_t RoundToInt(double x);

}  // namespace cumulor
