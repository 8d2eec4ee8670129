// Measuring, placing and laying out the navigation boxes: rows from the bottom-left corner, chains
// of docked boxes, docking and the drop of a dragged box onto others.
#pragma once

#include <cstdint>

#include "cumulor/map/navbox/nav_box_set.h"

namespace cumulor {

inline std::int32_t NavBoxHeight(const NavBox& b) { return b.extent.bottom; }
inline std::int32_t NavBoxWidth(const NavBox& b) { return b.width; }

// The texts' extents in their fonts (title role 3 and value role 4 when 0, the unit role 11).
void NavBoxMeasure(NavBoxSet& set, std::int32_t number);
// Puts the box with its bottom-left corner at (x, y). Unless forced, refused (false, nothing
// changes) when x + width passes `limit`.
bool NavBoxPlace(NavBox& box, std::int32_t x, std::int32_t y, bool forced, std::int32_t limit = 0);
// Every shown box 1..33 in order; see the module notes in the source. Marks the set changed.
void NavBoxLayout(NavBoxSet& set, bool dockAsYouGo);
// The anchor's column (lower links) below it and the row (right links) of each box of it.
void NavBoxLayoutChain(NavBoxSet& set, std::int32_t anchor);
// Docking `box` to the right of / below `to`. Refused (false) when `to` hangs in the box's own
// chain, which would close a cycle.
bool NavBoxDockRight(NavBoxSet& set, std::int32_t to, std::int32_t box);
bool NavBoxDockBelow(NavBoxSet& set, std::int32_t to, std::int32_t box);
// The drop of a dragged box onto the boxes its rect meets (docking by overlap).
void NavBoxDrop(NavBoxSet& set, std::int32_t box);

}  // namespace cumulor
