// ReadIgcFlight: an IGC file read whole into fixes and a FlightInfo, for the "Evaluate IGC flight
// log" dialog.
#pragma once

#include "cumulor/app/base/dyn_array.h"
#include "cumulor/nav/gps/gps_fix.h"
#include "cumulor/nav/replay/replay_store.h"
#include "platform/base/types.h"

namespace cumulor {

// Reads the header (date in either "HFDTE" form, pilot, glider type and id, competition id) into
// `info` and every B record with a position into `fixes`, valid or not. Times that step back get
// 86400 s added (a flight past midnight). Track and speeds come from the record in the program's
// own logs, else from the previous fix. The fix interval is the fourth fix's time minus the
// third's (1000 with fewer than four fixes). 1, or 0 for a file under 100 lines, fewer than 20
// lines after the header, or a B record that cannot be read (the fixes before it are kept).
int ReadIgcFlight(const WCHAR* path, DynArray<GpsFix>& fixes, FlightInfo& info);

}  // namespace cumulor
