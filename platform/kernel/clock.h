// The clock service: one source for the tick count, the performance counter, the system time and
// every time-out of a wait or Sleep.
//
// By default the timelines are real: the tick count follows the host's monotonic clock and the
// system time the host's UTC clock moved by the device clock offset, which lives in the device
// folder (file "clock") so that a control tool can set or move the device's date and every process
// of the device follows. A test may install a manual clock instead: time then stands still until
// the test sets or advances it, and waits and sleeps end when it moves past their deadlines.
#pragma once

#include <cstdint>

#include "platform/base/types.h"

namespace ce::kernel {

// Milliseconds on the monotonic timeline (the tick count; time-outs are measured on it).
std::uint64_t MonotonicMs();
// Microseconds on the same timeline (the performance counter).
std::uint64_t MonotonicUs();
// The device's system time (UTC) in 100 ns units since 1601-01-01 (a FILETIME value).
std::int64_t SystemTimeUtc();
// Sets the device's system time (UTC, 100 ns units since 1601): the manual clock's time under a
// manual clock, otherwise the device clock offset in the device folder. 0, or the error
// (ERROR_DISK_FULL, ERROR_ACCESS_DENIED, ERROR_WRITE_FAULT) when the offset could not be stored:
// the clock then stays as it was.
DWORD SetSystemTimeUtc(std::int64_t utc_100ns);

// Manual clock. Install it before starting threads that wait; remove it when done.
// It starts at `utc_100ns` with a tick count of kManualTickStart.
inline constexpr std::uint64_t kManualTickStart = 60'000;
void InstallManualClock(std::int64_t utc_100ns);
void RemoveManualClock();
bool ManualClockInstalled();
// Moves the manual clock (ticks and system time) forward and wakes the waits it ends.
void AdvanceManualClock(std::uint64_t ms);

// The device clock offset (device UTC minus host UTC, in ms) stored in the device folder.
std::int64_t DeviceClockOffsetMs();
// 0, or the error of a write that could not be done whole (the stored offset is kept).
DWORD SetDeviceClockOffsetMs(std::int64_t offset_ms);

// 100 ns units between 1601-01-01 and 1970-01-01.
inline constexpr std::int64_t kUnixEpochAsFileTime = 116444736000000000LL;

}  // namespace ce::kernel
