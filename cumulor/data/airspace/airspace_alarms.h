// Airspace alarms: the test of the own position against the file airspace and the database
// airspace, the vertical states, the nearest airspace with its proximity score.
//
// Each test decides under the airspace lock (what is near, which shapes alarm now, a copy of each
// alarm) and acts only after leaving it: closing the modeless dialogs, the sounds and the alarm
// dialog (or the pending alarm of the core) run with no lock held, so a UI thread waiting for the
// airspace lock never blocks them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "cumulor/data/airspace/airspace_module.h"

namespace cumulor {

// The file test (find 0) or the map tap's find (find 1). h in metres, v, altitude and pressure
// altitude in feet. The find answers the first shape of groups 1..12 (enabled, not switched off)
// that holds the position; the normal use answers none.
std::optional<AirspaceShapeRef> AirspaceAlarmCheck(AirspaceModule& module, const GeoPoint& position, std::uint32_t h,
                                                   std::int32_t v, std::int32_t altitude,
                                                   std::int32_t pressureAltitude, int find);
// The database test over the aeronautical tables' airspaces: the index of the airspace hit, or -1.
std::int32_t AeroAirspaceAlarmCheck(AirspaceModule& module, const GeoPoint& position, std::uint32_t h, std::int32_t v,
                                    std::int32_t altitude, std::int32_t pressureAltitude, int find);
// The warning state of the nearest airspace of the last tests, copied under the lock, and its name
// (a database airspace's long name cut at 11 characters); nothing when none is near.
std::optional<AirspaceWarning> AirspaceNearest(AirspaceModule& module, std::u16string* name);

// The vertical state of a shape (1 above, 2 inside with the ceiling nearer, 3 inside with the
// floor nearer, 4 below) and the distance in feet to the nearest limit.
void AirspaceVerticalState(std::int32_t floor, bool floorIsLevel, std::int32_t ceiling, bool ceilingIsLevel,
                           std::int32_t altitude, std::int32_t pressureAltitude, std::int32_t& state,
                           std::int32_t& distance);

}  // namespace cumulor
