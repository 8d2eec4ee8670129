// The links between navigation boxes: rows (right and left neighbours) and columns (lower and upper
// neighbours). A link is mutual, never leads to a box that is off or to the box itself, and rows
// and columns end: the repair restores this after any change and every walk stops after 33 steps.
#pragma once

#include <cstdint>

#include "cumulor/map/navbox/nav_box_set.h"

namespace cumulor {

inline std::int32_t NavRight(const NavBox& b) { return b.d1[2]; }
inline std::int32_t NavLower(const NavBox& b) { return b.d1[3]; }
inline std::int32_t NavLeft(const NavBox& b) { return b.d2[0]; }
inline std::int32_t NavUpper(const NavBox& b) { return b.d2[1]; }

// The links of a box read back sound: numbers of 34 or more and links to itself read as 0, and
// the bytes that are always 0 are cleared.
void NavBoxSanitizeLinks(NavBox& box);

// The last box of a box's row (following right links) and column (following lower links).
std::int32_t NavBoxRowEnd(const NavBoxSet& set, std::int32_t number);
std::int32_t NavBoxColumnEnd(const NavBoxSet& set, std::int32_t number);
// The first box of the chain the box hangs in (following left and upper links).
std::int32_t NavBoxChainRoot(const NavBoxSet& set, std::int32_t number);
// True when `target` is the box itself or is reached from it through right and lower links.
bool NavBoxReaches(const NavBoxSet& set, std::int32_t from, std::int32_t target);

// Cuts the box's left and upper links on both sides; with `full` its right and lower ones too.
void NavBoxUndock(NavBoxSet& set, std::int32_t number, bool full);

}  // namespace cumulor
