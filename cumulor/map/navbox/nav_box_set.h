// The navigation boxes: 34 framed text panels over the map (slot 0 is never shown). So far the
// texts of each box and the set's visibility; layout, drawing, pen handling and the "NavBar"
// element come with the boxes' own module.
#pragma once

#include <cstdint>

#include "platform/base/types.h"

namespace cumulor {

inline constexpr std::int32_t kNavBoxCount = 34;

struct NavBox {
  std::uint8_t greyed = 0;      // drawn grey until a new value arrives
  std::uint8_t titleDirty = 0;  // the whole box must be redrawn
  WCHAR title[16] = {};         // at most 15 characters
  WCHAR value[12] = {};         // at most 11 characters
  WCHAR unit[14] = {};          // at most 13 characters
  std::int32_t number = 0;
};

struct NavBoxSet {
  NavBox box[kNavBoxCount];
  std::uint8_t hidden = 0;      // the boxes are hidden (the wind profile view is shown)
  std::uint8_t changed = 0;     // some box changed since the last frame
};

void NavBoxSetInit(NavBoxSet& set);
void NavBoxSetTerm(NavBoxSet& set);
// Copies each non-null text into box `number` (title cut to 15 characters, value to 11, unit to
// 13); a new value clears the greyed flag. Marks the box for a full redraw and the set as changed.
// A number outside 0..33 changes nothing.
void NavBoxSetTexts(NavBoxSet& set, std::int32_t number, const WCHAR* title, const WCHAR* value, const WCHAR* unit);
void NavBoxSetValue(NavBoxSet& set, std::int32_t number, const WCHAR* value);
// Hides the boxes (the previous state is kept for the next show).
void NavBoxSetHide(NavBoxSet& set);
// Removes links to hidden boxes and links that are not mutual (no links are kept yet).
void NavBoxSetRepairLinks(NavBoxSet& set);

}  // namespace cumulor
