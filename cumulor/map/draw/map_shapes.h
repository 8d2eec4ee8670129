// Task zones, sectors, circles, lines and polylines of positions, and the two grids.
#pragma once

#include <cstdint>

#include "cumulor/app/base/geo_point.h"
#include "platform/gdi/gdi.h"

namespace cumulor {

struct MapView;
struct TaskPoint;
struct GpsFix;

// The zone of a task point: outer arc clockwise at the maximum radius from the start radial to the
// end radial, and when the radials differ the inner arc back at the minimum radius; one polygon.
void MapDrawTaskZone(MapView& view, HDC dc, const TaskPoint& point, bool outlineOnly, bool highlight);
// A 90-degree wedge about `direction` (radians) from 500 m to 10000 m.
void MapDrawArc(MapView& view, HDC dc, const GeoPoint& centre, double direction);
// A sector of `radius` metres, `opening` radians wide about `direction`, with the current pen and
// brush.
void MapDrawSector(MapView& view, HDC dc, const GeoPoint& centre, std::uint32_t radius, double direction,
                   double opening);
// A hollow circle of `metres` around `centre` with the current pen.
void MapDrawZoneCircle(MapView& view, HDC dc, const GeoPoint& centre, std::int32_t metres);
// Two-point lines with the current pen.
void MapDrawLegLine(MapView& view, HDC dc, const GeoPoint& a, const GeoPoint& b);
void MapDrawWorldLine(MapView& view, HDC dc, const GeoPoint& a, const GeoPoint& b);
// A line on a white under-line in purple.
void MapDrawLine(MapView& view, HDC dc, const GeoPoint& a, const GeoPoint& b, bool highlight);
// A line in 2-pixel green (flag set) or red.
void MapDrawSegment(MapView& view, HDC dc, const GeoPoint& a, const GeoPoint& b, bool green);
// An ellipse of the ring radius around a position, with the current pen and brush.
void MapDrawCircle(MapView& view, HDC dc, const GeoPoint& centre);
// `count` fixes as one polyline; with a cross size, a cross at each fix after the first (size - 2,
// at least 1, where the fix's mark is clear); with `thick` the 2-pixel black pen. Below 2 fixes
// nothing; when the polyline buffer cannot grow nothing either.
void MapDrawPolyline(MapView& view, HDC dc, const GpsFix* fixes, std::int32_t count, std::int32_t crossSize,
                     bool thick);
void MapDrawCross(HDC dc, LONG x, LONG y, LONG size);
void MapDrawPlusMark(HDC dc, LONG x, LONG y, HPEN pen);
// From (x, y) a line of `length` at (map rotation - bearing) degrees.
void MapDrawDirectionLine(const MapView& view, HDC dc, LONG x, LONG y, double bearing, LONG length, HPEN pen);
// The latitude/longitude grid over the region: whole degrees thin, the region's edges thick.
void MapDrawGrid(MapView& view, HDC dc);
// The lettered grid: 8 x 8 cells from `origin`, columns A..H, rows 1..8.
void MapDrawTeamGrid(MapView& view, HDC dc, const GeoPoint& origin, std::int32_t columnStep, std::int32_t rowStep);

}  // namespace cumulor
