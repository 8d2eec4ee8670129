// A synthetic glider flight as an IGC file: glides and thermals in a chosen area, of a chosen
// length and fix interval, from a fixed seed (the same options give the same bytes).
#pragma once

#include <cstdint>
#include <string>

namespace flightgen {

struct Options {
  double latitude = 47.2667;     // degrees, the centre of the area (north positive)
  double longitude = 11.35;      // degrees (east positive)
  double radiusKm = 20.0;        // the glider stays within this distance of the centre
  int minutes = 60;              // length of the flight
  int interval = 1;              // seconds between fixes
  int startSeconds = 12 * 3600;  // UTC time of the first fix (near 86400 to cross midnight)
  int day = 1, month = 6, year = 2026;
  std::uint32_t seed = 1;
};

// The whole file: A, H and I records, one B record per fix (validity 'A', pressure and GPS
// altitude, true track and ground speed in the TRT and GSP extensions), CR LF line ends.
std::string GenerateFlight(const Options& options);

// Reads "--name value" options into `out`; false with a message for an unknown or bad one.
bool ParseOptions(int argc, const char* const* argv, Options& out, std::string& file, std::string& message);

}  // namespace flightgen
