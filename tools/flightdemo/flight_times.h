// The times of an IGC flight's valid B records, for choosing moments of the flight.
#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

struct FlightTimes {
  std::uint32_t first = 0;  // seconds of the day of the first valid fix
  std::uint32_t last = 0;   // of the last one (counted on past midnight: may exceed 86400)
  std::int32_t fixes = 0;
  std::vector<std::uint32_t> all;  // every fix's time, counted on past midnight
  // The time a part (0..1) of the way through the flight, wrapped into the day.
  std::uint32_t At(double part) const;
};

// Reads every B record with validity "A"; false when the file has none.
bool ReadFlightTimes(const std::filesystem::path& file, FlightTimes& out);
