// AirspaceShape: one airspace of an airspace text file, as the parser stores it in its class group
// and the alarms, texts and map drawing read it.
#pragma once

#include <atomic>
#include <cstdint>

#include "cumulor/app/base/dyn_array.h"
#include "cumulor/app/base/geo_point.h"
#include "platform/base/types.h"

namespace cumulor {

// A box {west, north, east, south} in GeoPoint units.
struct AirspaceBounds {
  std::int32_t west = 0;
  std::int32_t north = 0;
  std::int32_t east = 0;
  std::int32_t south = 0;
};

// The box of the outline's own points (the points the alarm test measures), set when the shape is
// stored. lonBounded is 0 when an edge spans more than 180 degrees of longitude (it is measured the
// other way round, across the 180th meridian): then only the latitudes bound the outline.
struct AirspacePointBox {
  std::int32_t west = 0;
  std::int32_t north = 0;
  std::int32_t east = 0;
  std::int32_t south = 0;
  std::uint8_t set = 0;
  std::uint8_t lonBounded = 0;
};

inline constexpr std::uint32_t kAirspaceOffForTheDay = 0xFFFFFFFFu;

struct AirspaceShape {
  WCHAR name[48] = {};
  WCHAR ceilingText[26] = {};
  WCHAR floorText[26] = {};
  std::int32_t ceiling = 0;              // feet; negative: minus a pressure altitude (flight level)
  std::int32_t floor = 0;
  std::int32_t pointCount = 0;
  DynArray<GeoPoint> points;             // pointCount points and a spare slot to close the polygon
  AirspaceBounds bounds;
  AirspacePointBox pointBox;
  DynArray<RECT> labelRects;             // screen rectangles of the labels drawn, one per label point
  std::int32_t labelCount = 0;           // labels drawn in the last frame
  std::uint16_t zoomLimit = 1000;
  std::uint8_t inView = 1;
  std::uint8_t transparent = 0;
  DynArray<GeoPoint> labelPoints;
  std::uint32_t switchedOffUntil = 0;    // 0 active, kAirspaceOffForTheDay, else the tick it ends
  std::int32_t id = 0;
  // The alarm test's figures, left as they were by a test that passed the shape over as too far
  // to matter (only the nearest shape's are read).
  std::int32_t verticalState = 0;
  std::int32_t verticalDistance = 0;
  std::int32_t horizontalDistance = 0;
  float proximity = 0.0f;
};

// Fills shape.pointBox from the first pointCount points.
inline void SetAirspacePointBox(AirspaceShape& shape) {
  AirspacePointBox box;
  const GeoPoint* p = shape.points.Data();
  if (p != nullptr && shape.pointCount > 0) {
    box = {p[0].lon, p[0].lat, p[0].lon, p[0].lat, 1, 1};
    for (std::int32_t i = 1; i < shape.pointCount; ++i) {
      if (p[i].lon < box.west) box.west = p[i].lon;
      if (p[i].lon > box.east) box.east = p[i].lon;
      if (p[i].lat > box.north) box.north = p[i].lat;
      if (p[i].lat < box.south) box.south = p[i].lat;
      const std::int64_t step = static_cast<std::int64_t>(p[i].lon) - p[i - 1].lon;
      if (step > 180 * 36000 || step < -180 * 36000) box.lonBounded = 0;
    }
  }
  shape.pointBox = box;
}

// The switch-off word is written by the alarm dialogs under the airspace lock while frames read it
// under the main lock, so both sides go through these.
inline std::uint32_t SwitchedOffUntil(const AirspaceShape& shape) {
  return std::atomic_ref<std::uint32_t>(const_cast<std::uint32_t&>(shape.switchedOffUntil)).load(std::memory_order_relaxed);
}
inline void SetSwitchedOffUntil(AirspaceShape& shape, std::uint32_t until) {
  std::atomic_ref<std::uint32_t>(shape.switchedOffUntil).store(until, std::memory_order_relaxed);
}

}  // namespace cumulor
