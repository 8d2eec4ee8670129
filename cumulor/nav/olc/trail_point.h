// TrailPoint: one point of the flight trail, as the trail keeps it and the distance optimisation
// reads it.
#pragma once

#include <cstdint>

#include "cumulor/app/base/geo_point.h"

namespace cumulor {

struct TrailPoint {
  GeoPoint position;
  std::uint16_t altitude = 0;   // metres, the fix's pressure altitude
  std::int16_t climb = 0;       // whole m/s of the vertical speed, times 10
  std::uint16_t rank = 0;       // 30000 while not ranked
};

inline constexpr std::uint16_t kTrailUnranked = 30000;
// Trail points ranked above this take part in the distance optimisation.
inline constexpr std::uint16_t kOlcCandidateRank = 250;

}  // namespace cumulor
