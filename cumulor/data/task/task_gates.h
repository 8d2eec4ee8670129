// The start and finish gates computed from the task rules, and the per-fix checks that tell
// whether the glider crossed the start line in the task direction or crossed it back.
#pragma once

#include <cstdint>

#include "cumulor/app/base/geo_point.h"
#include "platform/base/types.h"

namespace cumulor {

struct Gate {
  GeoPoint end1;
  GeoPoint end2;
  double bearing1 = 0;  // compass bearings (radians, 0 .. 2 pi) from the gate's point to its ends
  double bearing2 = 0;
};
Gate& StartGate();
Gate& FinishGate();

inline constexpr int kAlternateStartTextSize = 48;
// The name of the start's alternative point under the two-starts rule, else empty.
const WCHAR* AlternateStartText();

// Recomputes both gates and the alternative-start text from the whole task and the rules, and
// hands the map view the zone pair (3000, on-task width). Needs at least two points in the task.
void ComputeStartFinishGates();

// Whole degrees of an angle in radians, truncated toward zero, brought into -179 .. 180.
std::int32_t RelativeDegrees(double radians);

// True when the glider, within half the start width of the start, passed the start line in the
// task direction between two fixes; reported at the earliest on the third fix in range.
bool CheckStartLineCrossing(GeoPoint own, std::uint32_t distance, const GeoPoint* start);
// True when the glider, within 60 km, passed the start line back against the task direction.
bool CheckStartLineRecrossing(GeoPoint own, std::uint32_t distance, const GeoPoint* start);
// Both checks back to their state at load (outside, not armed, previous angles 0).
void ResetStartLineChecks();

}  // namespace cumulor
