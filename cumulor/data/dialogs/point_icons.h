// The point image list: the 16 x 16 icons of the point kinds (navaids, intersections, user
// waypoints, airports with and without a runway direction) for the point lists and the map.
#pragma once

#include <cstdint>

#include "platform/base/types.h"
#include "platform/controls/commctrl.h"

namespace cumulor {

// Images in list order: 0 and 1 navaids (VOR kinds, NDB kinds), 2 unused, 3 intersection, 4 user
// waypoint, 5 airport without a runway direction, 6 German-supplement airport, 7 to 14 airports
// whose main runway points north, north-east ... north-west.
inline constexpr std::int32_t kPointImageCount = 15;

// A new image list of `count` icons of the module's resources at `size` pixels, in the order of
// `ids`; an icon that cannot be loaded leaves an empty image so the later indexes keep their place.
// The caller destroys it.
HIMAGELIST CreateIconImageList(HINSTANCE module, const int* ids, int count, int size);
// A new image list with the point icons of the module's resources; an icon that cannot be loaded
// leaves an empty image so the later indexes keep their place. The caller destroys it.
HIMAGELIST CreateWaypointImageList(HINSTANCE module);

// Creates the program's point image list once and switches on the map's point and label display
// bits (0, 3, 5 and 6) in `displayFlags`.
void InitWaypointIcons(HINSTANCE module, std::uint32_t& displayFlags);
// The program's point image list (null before InitWaypointIcons); FreeWaypointIcons destroys it.
HIMAGELIST WaypointImageList();
void FreeWaypointIcons();

// The image of a point kind in the list: airports 5, navaids 0, intersections 3, user waypoints 4;
// -1 for other kinds.
std::int32_t PointKindImage(std::int32_t kind);

// Draws image n of the program's list with its top left corner at (x, y); nothing without a list
// or for an index outside it.
void DrawPointIcon(HDC dc, std::int32_t n, int x, int y);

}  // namespace cumulor
