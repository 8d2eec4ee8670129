// GpsFix: one fix as the sentence parsers fill it and the fix history keeps it, newest first.
#pragma once

#include <cstdint>

#include "cumulor/app/base/geo_point.h"

namespace cumulor {

struct GpsFix {
  GeoPoint position;
  std::uint32_t timeOfDay = 0;        // UTC seconds since midnight (local time in the simulator)
  float groundSpeed = 0.0f;           // knots
  float airspeed = 0.0f;              // knots, from instruments (the ground speed in the simulator)
  std::uint16_t track = 0;            // whole degrees
  std::int16_t pressureAltitude = 0;  // metres
  std::int16_t gpsAltitude = 0;       // metres
  float verticalSpeed = 0.0f;         // m/s
  std::uint8_t mark = 0;              // set per source
  // Local clock of the fix, filled by the IGC file reader.
  std::uint8_t localHour = 0;
  std::uint8_t localMinute = 0;
  std::uint8_t localSecond = 0;
};

}  // namespace cumulor
