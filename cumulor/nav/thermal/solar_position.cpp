#include "cumulor/nav/thermal/solar_position.h"

#include <algorithm>
#include <cmath>

#include "cumulor/nav/geo/geodesy.h"

namespace cumulor {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kRad = kPi / 180.0;

double Mod360(double x) {
  double r = std::fmod(x, 360.0);
  return r < 0 ? r + 360.0 : r;
}

double SafeAsin(double x) { return std::asin(std::clamp(x, -1.0, 1.0)); }

}  // namespace

void SolarPosition(const SYSTEMTIME& utc, double hours, const GeoPoint& position, std::int32_t& azimuth,
                   std::int32_t& elevation) {
  const double lat = position.lat * 2.777777777777778e-5;
  const double lon = position.lon * 2.777777777777778e-5;
  if (hours < 0) hours = ((utc.wHour * 60.0 + utc.wMinute) * 60.0 + utc.wSecond) * 0.0002777777777777778;

  const std::int64_t y = utc.wYear;
  const std::int64_t m = utc.wMonth;
  const std::int64_t day = utc.wDay;
  const double d = static_cast<double>(367 * y - (7 * (y + (m + 9) / 12)) / 4 + (275 * m) / 9 + day) - 730531.5;

  const double sidereal = d * 2.7378507871321012e-5 * 2400.0513 + 6.6974 + hours * 1.0027379092558308 +
                          lon * 0.06666666666666667;
  const double t = (hours * 0.041666666666666664 + d) * 2.7378507871321012e-5;
  const double meanLongitude = Mod360(280.466 + 36000.77 * t);
  const double g = Mod360(357.529 + 35999.05 * t);
  const double l =
      Mod360(meanLongitude + (1.915 - 0.005 * t) * std::sin(g * kRad) + 0.02 * std::sin(2 * g * kRad));
  const double e = 23.439 - 0.013 * t;

  double a = std::atan(std::cos(e * kRad) * std::tan(l * kRad));
  if (a < 0) a += 2 * kPi;
  a /= kRad;
  if (std::floor(a / 90.0) != std::floor(l / 90.0)) a = Mod360(a + 180.0);

  const double dec = SafeAsin(std::sin(e * kRad) * std::sin(a * kRad));
  const double h = Mod360(sidereal * 15.0 - a) * kRad;
  const double latR = lat * kRad;
  const double elev =
      SafeAsin(std::cos(h) * std::cos(dec) * std::cos(latR) + std::sin(dec) * std::sin(latR)) / kRad;
  const double az = Mod360(
      90.0 - std::atan2(std::cos(latR) * std::tan(dec) - std::cos(h) * std::sin(latR), -std::sin(h)) / kRad);
  elevation = RoundToInt(elev);
  azimuth = RoundToInt(az) % 360;
}

}  // namespace cumulor
