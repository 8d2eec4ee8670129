// Glide along a course with the polar and the wind: altitude lost, time to fly, final glide.
#pragma once

#include <cstdint>
#include <limits>

#include "cumulor/nav/polar/flight_state.h"

namespace cumulor {

// The value a leg that cannot be flown against the wind gets. The time is "never": no real time to
// fly has this value, and the time texts show it as "--:--" (time_text.h).
inline constexpr std::int32_t kCannotFlyAltitude = 9999999;
inline constexpr std::int64_t kCannotFlyTime = std::numeric_limits<std::int64_t>::max();

// Wind component against the course (m/s; negative for a tailwind).
double Headwind(const FlightState& fs, double courseRad);

// Metres lost flying `distance` at the current speed-to-fly; 9999999 when the headwind is as
// strong as the airspeed or stronger.
std::int32_t GlideAltitudeLoss(const FlightState& fs, std::uint32_t distance, double courseRad);
// Time to fly `distance` at the current speed-to-fly (or at `speed` m/s), in 100 ns units;
// kCannotFlyTime (never) when the ground speed would be zero or negative.
std::int64_t TimeToFlyDistance(const FlightState& fs, std::uint32_t distance, double courseRad);
std::int64_t TimeToFlyDistanceAtSpeed(const FlightState& fs, std::uint32_t distance, double courseRad, double speed);

// altitude - safety margin - a - b + QNH offset, metres; saturated at the ends of the int range.
std::int32_t AltitudeBalance(const FlightState& fs, std::int32_t a, std::int32_t b);

// Final glide to a target of `elevation` metres, `distance` metres away on `courseRad`.
// result[0] on entry 1 with a wind below 30 km/h: one altitude (MacCready 0) in result[1].
// Otherwise result[1..4] hold the altitudes for MacCready 0..3 m/s and result[0] the index of the
// smallest loss; a leg that cannot be flown holds 9999999 (required mode) or -9999999 (arrival
// mode). Altitudes are shown in metres rounded down to tens, or with `feet` in feet
// (x 3.2808) rounded down to tens. Returns 1.
int FinalGlideCalc(const FlightState& fs, std::int32_t elevation, std::uint32_t distance, double courseRad,
                   std::int32_t result[5], bool feet);

}  // namespace cumulor
