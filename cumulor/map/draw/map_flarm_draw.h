// FLARM traffic on the map: the alarm target and the targets of the traffic table.
#pragma once

#include "platform/gdi/gdi.h"

namespace cumulor {

struct MapView;
struct FlarmStatus;
struct FlarmTarget;

// The alarm target: a marker by alarm level (a square for alarm type 3, else a circle) and
// "+vertical/distance m" beside it.
void MapDrawFlarmTarget(MapView& view, HDC dc, const FlarmStatus& status);
// One target of the table at its projected screen points: its vertical (and climb when it is
// circling), its id, its track and its marker. A negative `side` puts the texts on the left.
void MapDrawFlarmInfo(MapView& view, HDC dc, const FlarmTarget& target, int side);

}  // namespace cumulor
