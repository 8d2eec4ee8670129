// Connects the airspace module to the application: what its alarms show and play, the main lock
// around a reload, the airspace checks of the five-fix cycle and the proximity beeps.
#pragma once

#include "cumulor/app/app_context.h"

namespace cumulor {

// Fills the airspace module's hooks with the application's message boxes, sounds, modeless
// dialogs, alarm dialog, pending alarm and main lock.
void InstallAirspaceUi(AppContext& app);
// The airspace part of a new fix at the five-fix cycle's value: at 3 the proximity beeps and the
// file test, at 1 (with database airspace shown) the database test, whose new index alarms.
void AirspaceFixChecks(AppContext& app, const GeoPoint& position);

}  // namespace cumulor
