// The flight trail: every stored fix appended under the trail lock, ranked in stretches by a
// Douglas-Peucker pass that also feeds the live distance optimisation. A module global.
//
// The drawn list and the drawing come with the map layers.
#pragma once

#include <cstdint>

#include "cumulor/app/base/dyn_array.h"
#include "cumulor/app/base/geo_point.h"
#include "cumulor/nav/gps/gps_fix.h"
#include "cumulor/nav/olc/trail_point.h"

namespace cumulor {

// A stretch is ranked once it holds more than this many points (counted from the last stretch
// end, the new point included); while simulating, more than 5.
inline constexpr std::int32_t kTrailStretch = 96;
inline constexpr std::int32_t kTrailStretchSimulating = 5;
// The rank of the extreme-climb points of a ranked stretch.
inline constexpr std::uint16_t kTrailClimbRank = 100;
// The start icon of the live optimisation (16 x 16).
inline constexpr int kTrailStartIcon = 210;

void TrailInit();
// Empties the trail and resets the live optimisation's candidates.
void TrailClear();
void TrailTerm();
// Whether fixes come from the simulator (shorter stretches).
void TrailSetSimulating(bool simulating);
// Appends the fix; ranks a stretch when it is long enough, offering its points to the live
// optimisation when feedLiveOptimisation is set. Called on the GPS reader thread and by the
// replay loader.
void TrailAddFix(const GpsFix& fix, bool feedLiveOptimisation);
// Marks the last trail point as the live optimisation's start: resets the candidates and offers
// that point first. Nothing on an empty trail.
void TrailSetOlcStart();
// The index of the live optimisation's start point (0 none).
std::int32_t TrailOlcStart();
// The batch optimisation over the whole trail, under the trail lock.
void TrailOptimize();
// A copy of the full trail, taken under the lock.
DynArray<TrailPoint> TrailCopy();

// The ranking steps over the full trail; callers hold the trail lock (exposed for the tests,
// which call them on a trail they filled). TrailFarthestPoint answers the index it ranked.
std::int32_t TrailFarthestPoint(std::int32_t i, std::int32_t j);
void TrailRankRange(std::int32_t i, std::int32_t j);
void TrailRankStretch(std::int32_t s, std::int32_t e, bool feed);

}  // namespace cumulor
