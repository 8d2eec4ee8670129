#include "cumulor/data/tiles/tile_range.h"

namespace cumulor {

namespace {

std::int32_t Degree(std::int32_t v, std::int32_t floor) {
  std::int32_t d = v / 36000;
  if (v < 0) --d;
  return d < floor ? floor : d;
}

}  // namespace

TileRange TileRangeFor(const TileRange& box) {
  return TileRange{Degree(box.west, -180), Degree(box.north, -90), Degree(box.east, -180), Degree(box.south, -90)};
}

bool RangesOverlap(const TileRange& a, const TileRange& b) {
  return a.west <= b.east && b.west <= a.east && a.south <= b.north && b.south <= a.north;
}

}  // namespace cumulor
