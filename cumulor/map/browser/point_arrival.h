// Bearing, distance and arrival altitude of a point seen from the own position, and the row
// colour the point lists give a point by its arrival altitude.
#pragma once

#include <cstdint>

#include "cumulor/app/base/geo_point.h"
#include "cumulor/data/points/point_db.h"
#include "cumulor/nav/polar/flight_state.h"
#include "platform/base/types.h"

namespace cumulor {

struct PointArrival {
  std::int32_t bearing = 0;      // degrees 0..359
  std::uint32_t distance = 0;    // metres
  std::int32_t altitude = 0;     // metres above the point's elevation on arrival
};

// From `own` to the point: the bearing, the distance and the altitude left over the point's
// elevation after gliding there at the current MacCready with the wind. Unknown altitude or a leg
// that cannot be flown arrive far below (kArrivalUnreachable). False for an invalid point.
inline constexpr std::int32_t kArrivalUnreachable = -9999999;
bool ComputeArrivalAltitude(const FlightState& fs, const GeoPoint& own, const PointRef& ref, PointArrival& out);

// The row colour: green for a landable point reached above the safety altitude, yellow for any
// point reached above 0; CLR_DEFAULT otherwise.
COLORREF PointRowColour(bool landable, std::int32_t arrival, std::int32_t safety);

}  // namespace cumulor
