// The information texts of a point (the lines the point-information list shows), the name tables
// they use, the circling-text substitution and a point's elevation.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "cumulor/data/points/point_db.h"

namespace cumulor {

// Name tables; an index outside a table gives "?".
const char* SurfaceName(std::int32_t i);
const char* FrequencyTypeName(std::int32_t i);
const char* RemarkTypeName(std::int32_t i);
const char* NavaidTypeName(std::int32_t i);
const char* AirportUseName(std::uint32_t flags);

// Metres: airports and user waypoints convert their feet (truncated); the other kinds have no
// elevation field and answer 0 (sea level), which their callers can subtract and show.
std::int32_t PointElevation(const PointRef& ref);

// Replaces every "CIRCLE" followed by a digit n (0..4) whose circling text exists by that text,
// in one forward pass: an inserted text is not searched again.
std::string ExpandCircleText(const std::string& text, const std::string* const circling[5]);

// What the texts need of the rest of the program.
struct PointInfoEnv {
  bool altitudeFeet = false;                  // the altitude unit is feet
  bool distanceKm = true;                     // the distance unit is kilometres
  bool climbKnots = false;
  std::u16string altitudeUnit = u"m";
  struct Arrival {
    bool ok = false;
    std::u16string distance, distanceUnit;
    std::int32_t bearing = 0;
    std::int32_t altitude[3] = {};            // at MacCready 0, first and second step
  };
  std::function<Arrival(const PointRef&)> arrival;
  std::function<std::u16string(const GeoPoint&)> positionText;
  std::function<std::string(std::uint32_t flags)> flagLetters;
};

// The lines of the point's information text (an invalid reference gives none).
std::vector<std::u16string> PointInfoLines(const PointRef& ref, const PointInfoEnv& env);

}  // namespace cumulor
