// The switch-off list: shapes switched off for three minutes or for the rest of the day, and the
// day-long ones kept over a restart as the registry value "SuaOff" (REG_BINARY: a word count, the
// day of the month, then the shape ids; ids restart at 1 in each file).
#pragma once

#include <cstdint>

#include "cumulor/data/airspace/airspace_module.h"

namespace cumulor {

inline constexpr DWORD kSwitchOffMinutes = 180000;   // "3 min", in milliseconds

// Reads "SuaOff": a list written on another day of the month, or none, leaves the list empty.
void AirspaceDisabledLoad(AirspaceModule& module, HKEY key);
// Rebuilds the list from the shapes of groups 2..12 switched off for the day and writes it with
// today's day of the month; the registry's result.
LONG AirspaceDisabledSave(AirspaceModule& module, HKEY key);
// Clears the switch-offs of groups 2..12 that have run out; the count still in force.
std::int32_t AirspaceExpireDisabled(AirspaceModule& module);
// Switches a shape of the current load off until `until` (kAirspaceOffForTheDay for the day);
// false when the shape is no longer loaded.
bool AirspaceSwitchOff(AirspaceModule& module, const AirspaceShapeRef& shape, std::uint32_t until);
// Switches a shape on again and removes its id from the list; false when it is not loaded.
bool AirspaceEnable(AirspaceModule& module, const AirspaceShapeRef& shape);

}  // namespace cumulor
