// The unit settings of the application record: each setter stores the code and its text, tells
// the number formatters, and re-labels the navigation boxes that show the unit. An unknown code
// keeps the stored one and rewrites the boxes with the old text.
#pragma once

#include <cstdint>

#include "cumulor/app/app_context.h"

namespace cumulor {

void SetAltitudeUnit(AppContext& app, std::int32_t unit);   // 1 "m", 2 "ft"; boxes 3 and 17
void SetClimbUnit(AppContext& app, std::int32_t unit);      // 3 "m/s", 4 "kts"; boxes 6, 7, 8
void SetDistanceUnit(AppContext& app, std::int32_t unit);   // 5 "km", 6 "nm", 8 "sm"; boxes 2, 10, 20
void SetTaskSpeedUnit(AppContext& app, std::int32_t unit);  // 7 "km/h", other "mph"; boxes 18, 19
void SetSpeedUnit(AppContext& app, std::int32_t unit);      // 4 "kts", 7 "km/h"; boxes 11 and 9

}  // namespace cumulor
