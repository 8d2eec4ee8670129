// The flight trail: every stored fix appended under the trail lock, ranked in stretches by a
// Douglas-Peucker pass that also feeds the live distance optimisation. A module global.
//
// Beside the full trail the module keeps the drawn list: the points of the trail that matter at the
// map's zoom level and lie in view, rebuilt by TrailSetMode and extended by every new fix. The
// drawing itself is window-side (cumulor/map/layers).
#pragma once

#include <cstdint>
#include <functional>

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

// A box {west, north, east, south} in GeoPoint units (north above south).
struct TrailBox {
  std::int32_t west = 0;
  std::int32_t north = 0;
  std::int32_t east = 0;
  std::int32_t south = 0;
};

// Cohen-Sutherland outcode of a point against the box: 1 west, 2 east, 4 south, 8 north.
std::uint32_t ClipOutcode(const TrailBox& box, std::int32_t x, std::int32_t y);
// Clips the segment a-b to the box, moving its outside ends onto the edges crossed. 1 when no part
// of it is visible (a and b then as they were or partly moved), 0 when a and b hold the visible part.
int ClipLine(const TrailBox& box, GeoPoint& a, GeoPoint& b);

// The trail mode (the zoom level, 5 at start).
std::int32_t TrailMode();
// Rebuilds the drawn list for the visible box at a zoom level whose scale value is zoomScale:
// below level 2 every point is a candidate, otherwise the points ranked above
// min(3 x zoomScale, 500); each candidate but the last is kept when the segment to the next
// candidate shows in the box. Called on every re-centre.
void TrailSetMode(const TrailBox& box, std::int32_t zoomLevel, std::int32_t zoomScale);
// Calls `visit` with the drawn list under the trail lock; the points are valid during the call.
void TrailVisitDrawn(const std::function<void(const TrailPoint* points, std::int32_t count)>& visit);
// Calls `visit` with the full trail under the trail lock.
void TrailVisitPoints(const std::function<void(const TrailPoint* points, std::int32_t count)>& visit);

// The trail dialog's switches: the line ("Line", on at start) and the lift dots ("Lift Dots").
void TrailSetShowLine(bool show);
bool TrailShowLine();
void TrailSetLiftDots(bool show);
bool TrailLiftDots();

// The ranking steps over the full trail; callers hold the trail lock (exposed for the tests,
// which call them on a trail they filled). TrailFarthestPoint answers the index it ranked.
std::int32_t TrailFarthestPoint(std::int32_t i, std::int32_t j);
void TrailRankRange(std::int32_t i, std::int32_t j);
void TrailRankStretch(std::int32_t s, std::int32_t e, bool feed);

}  // namespace cumulor
