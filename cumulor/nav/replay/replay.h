// Stepping through the loaded flight for the replay.
#pragma once

#include "cumulor/nav/gps/gps_fix.h"
#include "platform/base/types.h"

namespace cumulor {

struct EngineContext;

// The replay's next fix from the loaded flight: S_OK with the fix, the cursor advanced by 1, 10,
// 100 or 1000 after the speed; at "Manual" one fix per "Go" (the step flag, cleared here) and
// S_FALSE while none was asked for. E_FAIL at the last fix (count - 1), without a loaded flight,
// or when a stop was asked for (the stop flag is cleared).
HRESULT ReplayNextFix(EngineContext& app, GpsFix& fix);

}  // namespace cumulor
