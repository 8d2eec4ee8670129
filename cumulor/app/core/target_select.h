// The default navigation target, chosen whenever the current one is not a valid point.
#pragma once

#include "cumulor/app/app_context.h"

namespace cumulor {

// Where the own position goes when no target exists and it was never set: 39 N, 120 W.
inline constexpr GeoPoint kDefaultOwnPosition{-4320000, 1404000};

// With a valid navigation target nothing happens. Otherwise the first valid of: the first point of
// the active task (an invalid one empties the active task), the file home point, the previous
// target, the default home. Without any: airport 1 becomes the target (and the default home when
// there is none; in the simulator the glider is put on it), or, with no airport loaded, an unset
// own position moves to 39 N, 120 W and the map centre with it.
void SelectTargetPoint(AppContext& app);

}  // namespace cumulor
