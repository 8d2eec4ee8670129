// The label text of a point: its name cut to the label length and, by the settings, the glide
// ratio needed to reach it or the height it would be reached with.
#pragma once

#include <cstdint>
#include <string>

#include "cumulor/app/base/geo_point.h"
#include "cumulor/nav/polar/flight_state.h"

namespace cumulor {

// The application's label settings.
struct LabelTextSettings {
  std::int32_t labelLen = 0;          // name characters shown; 0 none
  bool useCode = false;               // the identifier instead of the name
  bool glideRatioMode = false;        // the glide ratio instead of the arrival height
  bool labelsFlag = false;            // the menu's labels switch
  bool highResolution = false;
  std::int32_t altitudeUnit = 1;      // 1 m, 2 ft
  std::u16string unitText = u"m";
};

// Drawing mode of a label: within reach, else plain.
inline constexpr int kLabelPlain = 0;
inline constexpr int kLabelInReach = 2;

struct PointLabelText {
  std::u16string text;
  int mode = kLabelPlain;
};

// The first labelLen characters of the name (or code with useCode); empty with a label length of
// 0 or below, or without a text.
std::u16string LabelName(const LabelTextSettings& settings, const char* name, const char* code);
// The arrival text for an arrival height and MacCready index: below 1 the name alone (plain);
// otherwise within reach, and the name alone while the labels switch is off at a scale above 20
// (50 on a high-resolution screen), else "name:height unit" with the height cut to tens, and
// "@Mc<index>" when the index is not 0.
PointLabelText ArrivalLabelText(const LabelTextSettings& settings, const std::u16string& name, std::int32_t height,
                                std::int32_t macCreadyIndex, std::int32_t frameScale);
// The label of a point at `position` with `elevation` metres, seen from `own`. In glide-ratio mode
// a ratio below the flight state's glide ratio counts as within reach.
PointLabelText BuildPointLabelText(const LabelTextSettings& settings, const FlightState& fs, std::int32_t frameScale,
                                   const GeoPoint& position, const char* name, const char* code, const GeoPoint& own,
                                   std::int32_t elevation);

}  // namespace cumulor
