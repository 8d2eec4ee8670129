// The start and finish zones of the task on the map: the start while the start is not yet behind
// the glider, the finish once a point was achieved, each drawn by its rule's type (sector, circle
// or gate line).
#pragma once

#include "cumulor/map/view/map_view.h"
#include "platform/gdi/gdi.h"

namespace cumulor {

void DrawStartFinishZones(MapView& view, HDC dc, bool highResolution);

}  // namespace cumulor
