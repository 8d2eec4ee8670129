// The flight trail: every stored fix appended, under the trail lock. A module global.
//
// So far the full trail only; ranking, the drawn list and drawing come with the map.
#pragma once

#include <cstdint>

#include "cumulor/app/base/dyn_array.h"
#include "cumulor/app/base/geo_point.h"
#include "cumulor/nav/gps/gps_fix.h"

namespace cumulor {

struct TrailPoint {
  GeoPoint position;
  std::uint16_t altitude = 0;   // metres, the fix's pressure altitude
  std::int16_t climb = 0;       // whole m/s of the vertical speed, times 10
  std::uint16_t rank = 0;       // 30000 while not ranked
};

inline constexpr std::uint16_t kTrailUnranked = 30000;

void TrailInit();
void TrailClear();
void TrailTerm();
// Appends the fix (called on the GPS reader thread and by the replay loader).
void TrailAddFix(const GpsFix& fix, bool feedLiveOptimisation);
// A copy of the full trail, taken under the lock.
DynArray<TrailPoint> TrailCopy();

}  // namespace cumulor
