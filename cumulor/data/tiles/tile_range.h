// Whole-degree tile ranges of boxes given in GeoPoint units.
#pragma once

#include <cstdint>

namespace cumulor {

// {west, north, east, south}: in degrees for a tile range, in GeoPoint units for a box.
struct TileRange {
  std::int32_t west = 0;
  std::int32_t north = 0;
  std::int32_t east = 0;
  std::int32_t south = 0;
};

// The degree range of a box: each edge / 36000 truncated toward zero and, for a negative edge,
// one less (not below -180 for longitudes, -90 for latitudes). A walk starts at {west, south}.
TileRange TileRangeFor(const TileRange& box);
// Whether two ranges (of the same unit) share a tile: they meet on both axes.
bool RangesOverlap(const TileRange& a, const TileRange& b);

}  // namespace cumulor
