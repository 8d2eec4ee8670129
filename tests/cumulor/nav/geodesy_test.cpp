#include "cumulor/nav/geo/geodesy.h"

#include <gtest/gtest.h>

#include <cmath>

namespace cumulor {
namespace {

constexpr double kPi = 3.141592653589793;

// Degrees, minutes, seconds to GeoPoint units (0.1 arc-second), rounded to the nearest unit.
std::int32_t Dms(int sign, int d, int m, double s) {
  return static_cast<std::int32_t>(std::lround(sign * ((d * 60 + m) * 600 + s * 10)));
}

GeoPoint Deg(double lonDeg, double latDeg) {
  return GeoPoint{static_cast<std::int32_t>(std::lround(lonDeg * 36000)),
                  static_cast<std::int32_t>(std::lround(latDeg * 36000))};
}

TEST(GeoDistance, SphereFiguresAndEqualPoints) {
  // One degree on the 6378137 m sphere is 111319.49 m.
  EXPECT_EQ(GeoDistance({0, 0}, {0, 36000}), 111319u);
  EXPECT_EQ(GeoDistance({0, 0}, {36000, 0}), 111319u);
  // Equal and nearly equal points must give 0 or a few metres, never NaN garbage.
  for (GeoPoint p : {GeoPoint{0, 0}, Deg(144.42, -37.95), Deg(-0.1, 51.5), Deg(179.99, 89.9)}) {
    EXPECT_EQ(GeoDistance(p, p), 0u);
    EXPECT_LE(GeoDistance(p, GeoPoint{p.lon + 1, p.lat}), 4u);
  }
  // A quarter of the circumference: equator to pole.
  EXPECT_NEAR(GeoDistance({0, 0}, {0, 90 * 36000}), 10018754.0, 1.0);
}

TEST(GeoDistanceEllipsoid, PublishedGeodesicLines) {
  // Meridian arcs of WGS84: equator to pole 10001965.729 m, equator to 45 N 4984944.378 m.
  EXPECT_NEAR(static_cast<double>(GeoDistanceEllipsoid({0, 0}, {0, 90 * 36000})), 10001965.729, 1.0);
  EXPECT_NEAR(static_cast<double>(GeoDistanceEllipsoid({0, 0}, {0, 45 * 36000})), 4984944.378, 1.0);
  EXPECT_NEAR(static_cast<double>(GeoDistanceEllipsoid({7200, -45 * 36000}, {7200, 0})), 4984944.378, 1.0);
  // Along the equator: the semi-major axis times the angle, 6378137 x pi / 180 = 111319.49 m.
  EXPECT_EQ(GeoDistanceEllipsoid({0, 0}, {36000, 0}), 111319u);

  // Flinders Peak to Buninyong, the standard test line of the geodetic datum handbooks:
  // 54972.271 m between the exact ends. A GeoPoint holds 0.1 arc-second (about 3 m), and the grid
  // points nearest these ends lie 54970.287 m apart (Vincenty's A/B series evaluated separately
  // at the grid points), so the line is checked against both figures.
  const GeoPoint flinders{Dms(1, 144, 25, 29.52440), Dms(-1, 37, 57, 3.72030)};
  const GeoPoint buninyong{Dms(1, 143, 55, 35.38390), Dms(-1, 37, 39, 10.15610)};
  for (auto d : {GeoDistanceEllipsoid(flinders, buninyong), GeoDistanceEllipsoid(buninyong, flinders)}) {
    EXPECT_NEAR(static_cast<double>(d), 54970.287, 1.0);
    EXPECT_NEAR(static_cast<double>(d), 54972.271, 3.0);
  }
  // The sphere and the ellipsoid agree within half a percent on this line.
  EXPECT_NEAR(GeoDistance(flinders, buninyong), 54972.0, 0.005 * 54972.0);
  EXPECT_EQ(GeoDistanceEllipsoid(flinders, flinders), 0u);
}

TEST(GeoDistanceEllipsoid, NearlyAntipodalPointsGiveZero) {
  // Vincenty's iteration does not converge here; the routine reports 0 instead of a wrong length.
  EXPECT_EQ(GeoDistanceEllipsoid(Deg(0, 0), Deg(179.7, 0.5)), 0u);
}

TEST(GeoBearing, AroundTheCompass) {
  struct Case {
    GeoPoint to;
    double degrees;
  };
  // From the origin on the equator; the diagonal to (1, 1) degree is atan(cos 1 deg) = 44.99564.
  const Case cases[] = {
      {Deg(0, 1), 0.0},
      {Deg(1, 1), 44.99564},
      {Deg(1, 0), 90.0},
      {Deg(1, -1), 135.00436},
      {Deg(0, -1), 180.0},
      {Deg(-1, -1), 224.99564},
      {Deg(-1, 0), 270.0},
      {Deg(-1, 1), 315.00436},
      {GeoPoint{-1, 36000}, 359.99841},
      {GeoPoint{1, 36000}, 0.00159},
  };
  for (const Case& c : cases) {
    double radians = -1;
    GeoBearing(radians, GeoPoint{0, 0}, c.to);
    EXPECT_GE(radians, 0.0);
    EXPECT_LT(radians, 2 * kPi);
    EXPECT_NEAR(radians * 180 / kPi, c.degrees, 1e-4) << c.to.lon << "," << c.to.lat;
  }
  // Flinders Peak to Buninyong: published ellipsoidal forward azimuth 306 deg 52' 05.37"; the
  // spherical course lies within 0.2 degree of it.
  double course = 0;
  GeoBearing(course, GeoPoint{Dms(1, 144, 25, 29.5244), Dms(-1, 37, 57, 3.7203)},
             GeoPoint{Dms(1, 143, 55, 35.3839), Dms(-1, 37, 39, 10.1561)});
  EXPECT_NEAR(course * 180 / kPi, 306.868158, 0.2);
}

TEST(GeoDestination, MovesAlongTheCourseAndBack) {
  const GeoPoint start = Deg(13.4, 52.5);
  for (double courseDeg : {0.0, 45.0, 90.0, 180.0, 270.0, 359.0}) {
    GeoPoint end;
    GeoDestination(start.lon, start.lat, 10000, -courseDeg * kPi / 180, end);
    EXPECT_NEAR(GeoDistance(start, end), 10000.0, 4.0) << courseDeg;
    double back = 0;
    GeoBearing(back, start, end);
    const double diff = std::remainder(back * 180 / kPi - courseDeg, 360.0);
    EXPECT_NEAR(diff, 0.0, 0.05) << courseDeg;
  }
  GeoPoint north;
  GeoDestination(start.lon, start.lat, 5000, 0.0, north);
  EXPECT_EQ(north.lon, start.lon);
  EXPECT_GT(north.lat, start.lat);
  // A course of 90 degrees (angle -pi/2) increases the longitude.
  GeoPoint east;
  GeoDestination(start.lon, start.lat, 5000, -kPi / 2, east);
  EXPECT_GT(east.lon, start.lon);
  // A path over the pole must not produce NaN conversions.
  GeoPoint pole;
  GeoDestination(0, 89 * 36000, 111319 * 2, 0.0, pole);
  EXPECT_LE(pole.lat, 90 * 36000);
}

TEST(OffsetPoint, EastAndNorthOffsets) {
  const GeoPoint start = Deg(8.0, 46.0);
  GeoPoint out;
  EXPECT_EQ(OffsetPoint(start.lon, start.lat, out, 1000, 0), 1000u);
  EXPECT_NEAR(GeoDistance(start, out), 1000.0, 3.0);
  EXPECT_GT(out.lon, start.lon);
  EXPECT_NEAR(out.lat, start.lat, 1);
  EXPECT_EQ(OffsetPoint(start.lon, start.lat, out, -300, -400), 500u);
  EXPECT_LT(out.lon, start.lon);
  EXPECT_LT(out.lat, start.lat);
  EXPECT_EQ(OffsetPoint(start.lon, start.lat, out, 0, 0), 0u);
  EXPECT_EQ(out.lon, start.lon);
  EXPECT_NEAR(out.lat, start.lat, 1);  // truncation of the round trip through radians
}

TEST(FlatDistance, ScaleFactorAndSegments) {
  SetFlatDistanceScale(1.0);
  // 36 units north is 111 m; the factor truncates.
  EXPECT_EQ(FlatDistance({0, 0}, {0, 36}), 111u);
  EXPECT_EQ(FlatDistance({0, 0}, {0, 37}), 114u);
  SetFlatDistanceScale(0.5);
  EXPECT_EQ(FlatDistance({0, 0}, {72, 0}), 111u);
  SetFlatDistanceScale(1.0);

  const GeoPoint segment[2] = {{0, 0}, {3600, 0}};
  std::uint32_t d = 0;
  EXPECT_EQ(PointSegmentDistance({1800, 36}, segment, d), 0);
  EXPECT_EQ(d, 111u);  // foot inside the segment
  PointSegmentDistance({3600 + 36, 0}, segment, d);
  EXPECT_EQ(d, 111u);  // beyond B: distance to B
  const GeoPoint point[2] = {{100, 100}, {100, 100}};
  PointSegmentDistance({100, 136}, point, d);
  EXPECT_EQ(d, 111u);  // a zero-length segment is its point

  const GeoPoint line[3] = {{0, 0}, {3600, 0}, {3600, 3600}};
  EXPECT_EQ(MinDistanceToPolyline({3636, 1800}, line, 3), 111u);
  EXPECT_EQ(MinDistanceToPolyline({0, 0}, line, 1), 0xFFFFFFFFu);
  EXPECT_EQ(MinDistanceToPolyline({0, 0}, nullptr, 0), 0xFFFFFFFFu);
  // Opposite ends of the coordinate range do not overflow.
  EXPECT_GT(FlatDistance({-180 * 36000, -90 * 36000}, {180 * 36000, 90 * 36000}), 40000000u);
}

TEST(RoundToInt, HalvesGoDownAndNegativesTruncate) {
  EXPECT_EQ(RoundToInt(2.5), 2);
  EXPECT_EQ(RoundToInt(2.51), 3);
  EXPECT_EQ(RoundToInt(2.49), 2);
  EXPECT_EQ(RoundToInt(-2.7), -2);
  EXPECT_EQ(RoundToInt(0.0), 0);
  EXPECT_EQ(RoundToInt(1e12), 2147483647);
  EXPECT_EQ(RoundToInt(std::nan("")), 0);
}

}  // namespace
}  // namespace cumulor
