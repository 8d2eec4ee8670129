// Connects the flight statistics, the thermal database and the distance optimisation to the
// application record: own position, fix times, units, data folder, wind, altitude, main lock,
// message box and the navigation target.
#pragma once

namespace cumulor {

void InstallStatsHooks();

}  // namespace cumulor
