// The FLARM status (the most important alarm) and the traffic table's slots, as the sentence
// parsers fill them and the map draws them.
#pragma once

#include <cstdint>

#include "cumulor/app/base/geo_point.h"

namespace cumulor {

struct FlarmStatus {
  std::uint32_t lastUpdate = 0;        // tick of the last status sentence
  std::int32_t receive = 0;
  std::int32_t transmit = 0;
  std::int32_t gps = 0;
  std::int32_t power = 0;
  std::int32_t relativeBearing = 0;    // degrees, -180..180
  std::int32_t relativeVertical = 0;   // metres; negative: below
  std::int32_t relativeDistance = 0;   // metres
  std::int32_t alarmLevel = 0;         // 0..3
  std::int32_t alarmType = 0;          // 2: aircraft alarm
  GeoPoint position;                   // computed target position
  std::uint8_t valid = 0;
};

inline constexpr int kFlarmTrackPoints = 5;
inline constexpr int kFlarmSlots = 20;

struct FlarmScreenPoint {
  std::int32_t x = 0;
  std::int32_t y = 0;
};

struct FlarmTarget {
  std::uint32_t lastSeen = 0;          // 0: a free slot
  std::int32_t alarmLevel = 0;
  GeoPoint positions[kFlarmTrackPoints];  // newest first
  FlarmScreenPoint screen[kFlarmTrackPoints];
  std::int32_t positionCount = 0;      // 0..5
  std::int32_t distance = 0;           // metres
  std::int32_t relativeVertical = 0;
  std::int32_t idType = 0;
  std::int32_t track = 0;              // degrees
  std::int32_t aircraftType = 0;
  char id[7] = {};
  float turnRate = 0.0f;
  float groundSpeed = 0.0f;
  float climbRate = 0.0f;
  std::uint8_t valid = 0;
  std::uint8_t noTrack = 0;
};

}  // namespace cumulor
