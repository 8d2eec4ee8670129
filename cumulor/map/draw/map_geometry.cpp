#include "cumulor/map/draw/map_geometry.h"

#include <array>
#include <cmath>
#include <cstddef>
#include <vector>

#include "cumulor/map/view/map_view.h"
#include "cumulor/nav/geo/geodesy.h"

namespace cumulor {
namespace {

constexpr double kTwoPi = 2 * 3.141592653589793;
constexpr double kDegToRad = 0.01745329251994328;
// More steps than any buffer can take: a step far below the closest zoom's is not used.
constexpr double kMinStep = 0.1 * kDegToRad;

double Step(const MapView& view) { return view.arcStep > kMinStep ? view.arcStep : kMinStep; }

// The positions of an arc or sector before projection, kept for the few built last: a task's
// sectors and zones are built again on every frame with the same centre, radius and bearings, and
// each position costs a great-circle step (sines, cosines and an arcsine). The key is every input
// the positions follow; the projection is made anew each time.
struct ArcKey {
  int kind = 0;  // 0: none; 1, -1: an arc in that direction; 2: a sector
  GeoPoint centre{};
  std::uint32_t radius = 0;
  double from = 0, to = 0, step = 0;
  bool operator==(const ArcKey& o) const {
    return kind == o.kind && centre.lon == o.centre.lon && centre.lat == o.centre.lat && radius == o.radius &&
           from == o.from && to == o.to && step == o.step;
  }
};

struct KeptArc {
  ArcKey key;
  std::vector<GeoPoint> steps;  // one per arc step, at most a buffer's worth
  GeoPoint end{};
};

class KeptArcs {
 public:
  // The positions for `key`, worked out by `build(kept)` when they are not kept.
  template <class Build>
  const KeptArc& Of(const ArcKey& key, const Build& build) {
    for (const KeptArc& k : kept_)
      if (k.key == key) return k;
    KeptArc& k = kept_[next_];
    next_ = (next_ + 1) % kept_.size();
    k.key = ArcKey{};
    k.steps.clear();
    build(k);
    k.key = key;
    return k;
  }

 private:
  std::array<KeptArc, 8> kept_;
  std::size_t next_ = 0;
};

// Each thread draws its own views.
KeptArcs& Kept() {
  thread_local KeptArcs kept;
  return kept;
}

GeoPoint At(const GeoPoint& centre, std::uint32_t radius, double bearing) {
  GeoPoint p{};
  GeoDestination(centre.lon, centre.lat, radius, -bearing, p);
  return p;
}

// Projects the kept steps while the buffer has room, then the end point.
void Append(MapView& view, const KeptArc& arc) {
  for (const GeoPoint& p : arc.steps) {
    if (view.pointCount >= kMapPointBufferSize) return;
    MapWorldToScreen(view, view.points[view.pointCount++], p);
  }
  if (view.pointCount < kMapPointBufferSize) MapWorldToScreen(view, view.points[view.pointCount++], arc.end);
}

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
  const ArcKey key{dir, centre, radius, static_cast<double>(s), static_cast<double>(e), step};
  Append(view, Kept().Of(key, [&](KeptArc& k) {
    double angle = s * kDegToRad - dir * step;
    for (std::int64_t i = 0; i < steps && i < kMapPointBufferSize; ++i) {
      angle += dir * step;
      if (angle > kTwoPi) angle -= kTwoPi;
      k.steps.push_back(At(centre, radius, angle));
    }
    k.end = At(centre, radius, e * kDegToRad);
  }));
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
  const ArcKey key{2, centre, radius, start, end, step};
  Append(view, Kept().Of(key, [&](KeptArc& k) {
    for (double angle = start; angle < end && k.steps.size() < static_cast<std::size_t>(kMapPointBufferSize); angle += step)
      k.steps.push_back(At(centre, radius, angle));
    k.end = At(centre, radius, end);
  }));
}

}  // namespace cumulor
