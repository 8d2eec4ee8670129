#include "cumulor/map/draw/map_geometry.h"

#include <cmath>

#include "cumulor/map/view/map_view.h"
#include "cumulor/nav/geo/geodesy.h"

namespace cumulor {
namespace {

constexpr double kTwoPi = 2 * 3.141592653589793;
constexpr double kDegToRad = 0.01745329251994328;
// More steps than any buffer can take: a step far below the closest zoom's is not used.
constexpr double kMinStep = 0.1 * kDegToRad;

void AppendAt(MapView& view, const GeoPoint& centre, std::uint32_t radius, double bearing) {
  if (view.pointCount >= kMapPointBufferSize) return;
  GeoPoint p{};
  GeoDestination(centre.lon, centre.lat, radius, -bearing, p);
  MapWorldToScreen(view, view.points[view.pointCount], p);
  ++view.pointCount;
}

double Step(const MapView& view) { return view.arcStep > kMinStep ? view.arcStep : kMinStep; }

}  // namespace

void MapBuildArc(MapView& view, int direction, std::int32_t start, std::int32_t end, const GeoPoint& centre,
                 std::uint32_t radius, bool append) {
  const int s = static_cast<std::int16_t>(start);
  const int e = static_cast<std::int16_t>(end);
  const int dir = direction == 1 ? 1 : -1;
  int span = dir == 1 ? e - s : s - e;
  if (span < 1) span += 360;
  const double step = Step(view);
  const std::int64_t steps = static_cast<std::int64_t>(span * kDegToRad / step);
  if (!append) view.pointCount = 0;
  double angle = s * kDegToRad - dir * step;
  for (std::int64_t i = 0; i < steps && view.pointCount < kMapPointBufferSize; ++i) {
    angle += dir * step;
    if (angle > kTwoPi) angle -= kTwoPi;
    AppendAt(view, centre, radius, angle);
  }
  AppendAt(view, centre, radius, e * kDegToRad);
}

void MapBuildSector(MapView& view, const GeoPoint& centre, std::uint32_t radius, double start, double end,
                    bool withCentre) {
  view.pointCount = 0;
  if (withCentre) {
    MapWorldToScreen(view, view.points[0], centre);
    view.pointCount = 1;
  }
  if (!std::isfinite(start) || !std::isfinite(end)) return;
  if (end < start) end += kTwoPi * std::ceil((start - end) / kTwoPi);
  const double step = Step(view);
  for (double angle = start; angle < end && view.pointCount < kMapPointBufferSize; angle += step) {
    AppendAt(view, centre, radius, angle);
  }
  AppendAt(view, centre, radius, end);
}

}  // namespace cumulor
