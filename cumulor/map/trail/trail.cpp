#include "cumulor/map/trail/trail.h"

#include <atomic>
#include <cmath>
#include <mutex>

#include "cumulor/nav/geo/geodesy.h"
#include "cumulor/nav/olc/olc.h"

namespace cumulor {
namespace {

struct Trail {
  std::recursive_mutex lock;
  DynArray<TrailPoint> points{600};
  std::int32_t stretchEnd = 0;   // the point that ended the last ranked stretch
  std::int32_t olcStart = 0;     // the live optimisation's start point (0 none)
  std::atomic<bool> simulating{false};
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
  std::lock_guard<std::recursive_mutex> guard(t.lock);
  t.points.FreeData();
  t.points.SetSize(0, 600);
  t.stretchEnd = 0;
  t.olcStart = 0;
  OlcResetCandidates();
}

void TrailTerm() {
  Trail& t = TheTrail();
  std::lock_guard<std::recursive_mutex> guard(t.lock);
  t.points.FreeData();
}

void TrailSetSimulating(bool simulating) { TheTrail().simulating = simulating; }

std::int32_t TrailFarthestPoint(std::int32_t i, std::int32_t j) {
  DynArray<TrailPoint>& p = TheTrail().points;
  if (i < 0 || j >= p.Size() || i + 1 >= p.Size()) return i;
  if (j - i < 2) {
    p[i + 1].rank = 0;
    return i + 1;
  }
  const GeoPoint segment[2] = {p[i].position, p[j].position};
  std::int32_t found = i + 1;
  std::uint32_t farthest = 0;
  for (std::int32_t k = i + 1; k < j; ++k) {
    std::uint32_t d = 0;
    PointSegmentDistance(p[k].position, segment, d);
    if (k == i + 1 || d > farthest) {
      farthest = d;
      found = k;
    }
  }
  p[found].rank = static_cast<std::uint16_t>(farthest < kTrailUnranked ? farthest : kTrailUnranked);
  return found;
}

void TrailRankRange(std::int32_t i, std::int32_t j) {
  while (j - i >= 2) {
    const std::int32_t k = TrailFarthestPoint(i, j);
    TrailRankRange(i, k);
    i = k;
  }
}

void TrailRankStretch(std::int32_t s, std::int32_t e, bool feed) {
  DynArray<TrailPoint>& p = TheTrail().points;
  if (s < 0 || e >= p.Size()) return;
  if (e - s >= 2) {
    const std::int32_t k = TrailFarthestPoint(s, e);
    TrailRankRange(s, k);
    TrailRankRange(k, e);
  }
  if (s >= e) {
    p[s].rank = kTrailClimbRank;
    return;
  }
  std::int32_t highest = s;
  std::int32_t lowest = s;
  for (std::int32_t i = s; i < e; ++i) {
    if (feed && (p[i].rank > kOlcCandidateRank || i == s)) OlcAddLiveFix(p[i].position);
    if (p[i].climb > p[highest].climb) highest = i;
    if (p[i].climb < p[lowest].climb) lowest = i;
  }
  p[highest].rank = kTrailClimbRank;
  p[lowest].rank = kTrailClimbRank;
}

void TrailAddFix(const GpsFix& fix, bool feedLiveOptimisation) {
  TrailPoint point;
  point.position = fix.position;
  point.altitude = static_cast<std::uint16_t>(fix.pressureAltitude);
  point.climb = ClimbTenths(fix.verticalSpeed);
  point.rank = kTrailUnranked;
  Trail& t = TheTrail();
  std::lock_guard<std::recursive_mutex> guard(t.lock);
  if (t.points.Append(point) != S_OK) return;
  const std::int32_t newest = t.points.Size() - 1;
  const std::int32_t limit = t.simulating ? kTrailStretchSimulating : kTrailStretch;
  if (newest + 1 - t.stretchEnd > limit) {
    TrailRankStretch(t.stretchEnd, newest, feedLiveOptimisation);
    t.stretchEnd = newest;
  }
}

void TrailSetOlcStart() {
  Trail& t = TheTrail();
  std::lock_guard<std::recursive_mutex> guard(t.lock);
  if (t.points.Empty()) return;
  t.olcStart = t.points.Size() - 1;
  OlcResetCandidates();
  OlcAddLiveFix(t.points.Last().position);
}

std::int32_t TrailOlcStart() {
  Trail& t = TheTrail();
  std::lock_guard<std::recursive_mutex> guard(t.lock);
  return t.olcStart;
}

void TrailOptimize() {
  Trail& t = TheTrail();
  std::lock_guard<std::recursive_mutex> guard(t.lock);
  OlcOptimizeTrail(t.points.Data(), t.points.Size());
}

DynArray<TrailPoint> TrailCopy() {
  Trail& t = TheTrail();
  std::lock_guard<std::recursive_mutex> guard(t.lock);
  return t.points;
}

}  // namespace cumulor
