#include "cumulor/nav/geo/geodesy.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <limits>

#include "cumulor/app/base/number_text.h"

namespace cumulor {
namespace {

constexpr double kPi = 3.141592653589793;
constexpr double kUnitsToRadians = kPi * 1.54320987654321e-7;  // pi / 6480000
constexpr double kRadiansToUnits = 2062648.0624709637;         // 6480000 / pi
constexpr double kArcSecondsPerRadian = 206264.80624709636;
constexpr double kMetresPerArcSecond = 30.92208078;
constexpr double kRadiansPerMetre = 1.5678559428874e-7;  // 1 / 6378137

// WGS84 as the inverse routine uses it.
constexpr double kFlattening = 0.0033528106647474805;
constexpr double kOneMinusF = 0.9966471893352525;
constexpr double kSecondEccentricitySq = 0.006739496742276474;
constexpr double kFlatteningBy16 = 0.00020955066654671753;
constexpr double kSemiMinorNm = 3432.3716599596;
constexpr double kMetresPerNm = 1852.0;

std::atomic<double> g_flatScale{1.0};

double Clamp1(double x) {
  if (!(x >= -1.0)) return -1.0;  // also NaN
  if (x > 1.0) return 1.0;
  return x;
}

constexpr std::int64_t kUnitsPerTurn = 360 * 36000;
constexpr std::int64_t kUnitsHalfTurn = 180 * 36000;

// A longitude difference in units taken the shorter way round, into -180 .. 180 degrees.
double LongitudeDifference(std::int32_t from, std::int32_t to) {
  std::int64_t d = static_cast<std::int64_t>(to) - from;
  while (d > kUnitsHalfTurn) d -= kUnitsPerTurn;
  while (d < -kUnitsHalfTurn) d += kUnitsPerTurn;
  return static_cast<double>(d);
}

// A longitude in units brought into -180 .. 180 degrees.
std::int32_t WrapLongitude(std::int64_t lon) {
  while (lon > kUnitsHalfTurn) lon -= kUnitsPerTurn;
  while (lon < -kUnitsHalfTurn) lon += kUnitsPerTurn;
  return static_cast<std::int32_t>(lon);
}

std::uint32_t TruncToUnsigned(double x) {
  if (!(x > 0.0)) return 0;
  if (x >= 4294967295.0) return 0xFFFFFFFFu;
  return static_cast<std::uint32_t>(x);
}

}  // namespace

std::uint32_t GeoDistance(const GeoPoint& from, const GeoPoint& to) {
  const double lat1 = from.lat * kUnitsToRadians;
  const double lat2 = to.lat * kUnitsToRadians;
  const double dlon = (static_cast<double>(to.lon) - from.lon) * kUnitsToRadians;
  const double c = std::cos(dlon) * std::cos(lat2) * std::cos(lat1) + std::sin(lat2) * std::sin(lat1);
  return TruncToUnsigned(std::acos(Clamp1(c)) * kArcSecondsPerRadian * kMetresPerArcSecond);
}

void GeoBearing(double& out, const GeoPoint& from, const GeoPoint& to) {
  const double lat1 = from.lat * kUnitsToRadians;
  const double lat2 = to.lat * kUnitsToRadians;
  const double dlon = (static_cast<double>(to.lon) - from.lon) * kUnitsToRadians;
  double course = std::atan2(std::cos(lat2) * std::sin(dlon),
                             std::sin(lat2) * std::cos(lat1) - std::cos(dlon) * std::cos(lat2) * std::sin(lat1));
  if (course < 0.0) course += 2.0 * kPi;
  out = course;
}

std::uint32_t GeoDistanceEllipsoid(const GeoPoint& from, const GeoPoint& to) {
  if (from == to) return 0;
  const double lat1 = from.lat * kUnitsToRadians;
  const double lat2 = to.lat * kUnitsToRadians;
  const double lonDiff = (static_cast<double>(to.lon) - from.lon) * kUnitsToRadians;

  double tu1 = kOneMinusF * std::sin(lat1) / std::cos(lat1);
  double tu2 = kOneMinusF * std::sin(lat2) / std::cos(lat2);
  const double cu1 = 1.0 / std::sqrt(tu1 * tu1 + 1.0);
  const double su1 = cu1 * tu1;
  const double cu2 = 1.0 / std::sqrt(tu2 * tu2 + 1.0);
  double s = cu1 * cu2;
  double baz = s * tu2;
  const double faz = baz * tu1;
  double x = lonDiff;

  double sx = 0, cx = 0, sy = 0, cy = 0, y = 0, c2a = 0, cz = 0, e = 0, c = 0, d = 0;
  int iterations = 0;
  do {
    if (++iterations >= 100) return 0;
    sx = std::sin(x);
    cx = std::cos(x);
    tu1 = cu2 * sx;
    tu2 = baz - su1 * cu2 * cx;
    sy = std::sqrt(tu1 * tu1 + tu2 * tu2);
    if (sy == 0.0) return 0;  // coincident on the ellipsoid
    cy = s * cx + faz;
    y = std::atan2(sy, cy);
    const double sa = s * sx / sy;
    c2a = -sa * sa + 1.0;
    cz = faz + faz;
    if (c2a > 0.0) cz = -cz / c2a + cy;
    e = cz * cz * 2.0 - 1.0;
    c = ((-3.0 * c2a + 4.0) * kFlattening + 4.0) * c2a * kFlatteningBy16;
    d = x;
    x = ((e * cy * c + cz) * sy * c + y) * sa;
    x = (1.0 - c) * x * kFlattening + lonDiff;
  } while (std::fabs(d - x) > 5e-11);

  x = std::sqrt(kSecondEccentricitySq * c2a + 1.0) + 1.0;
  x = (x - 2.0) / x;
  c = 1.0 - x;
  c = (x * x / 4.0 + 1.0) / c;
  d = (0.375 * x * x - 1.0) * x;
  x = e * cy;
  s = 1.0 - e - e;
  const double length =
      ((((sy * sy * 4.0 - 3.0) * s * cz * d / 6.0 - x) * d / 4.0 + cz) * sy * d + y) * c * kSemiMinorNm * kMetresPerNm;
  if (!std::isfinite(length)) return 0;
  return TruncToUnsigned(length);
}

void SetFlatDistanceScale(double scale) { g_flatScale.store(scale, std::memory_order_relaxed); }
double FlatDistanceScale() { return g_flatScale.load(std::memory_order_relaxed); }

std::uint32_t FlatDistance(const GeoPoint& a, const GeoPoint& b) {
  const double dx = std::trunc(LongitudeDifference(a.lon, b.lon) * FlatDistanceScale());
  const double dy = static_cast<double>(b.lat) - a.lat;
  const std::uint64_t d = TruncToUnsigned(std::sqrt(dx * dx + dy * dy));
  return static_cast<std::uint32_t>(d * 111u / 36u);
}

namespace {

// The square of the distance from p to the segment a-b, in units, on a local plane around p:
// longitude differences (the shorter way round) scaled by `scale`, the cosine of p's latitude, so
// that both axes count the same length per unit. The cosine is the caller's, worked out once per
// point.
double SegmentDistanceSquared(const GeoPoint& p, double scale, const GeoPoint& a, const GeoPoint& b) {
  const double ax = LongitudeDifference(p.lon, a.lon) * scale;
  const double ay = static_cast<double>(a.lat) - p.lat;
  const double ex = LongitudeDifference(a.lon, b.lon) * scale;
  const double ey = static_cast<double>(b.lat) - a.lat;
  const double len2 = ex * ex + ey * ey;
  // The nearest point of the segment: the foot of the perpendicular, or the nearer end. A
  // zero-length segment is its point.
  double t = len2 > 0.0 ? -(ax * ex + ay * ey) / len2 : 0.0;
  if (t < 0.0) t = 0.0;
  if (t > 1.0) t = 1.0;
  const double dx = ax + t * ex;
  const double dy = ay + t * ey;
  return dx * dx + dy * dy;
}

// Metres from the square of a distance in units (111/36 m a unit), capped to 32 bits. It never
// falls as the square grows, so the smallest square gives the smallest distance.
std::uint32_t MetresOfSquared(double squared) {
  const std::uint64_t d = TruncToUnsigned(std::sqrt(squared) * 111.0 / 36.0);
  return d > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<std::uint32_t>(d);
}

}  // namespace

int PointSegmentDistance(const GeoPoint& p, const GeoPoint* segment, std::uint32_t& out) {
  out = MetresOfSquared(SegmentDistanceSquared(p, std::cos(p.lat * kUnitsToRadians), segment[0], segment[1]));
  return 0;
}

std::uint32_t MinDistanceToPolyline(const GeoPoint& p, const GeoPoint* points, int count) {
  if (points == nullptr || count < 2) return 0xFFFFFFFFu;
  // Every segment is measured on the same plane around p (one cosine for the whole line), and only
  // the nearest is taken to metres: the airspace check measures thousands of segments a fix.
  const double scale = std::cos(p.lat * kUnitsToRadians);
  double best = SegmentDistanceSquared(p, scale, points[0], points[1]);
  for (int i = 1; i + 1 < count; ++i) best = std::min(best, SegmentDistanceSquared(p, scale, points[i], points[i + 1]));
  return MetresOfSquared(best);
}

void GeoDestination(std::int32_t lon, std::int32_t lat, std::uint32_t distance, double angle, GeoPoint& out) {
  const double d = distance * kRadiansPerMetre;
  const double lat1 = lat * kPi * 1.54320987654321e-7;
  const double lat2 = std::asin(Clamp1(std::sin(lat1) * std::cos(d) + std::cos(lat1) * std::sin(d) * std::cos(angle)));
  out.lat = TruncToInt(lat2 * kRadiansToUnits);
  const double cosLat2 = std::cos(lat2);
  // At a pole the longitude is undefined; keep the starting one.
  const double dlon = cosLat2 > 0.0 ? std::asin(Clamp1(std::sin(angle) * std::sin(d) / cosLat2)) : 0.0;
  out.lon = WrapLongitude(static_cast<std::int64_t>(lon) - TruncToInt(dlon * kRadiansToUnits));
}

std::uint32_t OffsetPoint(std::int32_t lon, std::int32_t lat, GeoPoint& out, std::int32_t east, std::int32_t north) {
  const double e = east;
  const double n = north;
  const std::uint32_t distance = TruncToUnsigned(std::sqrt(e * e + n * n));
  double course = 90.0 - std::atan2(n, e) * 57.2957795131;
  if (course < 0.0) course += 360.0;
  GeoDestination(lon, lat, distance, -(course * 0.01745329251993791), out);
  return distance;
}

std::int32_t RoundToInt(double x) {
  const std::int32_t t = TruncToInt(x);
  if (x - t > 0.5 && t < std::numeric_limits<std::int32_t>::max()) return t + 1;
  return t;
}

}  // namespace cumulor
