// Drawing the navigation boxes into a device context (the frame's back buffer, or the appearance
// dialog's preview), and the window services the set uses: text measuring in the program's fonts,
// the drag outline in inverting mode, the appearance button's icon and dialog.
#pragma once

#include <cstdint>

#include "cumulor/map/navbox/nav_box_set.h"
#include "platform/base/types.h"

namespace cumulor {

inline constexpr int kNavBoxButtonIcon = 215;

// Nothing while the set is hidden, or when nothing changed and the draw is not forced. Draws every
// shown box (grey when greyed, and box 21 while starting is not allowed), the link dots and the
// appearance button while its countdown is 2 or more; clears the changed flag.
void NavBoxSetDraw(NavBoxSet& set, HDC dc, bool force);
// One box by the normal drawing.
void NavBoxDrawBox(const NavBoxSet& set, NavBox& box, HDC dc, bool force);

// WM_LBUTTONDOWN (and WM_LBUTTONDBLCLK), WM_MOUSEMOVE, WM_LBUTTONUP on the map window; true when
// the boxes used the pen.
bool NavBoxSetOnPen(NavBoxSet& set, std::int32_t x, std::int32_t y, UINT message);

// Installs the measuring, drag, icon and appearance-dialog services of the window side; the drag
// draws on, and the appearance dialog is created over, the set's window.
void NavBoxInstallWindowHooks(NavBoxSet& set);

}  // namespace cumulor
