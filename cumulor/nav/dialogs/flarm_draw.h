// The map frame's FLARM step: ages the traffic table, projects and draws the live targets, draws
// the alarm target and raises its voice alarm. Runs inside the frame render (the caller holds the
// main lock) on whichever thread renders the frame.
#pragma once

#include "cumulor/app/base/geo_point.h"
#include "platform/base/types.h"

namespace cumulor {

struct AppContext;
struct MapView;
struct FlarmTraffic;

// Projects every live slot's positions to screen points. The caller holds the traffic lock.
void FlarmProjectTargets(FlarmTraffic& traffic, const MapView& view);
// Targets seen within the last 120 s are projected and drawn (texts on the side of the aircraft
// they are on), older ones are cleared; a valid status draws the alarm target and, at alarm level
// 2 or more of an aircraft alarm (type 2), plays the voice alarm.
void FlarmDrawTargets(MapView& view, HDC dc, const GeoPoint& ownPosition);
// The same into the application's frame, from the own position of the GPS input.
void FlarmDrawTargets(AppContext& app);

}  // namespace cumulor
