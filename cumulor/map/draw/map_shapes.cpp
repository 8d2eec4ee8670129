#include "cumulor/map/draw/map_shapes.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "cumulor/data/task/task_point.h"
#include "cumulor/map/draw/map_draw_util.h"
#include "cumulor/map/draw/map_geometry.h"
#include "cumulor/map/draw/map_palette.h"
#include "cumulor/map/view/map_fonts.h"
#include "cumulor/nav/gps/gps_fix.h"

namespace cumulor {

using mapdraw::Line;
using mapdraw::Project;
using mapdraw::Selection;

namespace {
constexpr double kTwoPi = 2 * 3.141592653589793;
constexpr double kRadToDeg = 57.29577951308232;
}  // namespace

void MapDrawTaskZone(MapView& view, HDC dc, const TaskPoint& point, bool outlineOnly, bool highlight) {
  const MapPalette& p = MapPens();
  const GeoPoint centre{point.lon, point.lat};
  MapBuildArc(view, 1, point.startRadial, point.endRadial, centre, static_cast<std::uint32_t>(std::max(0, point.maxRadius)),
              false);
  if (static_cast<std::int16_t>(point.startRadial) != static_cast<std::int16_t>(point.endRadial)) {
    MapBuildArc(view, -1, point.endRadial, point.startRadial, centre,
                static_cast<std::uint32_t>(std::max(0, point.minRadius)), true);
  }
  Selection sel(dc);
  sel.Brush(outlineOnly ? p.hollow : p.solid[kBrushPanel]);
  const int width = view.largeScreen ? 4 : 2;
  sel.Pen(highlight ? p.blue[width] : p.black[width]);
  if (view.pointCount > 1) Polygon(dc, view.points, view.pointCount);
}

void MapDrawArc(MapView& view, HDC dc, const GeoPoint& centre, double direction) {
  double from = direction - 45.0 / kRadToDeg;
  while (from < 0) from += kTwoPi;
  while (from >= kTwoPi) from -= kTwoPi;
  const auto start = static_cast<std::int32_t>(from * kRadToDeg);
  const auto end = static_cast<std::int32_t>((direction + 45.0 / kRadToDeg) * kRadToDeg);
  MapBuildArc(view, 1, start, end, centre, 10000, false);
  MapBuildArc(view, -1, end, start, centre, 500, true);
  if (view.pointCount > 1) Polygon(dc, view.points, view.pointCount);
}

void MapDrawSector(MapView& view, HDC dc, const GeoPoint& centre, std::uint32_t radius, double direction,
                   double opening) {
  MapBuildSector(view, centre, radius, direction - opening / 2, direction + opening / 2, true);
  if (view.pointCount > 1) Polygon(dc, view.points, view.pointCount);
}

void MapDrawZoneCircle(MapView& view, HDC dc, const GeoPoint& centre, std::int32_t metres) {
  const POINT c = Project(view, centre);
  const LONG r = MapMetresToPixels(view, metres);
  Selection sel(dc);
  sel.Brush(MapPens().hollow);
  Ellipse(dc, c.x - r, c.y - r, c.x + r, c.y + r);
}

void MapDrawLegLine(MapView& view, HDC dc, const GeoPoint& a, const GeoPoint& b) {
  const POINT pts[2] = {Project(view, a), Project(view, b)};
  Polyline(dc, pts, 2);
}

void MapDrawWorldLine(MapView& view, HDC dc, const GeoPoint& a, const GeoPoint& b) { MapDrawLegLine(view, dc, a, b); }

void MapDrawLine(MapView& view, HDC dc, const GeoPoint& a, const GeoPoint& b, bool highlight) {
  const MapPalette& p = MapPens();
  const POINT pts[2] = {Project(view, a), Project(view, b)};
  Selection sel(dc);
  sel.Pen(view.largeScreen ? p.white[6] : p.white[4]);
  Polyline(dc, pts, 2);
  const int width = highlight ? (view.largeScreen ? 4 : 2) : (view.largeScreen ? 2 : 1);
  sel.Pen(p.purple[width]);
  Polyline(dc, pts, 2);
}

void MapDrawSegment(MapView& view, HDC dc, const GeoPoint& a, const GeoPoint& b, bool green) {
  const MapPalette& p = MapPens();
  const POINT pts[2] = {Project(view, a), Project(view, b)};
  Selection sel(dc);
  sel.Pen(green ? p.green[2] : p.red[2]);
  Polyline(dc, pts, 2);
}

void MapDrawCircle(MapView& view, HDC dc, const GeoPoint& centre) {
  const POINT c = Project(view, centre);
  const LONG r = view.ringRadius;
  Ellipse(dc, c.x - r, c.y - r, c.x + r, c.y + r);
}

void MapDrawPolyline(MapView& view, HDC dc, const GpsFix* fixes, std::int32_t count, std::int32_t crossSize,
                     bool thick) {
  if (!fixes || count < 2) return;
  if (count > view.polylineCapacity) {
    delete[] view.polyline;
    view.polyline = new (std::nothrow) POINT[static_cast<std::size_t>(count)];
    view.polylineCapacity = view.polyline ? count : 0;
    if (!view.polyline) return;
  }
  for (std::int32_t i = 0; i < count; ++i) {
    view.polyline[i] = Project(view, fixes[i].position);
    if (crossSize > 0 && i > 0) {
      const LONG size = fixes[i].mark ? crossSize : std::max(1, crossSize - 2);
      MapDrawCross(dc, view.polyline[i].x, view.polyline[i].y, size);
    }
  }
  Selection sel(dc);
  if (thick) sel.Pen(MapPens().black[2]);
  Polyline(dc, view.polyline, count);
}

void MapDrawCross(HDC dc, LONG x, LONG y, LONG s) {
  Line(dc, x - s, y - s, x + s, y + s);
  Line(dc, x + s, y - s, x - s, y + s);
}

void MapDrawPlusMark(HDC dc, LONG x, LONG y, HPEN pen) {
  Selection sel(dc);
  sel.Pen(pen);
  Line(dc, x - 11, y, x + 10, y);
  Line(dc, x, y - 10, x, y + 10);
}

void MapDrawDirectionLine(const MapView& view, HDC dc, LONG x, LONG y, double bearing, LONG length, HPEN pen) {
  const double a = (view.rotation - bearing) / kRadToDeg;
  Selection sel(dc);
  sel.Pen(pen);
  Line(dc, x, y, x - static_cast<LONG>(length * std::sin(a)), y - static_cast<LONG>(length * std::cos(a)));
}

void MapDrawGrid(MapView& view, HDC dc) {
  const MapPalette& p = MapPens();
  const GeoRect& r = view.region;
  constexpr std::int32_t kDeg = 36000;
  // A region wider than the world is drawn to the world's edge, so the loops stay bounded.
  const std::int32_t east = std::min(r.right, kMapWorldLon);
  const std::int32_t north = std::min(r.top, kMapWorldLat);
  auto world = [&](std::int32_t lon, std::int32_t lat) { return Project(view, GeoPoint{lon, lat}); };
  auto line = [&](GeoPoint a, GeoPoint b) {
    const POINT s = world(a.lon, a.lat);
    const POINT e = world(b.lon, b.lat);
    Line(dc, s.x, s.y, e.x, e.y);
  };
  Selection sel(dc);
  sel.Pen(p.lightGrey1);
  for (std::int64_t lon = static_cast<std::int64_t>(view.gridOriginX) + kDeg; lon < east; lon += kDeg)
    line({static_cast<std::int32_t>(lon), view.gridOriginY}, {static_cast<std::int32_t>(lon), r.top});
  sel.Pen(p.lightGrey3);
  line({view.gridOriginX, view.gridOriginY}, {view.gridOriginX, r.top});
  line({r.right, view.gridOriginY}, {r.right, r.top});
  sel.Pen(p.lightGrey1);
  for (std::int64_t lat = static_cast<std::int64_t>(view.gridOriginY) + kDeg; lat < north; lat += kDeg)
    line({view.gridOriginX, static_cast<std::int32_t>(lat)}, {r.right, static_cast<std::int32_t>(lat)});
  sel.Pen(p.lightGrey3);
  line({view.gridOriginX, r.top}, {r.right, r.top});
  line({view.gridOriginX, view.gridOriginY}, {r.right, view.gridOriginY});
}

void MapDrawTeamGrid(MapView& view, HDC dc, const GeoPoint& origin, std::int32_t columnStep, std::int32_t rowStep) {
  const MapPalette& p = MapPens();
  Selection sel(dc);
  sel.Pen(p.grey[1]);
  sel.Font(MapFont(12));
  const COLORREF oldColour = SetTextColor(dc, 0x808080);
  const int oldMode = SetBkMode(dc, TRANSPARENT);
  auto at = [&](std::int64_t i, std::int64_t j) {
    const auto lon = static_cast<std::int32_t>(std::clamp<std::int64_t>(origin.lon + i * columnStep, -kMapWorldLon, kMapWorldLon));
    const auto lat = static_cast<std::int32_t>(std::clamp<std::int64_t>(origin.lat + j * rowStep, -kMapWorldLat, kMapWorldLat));
    return Project(view, GeoPoint{lon, lat});
  };
  POINT previousEnd{};
  for (int i = 0; i <= 8; ++i) {
    const POINT s = at(i, 0);
    const POINT e = at(i, 8);
    Line(dc, s.x, s.y, e.x, e.y);
    if (i > 0) {
      const WCHAR letter[2] = {static_cast<WCHAR>(u'A' + i - 1), 0};
      const LONG top = std::max<LONG>(0, e.y);
      RECT band{previousEnd.x, top, e.x, top + 15};
      DrawTextW(dc, letter, 1, &band, DT_CENTER | DT_TOP | DT_SINGLELINE | DT_NOCLIP);
    }
    previousEnd = e;
  }
  POINT previousStart{};
  for (int j = 0; j <= 8; ++j) {
    const POINT s = at(0, j);
    const POINT e = at(8, j);
    Line(dc, s.x, s.y, e.x, e.y);
    if (j > 0) {
      const WCHAR digit[2] = {static_cast<WCHAR>(u'1' + j - 1), 0};
      const LONG mid = (s.y + previousStart.y) / 2;
      const LONG left = std::max<LONG>(0, s.x);
      RECT band{left, mid - 6, left + 10, mid + 6};
      DrawTextW(dc, digit, 1, &band, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOCLIP);
    }
    previousStart = s;
  }
  SetBkMode(dc, oldMode);
  SetTextColor(dc, oldColour);
}

}  // namespace cumulor
