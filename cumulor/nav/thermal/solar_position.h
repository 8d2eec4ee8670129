// The sun's azimuth and elevation from low-precision solar coordinates.
#pragma once

#include <cstdint>

#include "cumulor/app/base/geo_point.h"
#include "platform/base/types.h"

namespace cumulor {

// utc: the date (and, when hours is negative, the time of day) in UTC; hours: the UTC time of day
// in hours, or negative to take it from utc. Azimuth (degrees clockwise from north, 0..359) and
// elevation (degrees), each rounded with RoundToInt. The declination is taken from the right
// ascension, which puts it up to about a degree off the sun's true one.
void SolarPosition(const SYSTEMTIME& utc, double hours, const GeoPoint& position, std::int32_t& azimuth,
                   std::int32_t& elevation);

}  // namespace cumulor
