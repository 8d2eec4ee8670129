// The pen on the boxes: dragging a box (an outline follows the pen; the drop docks it by overlap),
// the appearance button that shows after a drop, and the two boxes that act as buttons ("Start"
// 21 and "Radial" 32). Each returns true when the pen was used by the boxes (the map then ignores
// it). Hidden boxes take no pen.
#pragma once

#include <cstdint>

#include "cumulor/map/navbox/nav_box_set.h"

namespace cumulor {

// A box moved by less than this in both directions keeps its links.
inline constexpr std::int32_t kNavBoxMoveThreshold = 10;

bool NavBoxPenDown(NavBoxSet& set, std::int32_t x, std::int32_t y);
bool NavBoxPenMove(NavBoxSet& set, std::int32_t x, std::int32_t y);
bool NavBoxPenUp(NavBoxSet& set, std::int32_t x, std::int32_t y);

}  // namespace cumulor
