// Recorded flights as the recorder stores them: the binary record stream of one flight, its
// security block and its directory records, generated from a list of fixes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vlemu {

using Bytes = std::vector<std::uint8_t>;

struct GenFix {
  std::int32_t latitude = 0, longitude = 0;  // 1/60000 degree
  std::int32_t pressureValue = 3000;         // 12 bits
  std::int32_t altitudeValue = 150;          // GPS altitude: (value - 100) x 10 m
  std::int32_t accuracy = 3, noise = 40;
  bool valid = true;
  std::int32_t seconds = 1;  // after the record before
};

struct GenFlight {
  std::uint16_t serial = 291;
  std::string pilot = "PILOT ONE";
  std::string gliderType = "LS8", gliderId = "D-1234";
  std::int32_t year = 2026, month = 6, day = 1;
  std::int32_t startSecondOfDay = 36000;
  std::vector<GenFix> fixes;
  bool takeoffEvent = true;   // after the second fix
  bool pilotEvent = true;     // after the third fix
  Bytes security;             // 41 bytes
};

// A flight of `count` fixes starting at the given position, full and differential fixes mixed.
GenFlight MakeFlight(std::int32_t count, std::int32_t latitude, std::int32_t longitude, std::uint8_t seed);
// The flight's record stream, up to and including its end-record byte.
Bytes FlightStream(const GenFlight& flight);
// The flight's records in the directory stream.
Bytes DirectoryRecords(const GenFlight& flight);
// Duration of the flight in seconds.
std::int32_t FlightSeconds(const GenFlight& flight);

}  // namespace vlemu
