#include "cumulor/map/trail/trail.h"

#include <cmath>
#include <mutex>

namespace cumulor {
namespace {

struct Trail {
  std::mutex lock;
  DynArray<TrailPoint> points{600};
};

Trail& TheTrail() {
  static Trail trail;
  return trail;
}

std::int16_t ClimbTenths(float verticalSpeed) {
  if (!std::isfinite(verticalSpeed)) return 0;
  const double whole = std::trunc(static_cast<double>(verticalSpeed));
  if (whole > 3276.0) return 32760;
  if (whole < -3276.0) return -32760;
  return static_cast<std::int16_t>(whole * 10);
}

}  // namespace

void TrailInit() { TrailClear(); }

void TrailClear() {
  Trail& t = TheTrail();
  std::lock_guard<std::mutex> guard(t.lock);
  t.points.FreeData();
  t.points.SetSize(0, 600);
}

void TrailTerm() {
  Trail& t = TheTrail();
  std::lock_guard<std::mutex> guard(t.lock);
  t.points.FreeData();
}

void TrailAddFix(const GpsFix& fix, bool /*feedLiveOptimisation*/) {
  TrailPoint p;
  p.position = fix.position;
  p.altitude = static_cast<std::uint16_t>(fix.pressureAltitude);
  p.climb = ClimbTenths(fix.verticalSpeed);
  p.rank = kTrailUnranked;
  Trail& t = TheTrail();
  std::lock_guard<std::mutex> guard(t.lock);
  t.points.Append(p);
}

DynArray<TrailPoint> TrailCopy() {
  Trail& t = TheTrail();
  std::lock_guard<std::mutex> guard(t.lock);
  return t.points;
}

}  // namespace cumulor
