#include "cumulor/map/layers/trail_draw.h"

#include <mutex>
#include <vector>

#include "cumulor/map/draw/map_palette.h"
#include "cumulor/data/trail/trail.h"
#include "cumulor/nav/olc/olc.h"
#include "platform/gdi/images.h"

namespace cumulor {
namespace {

// The reused screen-point array of the drawn list; one per rendering thread.
std::vector<POINT>& ScreenPoints() {
  thread_local std::vector<POINT> points;
  return points;
}

HICON StartIcon(HINSTANCE module) {
  static std::once_flag once;
  static HICON icon = nullptr;
  std::call_once(once, [module] {
    icon = static_cast<HICON>(LoadImageW(module, MAKEINTRESOURCEW(kTrailStartIcon), IMAGE_ICON, 16, 16, 0));
  });
  return icon;
}

void Polyline(HDC dc, const POINT* points, int count, HPEN pen) {
  if (count < 2) return;
  HGDIOBJ old = SelectObject(dc, pen);
  ::Polyline(dc, points, count);
  SelectObject(dc, old);
}

}  // namespace

void TrailDrawSimplified(const MapView& view, HDC dc, bool stopping) {
  if (stopping || !dc) return;
  const MapPalette& pens = MapPens();
  TrailVisitDrawn([&](const TrailPoint* points, std::int32_t count) {
    if (!TrailShowLine() && !TrailLiftDots()) return;
    std::vector<POINT>& screen = ScreenPoints();
    screen.resize(static_cast<std::size_t>(count));
    for (std::int32_t i = 0; i < count; ++i) MapWorldToScreen(view, screen[i], points[i].position);
    if (TrailShowLine()) Polyline(dc, screen.data(), count, TrailMode() < 7 ? pens.blue[2] : pens.blue[1]);
  });
}

void TrailDraw(const MapView& view, HDC dc, HINSTANCE module, bool replaying) {
  if (!dc || !OlcShowRoute()) return;
  std::vector<GeoPoint> route;
  std::uint32_t distance = 0;
  if (!OlcResult(distance, &route) || route.size() < 2) return;
  const MapPalette& pens = MapPens();
  const std::int32_t start = TrailOlcStart();
  TrailVisitPoints([&](const TrailPoint* points, std::int32_t count) {
    if (start > 0 && start < count) {
      if (HICON icon = StartIcon(module)) {
        POINT s{};
        MapWorldToScreen(view, s, points[start].position);
        DrawIconEx(dc, s.x - 8 - 8, s.y - 16 - 8, icon, 16, 16, 0, nullptr, DI_NORMAL);
      }
    }
    std::vector<POINT> screen(route.size());
    for (std::size_t i = 0; i < route.size(); ++i) MapWorldToScreen(view, screen[i], route[i]);
    const int n = static_cast<int>(screen.size());
    if (replaying) {
      Polyline(dc, screen.data(), 2, pens.orange[2]);
      Polyline(dc, screen.data() + 1, n - 1, pens.purple[2]);
    } else {
      Polyline(dc, screen.data(), n, pens.purple[2]);
    }
  });
}

}  // namespace cumulor
