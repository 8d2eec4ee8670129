// Copies of the trail's two lists, read the way the map reads them (under the trail lock).
#pragma once

#include <cstdint>
#include <vector>

#include "cumulor/data/trail/trail.h"

namespace cumulor {

inline std::vector<TrailPoint> FullTrail() {
  std::vector<TrailPoint> out;
  TrailVisitPoints([&](const TrailPoint* p, std::int32_t n) { out.assign(p, p + n); });
  return out;
}

inline std::vector<TrailPoint> DrawnTrail() {
  std::vector<TrailPoint> out;
  TrailVisitDrawn([&](const TrailPoint* p, std::int32_t n) { out.assign(p, p + n); });
  return out;
}

}  // namespace cumulor
