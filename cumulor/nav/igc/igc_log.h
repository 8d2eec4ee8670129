// The flight computer's own IGC flight log: opened at the first usable fix of a live run, a header,
// the declared task and the user waypoints, one B line every "FixRate" stored fixes, and the G
// line at shutdown.
#pragma once

#include <cstdint>

#include "cumulor/nav/gps/gps_fix.h"
#include "platform/base/types.h"

namespace cumulor {

struct EngineContext;
struct GpsPort;

// Creates the file under "<data folder>\Cumulor_IGC_Files" and writes every line before the first
// B line. `date` (ddmmyy) and `utc` (hhmmss) may be null (binary-packet devices). An existing log
// is never replaced. 0, or the platform error after "IGC Log Failed" was shown.
HRESULT IgcLogOpen(EngineContext& app, const char* date, const char* utc);
// Called for every stored fix while the log is open: writes a B line when the countdown allows.
// A failed write closes the log, shows "IGC Log Failed" and answers E_FAIL.
HRESULT IgcWriteB(GpsPort& gps, const GpsFix& fix);
// Writes the line (8-bit, its CR LF included) and feeds the check value. 0, the platform error of
// a failed write, or E_FAIL for a short one; a line written in part is cut off again, so the file
// ends at a whole line.
HRESULT WriteLogLine(EngineContext& app, HANDLE file, const char* line);
// "G" and six characters of the check value.
HRESULT WriteGRecord(EngineContext& app, HANDLE file);
// Writes the G line on the open log and closes it (the shutdown step).
void IgcLogClose(EngineContext& app);

// The file names: "KVyymmdd_hhmm.igc" and the short "YMDXRRRF.igc" (flight character F).
void IgcLongName(WCHAR* out, std::int32_t size, const WCHAR* folder, const SYSTEMTIME& local, int suffix);
void IgcShortName(WCHAR* out, std::int32_t size, const WCHAR* folder, const SYSTEMTIME& date,
                  const char* recorderId, char flight);
// The three base-36 characters of a unit number ("000" for 0).
void UnitId36(std::int32_t number, char out[4]);

}  // namespace cumulor
