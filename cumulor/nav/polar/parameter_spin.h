// The spin buttons of the polar and wind/altimeter dialogs: one step of a flight-state field,
// clamped or wrapped, with the shown value written into the control of that id.
#pragma once

#include <cstdint>

#include "cumulor/nav/polar/flight_state.h"
#include "platform/base/types.h"

namespace cumulor {

// Return the new value as shown (an unknown id changes nothing and returns its current value).
std::int32_t IncrementFlightParameter(FlightState& fs, HWND dialog, int id, bool fast);
std::int32_t DecrementFlightParameter(FlightState& fs, HWND dialog, int id, bool fast);

// A polar point's glide ratio in hundredths: speed / (sink x -0.00036); 0 when the sink is 0 or
// the ratio is not finite.
std::int32_t PointGlideRatio100(std::int32_t speedKmh, std::int32_t sinkHundredths);

}  // namespace cumulor
