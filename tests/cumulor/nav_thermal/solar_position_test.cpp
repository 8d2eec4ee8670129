#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "cumulor/nav/thermal/solar_position.h"

using namespace cumulor;

namespace {

struct SunRow {
  int year, month, day, hour, minute, second;
  double lat, lon, azimuth, elevation;
};

// Rows computed by PyEphem (make_sun_table.py beside this test).
const SunRow kSunTable[] = {
#include "sun_table.inc"
};

double AngleDifference(int a, double b) {
  const double d = std::fmod(std::fabs(a - b), 360.0);
  return d > 180.0 ? 360.0 - d : d;
}

SYSTEMTIME Utc(int y, int mo, int d, int h, int mi, int s) {
  SYSTEMTIME t{};
  t.wYear = static_cast<WORD>(y);
  t.wMonth = static_cast<WORD>(mo);
  t.wDay = static_cast<WORD>(d);
  t.wHour = static_cast<WORD>(h);
  t.wMinute = static_cast<WORD>(mi);
  t.wSecond = static_cast<WORD>(s);
  return t;
}

}  // namespace

// The elevation is compared for every row with the sun below 60 degrees, the azimuth where the
// sun is also less than 60 degrees below the horizon (near the nadir, as near the zenith, a small
// error in the sun's place turns the azimuth a lot).
TEST(SolarPosition, AgreesWithEphemerisBelowSixtyDegrees) {
  int compared = 0;
  for (const SunRow& row : kSunTable) {
    if (row.elevation >= 60.0) continue;
    const GeoPoint at{static_cast<std::int32_t>(std::lround(row.lon * 36000)), static_cast<std::int32_t>(std::lround(row.lat * 36000))};
    std::int32_t azimuth = -1, elevation = -1;
    SolarPosition(Utc(row.year, row.month, row.day, row.hour, row.minute, row.second), -1.0, at, azimuth, elevation);
    SCOPED_TRACE(testing::Message() << row.year << "-" << row.month << "-" << row.day << " " << row.hour << ":"
                                    << row.minute << " at " << row.lat << ", " << row.lon);
    EXPECT_LE(std::abs(elevation - row.elevation), 2.0);
    if (row.elevation > -60.0) {
      EXPECT_LE(AngleDifference(azimuth, row.azimuth), 2.0);
    }
    EXPECT_GE(azimuth, 0);
    EXPECT_LT(azimuth, 360);
    ++compared;
  }
  EXPECT_GT(compared, 80);
}

TEST(SolarPosition, HoursGivenOverrideTheTimeOfDay) {
  std::int32_t azimuth = 0, elevation = 0;
  // 21 June, noon UTC on the equator and the prime meridian: the sun high in the north.
  SolarPosition(Utc(2024, 6, 21, 3, 0, 0), 12.0, GeoPoint{0, 0}, azimuth, elevation);
  EXPECT_NEAR(elevation, 67, 2);
  EXPECT_LE(AngleDifference(azimuth, 0.0), 3.0);
  std::int32_t azimuthAt3 = 0, elevationAt3 = 0;
  SolarPosition(Utc(2024, 6, 21, 3, 0, 0), -1.0, GeoPoint{0, 0}, azimuthAt3, elevationAt3);
  EXPECT_LT(elevationAt3, 0);
}
