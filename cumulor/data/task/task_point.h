// TaskPoint: a point of a task, the direct target or the navigation target.
#pragma once

#include <cstdint>

namespace cumulor {

struct TaskPoint {
  std::int32_t kind = 0;        // PointKind of the referenced point; kind 0 index 0: empty
  std::int32_t index = 0;       // index in that kind's table
  std::int32_t lon = 0;         // the stored copy of the position (the flown point of an area)
  std::int32_t lat = 0;
  std::int32_t minRadius = 0;
  std::int32_t maxRadius = 0;   // above 0: an area point
  std::int32_t startRadial = 0; // whole degrees, kept as 16 bits in stored images
  std::int32_t endRadial = 0;
};

// Kind, index, both radii and both radials to 0; the position is left as it is.
inline void TaskPointInit(TaskPoint& point) {
  point.kind = point.index = 0;
  point.minRadius = point.maxRadius = 0;
  point.startRadial = point.endRadial = 0;
}

}  // namespace cumulor
