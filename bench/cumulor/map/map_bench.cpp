// The map's projection in points per second, and airspace polygons drawn through the map's
// primitive at 480 x 640 in polygons per second beside plain Cairo filling and stroking the same
// screen points (already projected) on an image surface of the same size.
#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <random>
#include <vector>

#include "bench/support/side_by_side.h"
#include "cumulor/data/airspace/airspace_shape.h"
#include "cumulor/map/draw/map_airspace_draw.h"
#include "cumulor/map/draw/map_palette.h"
#include "cumulor/map/view/map_view.h"
#include "cumulor/nav/geo/geodesy.h"
#include "platform/gdi/gdi.h"

namespace {

using namespace cumulor;

constexpr int kW = 480, kH = 640;
constexpr std::int32_t kDeg = 36000;
const GeoPoint kCentre{11 * kDeg + 24000, 47 * kDeg + 9600};

std::unique_ptr<MapView> MakeView(std::int32_t scale) {
  auto view = std::make_unique<MapView>();
  MapInit(*view);
  MapSetScreenRect(*view, RECT{0, 0, kW, kH});
  MapSetStyle(*view, 1, 0, 1, 8, u"ft", 1, 1);
  MapSetRegion(*view, GeoRect{5 * kDeg, 48 * kDeg, 17 * kDeg, 45 * kDeg}, kCentre);
  MapSetScale(*view, scale);
  MapSetView(*view, kCentre.lon, kCentre.lat, 30);
  return view;
}

void BM_MapProjection(benchmark::State& state) {
  auto view = MakeView(10);
  std::mt19937 rng(7);
  std::vector<GeoPoint> points(10000);
  for (GeoPoint& p : points)
    p = GeoPoint{kCentre.lon + static_cast<std::int32_t>(rng() % 200000) - 100000,
                 kCentre.lat + static_cast<std::int32_t>(rng() % 200000) - 100000};
  std::vector<POINT> out(points.size());
  bench::SideBySide side(state, "points/s");
  for (auto _ : state) {
    side.Ours(static_cast<double>(points.size()), [&] {
      for (std::size_t i = 0; i < points.size(); ++i) MapWorldToScreen(*view, out[i], points[i]);
      benchmark::DoNotOptimize(out.data());
    });
  }
  MapTerm(*view);
}
BENCH(BM_MapProjection);

// 40 circular airspaces of 121 points (the parser's 3-degree steps and the closing point) across
// the screen.
std::vector<AirspaceShape> Airspaces() {
  std::vector<AirspaceShape> shapes(40);
  std::mt19937 rng(42);
  for (AirspaceShape& s : shapes) {
    const GeoPoint c{kCentre.lon + static_cast<std::int32_t>(rng() % 60000) - 30000,
                     kCentre.lat + static_cast<std::int32_t>(rng() % 60000) - 30000};
    const std::uint32_t radius = 3000 + rng() % 9000;
    for (int k = 0; k < 120; ++k) {
      GeoPoint p{};
      GeoDestination(c.lon, c.lat, radius, k * 3 * 0.017453292519943295, p);
      s.points.Append(p);
    }
    s.points.Append(s.points[0]);
    s.pointCount = s.points.Size();
  }
  return shapes;
}

void BM_MapAirspacePolygons(benchmark::State& state) {
  auto view = MakeView(20);
  std::vector<AirspaceShape> shapes = Airspaces();
  const MapPalette& palette = MapPens();

  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(dc, kW, kH);
  HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
  HGDIOBJ oldBrush = SelectObject(dc, palette.solid[kBrushPanel]);
  HGDIOBJ oldPen = SelectObject(dc, palette.black[1]);

  // The peer's points: the same projection, done once.
  std::vector<std::vector<POINT>> projected;
  for (const AirspaceShape& s : shapes) {
    std::vector<POINT> pts(static_cast<std::size_t>(s.pointCount));
    for (std::int32_t i = 0; i < s.pointCount; ++i) MapWorldToScreen(*view, pts[i], s.points[i]);
    projected.push_back(std::move(pts));
  }
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kW, kH);
  cairo_t* cr = cairo_create(surface);
  cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
  cairo_set_line_width(cr, 1);

  bench::SideBySide side(state, "polygons/s");
  for (auto _ : state) {
    side.Ours(static_cast<double>(shapes.size()), [&] {
      for (AirspaceShape& s : shapes) MapDrawLabelledPolygon(*view, dc, 6, s, false, true, false);
    });
    side.Peer(static_cast<double>(shapes.size()), [&] {
      for (const std::vector<POINT>& pts : projected) {
        // A shape wholly off the screen (beyond the thick pen's reach) is skipped, as ours skips it.
        LONG left = pts[0].x, right = pts[0].x, top = pts[0].y, bottom = pts[0].y;
        for (const POINT& p : pts) {
          left = std::min(left, p.x);
          right = std::max(right, p.x);
          top = std::min(top, p.y);
          bottom = std::max(bottom, p.y);
        }
        if (right < -8 || bottom < -8 || left >= kW + 8 || top >= kH + 8) continue;
        cairo_move_to(cr, pts[0].x, pts[0].y);
        for (std::size_t k = 1; k < pts.size(); ++k) cairo_line_to(cr, pts[k].x, pts[k].y);
        cairo_close_path(cr);
        cairo_set_source_rgb(cr, 0xDF / 255.0, 0xDF / 255.0, 0xDF / 255.0);
        cairo_fill(cr);
        cairo_move_to(cr, pts[0].x + 0.5, pts[0].y + 0.5);
        for (std::size_t k = 1; k < pts.size(); ++k) cairo_line_to(cr, pts[k].x + 0.5, pts[k].y + 0.5);
        cairo_close_path(cr);
        cairo_set_source_rgb(cr, 0, 0, 0);
        cairo_stroke(cr);
      }
      cairo_surface_flush(surface);
    });
  }
  cairo_destroy(cr);
  cairo_surface_destroy(surface);
  SelectObject(dc, oldPen);
  SelectObject(dc, oldBrush);
  SelectObject(dc, oldBitmap);
  DeleteObject(bitmap);
  DeleteDC(dc);
  MapTerm(*view);
}
BENCH(BM_MapAirspacePolygons);

}  // namespace
