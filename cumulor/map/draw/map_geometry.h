// Arc and sector builders: positions around a centre, projected into the view's 2100-point buffer.
// The buffer never holds more than 2100 points; further points are dropped.
#pragma once

#include <cstdint>

#include "cumulor/app/base/geo_point.h"

namespace cumulor {

struct MapView;

// Points at `radius` metres from `centre` from bearing `start` to bearing `end` (whole degrees,
// low 16 bits taken), clockwise (direction 1) or counter-clockwise (-1), one per arc step, then
// the end bearing's point. Equal bearings make a full circle. Without `append` the buffer restarts.
void MapBuildArc(MapView& view, int direction, std::int32_t start, std::int32_t end, const GeoPoint& centre,
                 std::uint32_t radius, bool append);
// The buffer restarts; with `withCentre` the projected centre comes first; then the points from
// `start` to `end` (radians, clockwise from north; wrapping at 2 pi) in arc steps, then `end`.
void MapBuildSector(MapView& view, const GeoPoint& centre, std::uint32_t radius, double start, double end,
                    bool withCentre);

}  // namespace cumulor
