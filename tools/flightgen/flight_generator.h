// A synthetic glider flight as an IGC file: glides and thermals in a chosen area, of a chosen
// length and fix interval, from a fixed seed (the same options give the same bytes).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace flightgen {

// A turnpoint of a task flight, in degrees (north and east positive).
struct Turnpoint {
  double latitude = 0.0;
  double longitude = 0.0;
};

struct Options {
  double latitude = 47.2667;     // degrees, the centre of the area (north positive)
  double longitude = 11.35;      // degrees (east positive)
  double radiusKm = 20.0;        // the glider stays within this distance of the centre
  int minutes = 60;              // length of the flight
  int interval = 1;              // seconds between fixes
  int startSeconds = 12 * 3600;  // UTC time of the first fix (near 86400 to cross midnight)
  int day = 1, month = 6, year = 2026;
  std::uint32_t seed = 1;
  // A task: the glider climbs for four minutes 300 m behind the first point, then glides along the
  // first leg (so that it crosses the start line), flies beyond each turnpoint into its 90-degree sector (800 m out on
  // the bisector, reached within 300 m) and on to the last point (reached within 300 m); the
  // flight ends there or after `minutes`, whichever comes first. Empty: the glider wanders in the
  // area round the centre.
  std::vector<Turnpoint> task;
};

// The whole file: A, H and I records, one B record per fix (validity 'A', pressure and GPS
// altitude, true track and ground speed in the TRT and GSP extensions), CR LF line ends.
std::string GenerateFlight(const Options& options);

// Reads "--name value" options into `out`; false with a message for an unknown or bad one.
// "--task LAT,LON/LAT,LON/..." gives the turnpoints (at least two).
bool ParseOptions(int argc, const char* const* argv, Options& out, std::string& file, std::string& message);

}  // namespace flightgen
