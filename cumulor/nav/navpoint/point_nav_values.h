// Navigation values to one point from the current GPS status: distance, true and magnetic bearing,
// ground speed, magnetic track and the turn to head for the point, as numbers or display texts.
#pragma once

#include <cstdint>

#include "cumulor/data/points/point_db.h"
#include "platform/base/types.h"

namespace cumulor {

struct EngineContext;

// The outputs wanted; a null pointer skips that output. The texts live in buffers of the calling
// thread that the next call overwrites.
struct PointNavOutputs {
  std::uint32_t* distance = nullptr;       // metres
  double* bearing = nullptr;               // true bearing, radians
  const WCHAR** distanceText = nullptr;    // in the current distance unit
  const WCHAR** speedText = nullptr;       // "%d" kn or km/h; "SIM" while simulating without a replay
  const WCHAR** bearingText = nullptr;     // magnetic bearing, "%d°"
  const WCHAR** trackText = nullptr;       // magnetic track, "%d°"
  const WCHAR** turnText = nullptr;        // "%d°»" to the right, "«%d°" to the left
};

// On task (the task started) with a cylinder on-task rule the distance is that much shorter (not
// below 0). Airports bring their own variation; other points take the GPS status's.
void PointNavValues(EngineContext& app, const PointRef& point, const PointNavOutputs& out);

}  // namespace cumulor
