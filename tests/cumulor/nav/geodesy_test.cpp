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
  EXPECT_NEAR(MinDistanceToPolyline({3636, 1800}, line, 3), 111u, 1u);
  EXPECT_EQ(MinDistanceToPolyline({0, 0}, line, 1), 0xFFFFFFFFu);
  EXPECT_EQ(MinDistanceToPolyline({0, 0}, nullptr, 0), 0xFFFFFFFFu);
  // Opposite ends of the coordinate range do not overflow.
  EXPECT_GT(FlatDistance({-90 * 36000, -90 * 36000}, {90 * 36000, 90 * 36000}), 25000000u);
}

// The expected figures below are geodesic distances on WGS84 computed once with GeographicLib 2.0
// (Geodesic.WGS84 of Debian's python3-geographiclib: Inverse for point distances, Direct for
// destinations, and for a point and a segment the minimum of Inverse over the geodesic between
// the segment's ends). The flight computer measures on a 6378137 m sphere at 111/36 m a unit, so
// it agrees within about one percent at these distances.
TEST(FlatDistance, AgreesWithGeodesicFiguresAcrossTheMeridianAndAtHighLatitudes) {
  struct Case {
    GeoPoint p, a, b;
    double metres;
  } cases[] = {
      {Deg(0.05, 0.02), Deg(0.0, 0.0), Deg(0.1, 0.05), 495.166},
      {Deg(11.1, 48.1), Deg(11.0, 48.0), Deg(11.3, 48.1), 6622.638},
      {Deg(11.1, 48.05), Deg(11.0, 48.0), Deg(11.3, 48.1), 1645.926},
      {Deg(25.25, 65.0), Deg(25.0, 65.0), Deg(25.4, 65.1), 6019.745},
      {Deg(10.5, 46.3), Deg(10.0, 46.0), Deg(10.2, 46.1), 32099.469},  // nearest to the end B
      // Segments that cross the 180th meridian.
      {Deg(179.95, 10.02), Deg(179.9, 10.0), Deg(-179.9, 10.05), 802.970},
      {Deg(-179.98, -20.0), Deg(179.9, -20.05), Deg(-179.9, -19.95), 974.373},
  };
  for (const Case& c : cases) {
    // Whatever the map centre's scale factor is, the segment distance uses the point's latitude.
    for (double scale : {1.0, 0.5}) {
      SetFlatDistanceScale(scale);
      const GeoPoint segment[2] = {c.a, c.b};
      std::uint32_t d = 0;
      PointSegmentDistance(c.p, segment, d);
      EXPECT_NEAR(d, c.metres, 0.015 * c.metres) << c.p.lon << "," << c.p.lat << " scale " << scale;
    }
  }
  SetFlatDistanceScale(1.0);

  // Point to point on the equator (scale 1 is the cosine there), the short way across the meridian.
  struct Pair {
    GeoPoint a, b;
    double metres;
  } pairs[] = {
      {Deg(179.99, 0.0), Deg(-179.99, 0.0), 2226.390},
      {Deg(-179.5, 0.0), Deg(179.7, 0.2), 91760.195},
  };
  for (const Pair& c : pairs) {
    EXPECT_NEAR(FlatDistance(c.a, c.b), c.metres, 0.01 * c.metres) << c.a.lon;
    EXPECT_NEAR(FlatDistance(c.b, c.a), c.metres, 0.01 * c.metres) << c.a.lon;
  }
}

TEST(GeoDestination, WrapsTheLongitudeAcrossTheMeridian) {
  struct Case {
    GeoPoint start;
    std::uint32_t metres;
    double course;  // degrees clockwise from north
    GeoPoint expected;  // GeographicLib 2.0, Geodesic.WGS84.Direct (see above)
  } cases[] = {
      {Deg(179.9, 0.0), 50000, 90.0, Deg(-179.6508424, 0.0)},
      {Deg(-179.95, 40.0), 30000, 270.0, Deg(179.6986885, 39.9994676)},
      {Deg(179.8, -30.0), 60000, 60.0, Deg(-179.6629193, -29.7282689)},
  };
  for (const Case& c : cases) {
    GeoPoint out;
    GeoDestination(c.start.lon, c.start.lat, c.metres, -c.course * kPi / 180, out);
    EXPECT_GE(out.lon, -180 * 36000);
    EXPECT_LE(out.lon, 180 * 36000);
    // Within half a percent of the distance travelled (sphere against ellipsoid).
    EXPECT_NEAR(GeoDistance(out, c.expected), 0.0, 0.005 * c.metres) << c.start.lon << " " << out.lon;
  }
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
