// Map position and navigation operations shared by the commands, the pen and the new-fix
// handling: re-centring and repainting, passing a new view on, the map region, position texts,
// the navigation target, marks, MacCready, the wind from the speed vectors, the time to fly a
// distance and the turnpoint-sector test.
#pragma once

#include <cstdint>

#include "cumulor/app/app_context.h"
#include "cumulor/nav/gps/gps_fix.h"

namespace cumulor {

// The own position: the current GPS (or simulator) position.
GeoPoint OwnPosition(AppContext& app);

void RefreshMapWindow(AppContext& app);
void CenterMapOnFix(AppContext& app);
// Under MainLock: the visible data for the view; with vectorStep also the vector map and the
// trail's view; then the in-view flags of the airspace shapes.
void UpdateOwnPosition(AppContext& app, const GeoRect& view, bool vectorStep);
HRESULT SetMapRegion(AppContext& app, const GeoRect& region);
// "%02d:%02d.%03d%c": degrees, minutes, thousandths of a minute, N/S (latitude) or E/W. The
// buffer holds at least 16 characters.
WCHAR* FormatLatLon(std::int32_t value, WCHAR* buffer, bool latitude);
// "%s %s" of latitude and longitude; at least 32 characters.
WCHAR* FormatPosition(const GeoPoint& position, WCHAR* buffer);
// The current and previous target positions and the keep-previous byte.
struct TargetPositions {
  GeoPoint current;
  GeoPoint previous;
  std::uint8_t keepPrevious = 0;
};
TargetPositions& Targets();
void SetNavigationTarget(AppContext& app, TaskPoint target, const GeoPoint* position, std::uint8_t keepPrevious);
// A user waypoint "Mark %d" at the position.
void AddMark(AppContext& app, const GeoPoint& position);
void SetMacCready(AppContext& app, float value);
// 1 with the time in 100-ns units to fly `distance` metres on `course` (radians) by the ETA mode,
// or 0 with a time of 0 when the ETA speed is 0.
int EtaCompute(AppContext& app, std::int64_t& time, std::uint32_t distance, double course);
// The wind from the difference of the ground and air vectors of the fix.
void ComputeWindFromVectors(AppContext& app, const GpsFix& fix, std::int32_t heading);
// The bisector (radians) of a turnpoint's sector: the middle of the bearings from the turnpoint to
// the previous and the next point, turned to face away from the legs.
double SectorBisector(const GeoPoint& turn, const GeoPoint& previous, const GeoPoint& next);
// 1 when the own position counts as inside the current turnpoint's zone, else 0.
int InTurnpointSector(AppContext& app, const GeoPoint& own, std::uint32_t distance);

}  // namespace cumulor
