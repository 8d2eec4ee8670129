// Texts of the times to fly that the navigation boxes and task lists show: a time to fly as
// hours and minutes, and the arrival time of day. A leg that cannot be flown (kCannotFlyTime)
// shows "--:--" in both.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/base/types.h"

namespace cumulor {

inline constexpr std::size_t kTimeTextSize = 16;  // characters with the terminator

// "%d.%02d": whole hours and minutes of a time to fly in 100 ns units (negative times as 0).
void FormatTimeToFlyText(std::int64_t time, WCHAR out[kTimeTextSize]);
// "%02d:%02d": hour and minute of the time of day `now` plus the time to fly.
void FormatArrivalText(std::int64_t time, const SYSTEMTIME& now, WCHAR out[kTimeTextSize]);

}  // namespace cumulor
