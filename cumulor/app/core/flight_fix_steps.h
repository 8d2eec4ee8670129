// The steps of the new-fix handling that feed the flight statistics and the thermal database:
// circling and the climbs it starts and ends, and each new wind estimate.
#pragma once

namespace cumulor {

struct AppContext;
struct GpsStatus;

// Runs on the notify thread for each valid fix.
void FlightFixSteps(AppContext& app, const GpsStatus& status);
// Forgets the previous fix, the turn and the wind history (a new run or a new replay).
void FlightFixStepsReset();

}  // namespace cumulor
