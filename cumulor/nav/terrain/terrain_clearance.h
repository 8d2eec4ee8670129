// Terrain clearance along the course: a glide profile over the remaining task legs, a sample every
// 750 m with the altitude the glider will have there, and the sample with the least clearance over
// the terrain of the tile cache. The setting "TerrainSafetyMargin" (metres, default 200) is
// subtracted from that clearance.
//
// Built on the notify thread; the navigation boxes and the drawing read it. A lock guards the
// profile.
#pragma once

#include <cstdint>
#include <vector>

#include "cumulor/app/base/geo_point.h"

namespace cumulor {

class XmlNode;

struct ProfileSample {
  GeoPoint position;
  std::int32_t altitude = 0;    // metres, planned
  std::int32_t terrain = 0;     // metres
  std::int32_t clearance = 0;   // altitude - terrain
  std::int32_t screenX = 0;     // pixels, filled when drawn
  std::int32_t screenY = 0;
};

inline constexpr std::int32_t kProfileStep = 750;      // metres between samples
inline constexpr std::int32_t kNoClearance = -99999;

void SetTerrainSafetyMargin(std::int32_t metres);
std::int32_t TerrainSafetyMargin();
// The element "TerrainSafetyMargin"; a missing element keeps the current value.
void SaveTerrainMargin(XmlNode& settings);
void LoadTerrainMargin(const XmlNode& settings);

// Starts the profile with the first leg, from `from` at `altitude` to `to`, losing altitudeLoss
// over distance metres: max(distance / 750, 1) steps.
void BuildTerrainProfile(std::int32_t altitude, const GeoPoint& from, const GeoPoint& to, std::int32_t altitudeLoss,
                         std::int32_t distance);
// Adds a further leg from the last sample's altitude: distance / 750 steps (none below 750 m).
void ExtendTerrainProfile(const GeoPoint& from, const GeoPoint& to, std::int32_t altitudeLoss, std::int32_t distance);
// Looks up the terrain under every sample; 1 when a minimum other than the first sample was found
// (the profile is then valid), 0 when a sample has no terrain or the first sample is the minimum.
int FindProfileMinimum();
// 1 with the minimum clearance less the margin, in metres, or feet when the altitude unit is feet;
// 0 when the profile is not valid.
int GetTerrainClearance(std::int32_t& out);

// A copy of the profile, the index of its minimum sample and the minimum clearance.
struct TerrainProfileView {
  std::vector<ProfileSample> samples;
  std::int32_t minimumIndex = 0;
  std::int32_t minimumClearance = kNoClearance;
  bool valid = false;
};
TerrainProfileView TerrainProfile();
// Stores where a sample was drawn.
void SetProfileScreenPoint(std::int32_t index, std::int32_t x, std::int32_t y);

}  // namespace cumulor
