// The steps of the new-fix handling that feed the flight statistics, the thermal database and the
// terrain clearance: circling and the climbs it starts and ends, each new wind estimate, and the
// glide profile along the remaining task legs while terrain clearance is on.
#pragma once

namespace cumulor {

struct AppContext;
struct GpsStatus;
struct GeoPoint;

// Runs on the notify thread for each valid fix.
void FlightFixSteps(AppContext& app, const GpsStatus& status);
// The glide profile from the own position through the points of the active task (altitude 1049,
// the altitude lost at the speed-to-fly over each leg), and its least clearance.
void TerrainClearanceSteps(AppContext& app, const GeoPoint& own);
// Forgets the previous fix, the turn and the wind history (a new run or a new replay).
void FlightFixStepsReset();

}  // namespace cumulor
