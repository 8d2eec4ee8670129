#include "cumulor/nav/terrain/terrain_clearance.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <mutex>

#include "cumulor/app/base/number_text.h"
#include "cumulor/app/base/xml_node.h"
#include "cumulor/data/aero/tile_cache.h"
#include "cumulor/nav/geo/geodesy.h"

namespace cumulor {

namespace {

struct Profile {
  std::mutex lock;
  std::vector<ProfileSample> samples;
  bool valid = false;
  std::int32_t minimumClearance = kNoClearance;
  std::int32_t minimumIndex = 0;
  std::atomic<std::int32_t> margin{200};
};

Profile& TheProfile() {
  static Profile profile;
  return profile;
}

ProfileSample Sample(double lon, double lat, std::int32_t altitude) {
  ProfileSample s;
  s.position = {static_cast<std::int32_t>(std::trunc(lon)), static_cast<std::int32_t>(std::trunc(lat))};
  s.altitude = altitude;
  return s;
}

void AddLeg(Profile& p, std::int32_t h0, const GeoPoint& a, const GeoPoint& b, std::int32_t loss, std::int32_t n) {
  if (n <= 0) return;
  const double stepLon = (static_cast<double>(b.lon) - a.lon) / n;
  const double stepLat = (static_cast<double>(b.lat) - a.lat) / n;
  const std::int32_t s = loss / n;
  p.samples.push_back(Sample(a.lon, a.lat, h0));
  for (std::int32_t i = 0; i < n; ++i)
    p.samples.push_back(Sample(a.lon + i * stepLon, a.lat + i * stepLat, h0 - (i + 1) * s));
  p.samples.push_back(Sample(b.lon, b.lat, h0 - loss));
}

}  // namespace

void SetTerrainSafetyMargin(std::int32_t metres) { TheProfile().margin = metres; }
std::int32_t TerrainSafetyMargin() { return TheProfile().margin; }

void SaveTerrainMargin(XmlNode& settings) { settings.AddChildInt("TerrainSafetyMargin", TheProfile().margin); }

void LoadTerrainMargin(const XmlNode& settings) {
  std::int32_t value = 0;
  if (settings.GetChildInt("TerrainSafetyMargin", value)) TheProfile().margin = value;
}

void BuildTerrainProfile(std::int32_t altitude, const GeoPoint& from, const GeoPoint& to, std::int32_t altitudeLoss,
                         std::int32_t distance) {
  Profile& p = TheProfile();
  std::lock_guard<std::mutex> guard(p.lock);
  p.valid = false;
  p.samples.clear();
  AddLeg(p, altitude, from, to, altitudeLoss, std::max(distance / kProfileStep, 1));
}

void ExtendTerrainProfile(const GeoPoint& from, const GeoPoint& to, std::int32_t altitudeLoss, std::int32_t distance) {
  Profile& p = TheProfile();
  std::lock_guard<std::mutex> guard(p.lock);
  if (p.samples.empty()) return;  // no first leg to continue from
  AddLeg(p, p.samples.back().altitude, from, to, altitudeLoss, distance / kProfileStep);
}

int FindProfileMinimum() {
  Profile& p = TheProfile();
  std::lock_guard<std::mutex> guard(p.lock);
  p.valid = false;
  p.minimumIndex = 0;
  for (std::size_t i = 0; i < p.samples.size(); ++i) {
    ProfileSample& s = p.samples[i];
    if (!TerrainElevationAt(AeroTiles(), s.position, s.terrain)) return 0;
    s.clearance = s.altitude - s.terrain;
    if (s.clearance < p.samples[static_cast<std::size_t>(p.minimumIndex)].clearance) p.minimumIndex = static_cast<std::int32_t>(i);
  }
  if (p.samples.empty() || p.minimumIndex == 0) {
    p.minimumClearance = kNoClearance;
    return 0;
  }
  p.minimumClearance = p.samples[static_cast<std::size_t>(p.minimumIndex)].clearance;
  p.valid = true;
  return 1;
}

int GetTerrainClearance(std::int32_t& out) {
  Profile& p = TheProfile();
  std::lock_guard<std::mutex> guard(p.lock);
  if (!p.valid) return 0;
  const std::int32_t metres = p.minimumClearance - p.margin;
  out = FormatUnits().altitude == kUnitFeet ? RoundToInt(metres * 3.2808) : metres;
  return 1;
}

TerrainProfileView TerrainProfile() {
  Profile& p = TheProfile();
  std::lock_guard<std::mutex> guard(p.lock);
  return TerrainProfileView{p.samples, p.minimumIndex, p.minimumClearance, p.valid};
}

void SetProfileScreenPoint(std::int32_t index, std::int32_t x, std::int32_t y) {
  Profile& p = TheProfile();
  std::lock_guard<std::mutex> guard(p.lock);
  if (index < 0 || static_cast<std::size_t>(index) >= p.samples.size()) return;
  p.samples[static_cast<std::size_t>(index)].screenX = x;
  p.samples[static_cast<std::size_t>(index)].screenY = y;
}

}  // namespace cumulor
