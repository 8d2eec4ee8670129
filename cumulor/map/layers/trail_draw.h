// The trail on the map: the drawn list as a line, and the live optimisation's path with its start
// icon. Both run on whichever thread renders the frame, under the main lock and then the trail
// lock.
#pragma once

#include <atomic>
#include <cstdint>

#include "cumulor/map/view/map_view.h"
#include "platform/gdi/gdi.h"

namespace cumulor {

// The drawn list as a polyline (trail pen by the trail mode); nothing while `stopping` is set or
// while the line is switched off.
void TrailDrawSimplified(const MapView& view, HDC dc, bool stopping);
// The live optimisation's path (when its display is on and it has two points or more) with the
// start icon 8 pixels left of and 16 above the start point; during a replay the path's first
// segment in the second pen. `module` holds icon 210.
void TrailDraw(const MapView& view, HDC dc, HINSTANCE module, bool replaying);

}  // namespace cumulor
