#include "cumulor/data/trail/trail.h"

#include <algorithm>
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
  DynArray<TrailPoint> drawn{600};  // the points drawn at the current view and zoom level
  std::atomic<std::int32_t> mode{5};
  std::atomic<bool> showLine{true};
  std::atomic<bool> liftDots{false};
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

void TrailInit() {
  TheTrail().mode = 5;
  TrailClear();
}

void TrailClear() {
  Trail& t = TheTrail();
  std::lock_guard<std::recursive_mutex> guard(t.lock);
  t.points.FreeData();
  t.points.SetSize(0, 600);
  t.drawn.FreeData();
  t.drawn.SetSize(0, 600);
  t.stretchEnd = 0;
  t.olcStart = 0;
  OlcResetCandidates();
}

void TrailTerm() {
  Trail& t = TheTrail();
  std::lock_guard<std::recursive_mutex> guard(t.lock);
  t.points.FreeData();
  t.drawn.FreeData();
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
  (void)t.drawn.Append(point);
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

std::uint32_t ClipOutcode(const TrailBox& box, std::int32_t x, std::int32_t y) {
  std::uint32_t code = 0;
  if (x < box.west) code |= 1;
  else if (x > box.east) code |= 2;
  if (y < box.south) code |= 4;
  else if (y > box.north) code |= 8;
  return code;
}

int ClipLine(const TrailBox& box, GeoPoint& a, GeoPoint& b) {
  std::uint32_t ca = ClipOutcode(box, a.lon, a.lat);
  std::uint32_t cb = ClipOutcode(box, b.lon, b.lat);
  // Each pass moves one outside end onto an edge, so four passes per end settle every segment.
  for (int pass = 0; pass < 8; ++pass) {
    if ((ca | cb) == 0) return 0;
    if ((ca & cb) != 0) return 1;
    const bool first = ca != 0;
    const std::uint32_t code = first ? ca : cb;
    const std::int64_t x0 = a.lon, y0 = a.lat, x1 = b.lon, y1 = b.lat;
    std::int64_t x = 0, y = 0;
    if (code & 8) {
      y = box.north;
      x = x0 + (x1 - x0) * (y - y0) / (y1 - y0);
    } else if (code & 4) {
      y = box.south;
      x = x0 + (x1 - x0) * (y - y0) / (y1 - y0);
    } else if (code & 2) {
      x = box.east;
      y = y0 + (y1 - y0) * (x - x0) / (x1 - x0);
    } else {
      x = box.west;
      y = y0 + (y1 - y0) * (x - x0) / (x1 - x0);
    }
    GeoPoint& moved = first ? a : b;
    moved.lon = static_cast<std::int32_t>(x);
    moved.lat = static_cast<std::int32_t>(y);
    (first ? ca : cb) = ClipOutcode(box, moved.lon, moved.lat);
  }
  return (ca | cb) == 0 ? 0 : 1;
}

std::int32_t TrailMode() { return TheTrail().mode; }

void TrailSetMode(const TrailBox& box, std::int32_t zoomLevel, std::int32_t zoomScale) {
  Trail& t = TheTrail();
  t.mode = zoomLevel;
  std::lock_guard<std::recursive_mutex> guard(t.lock);
  if (t.points.Empty()) return;
  const std::int64_t threshold = std::min<std::int64_t>(3 * static_cast<std::int64_t>(zoomScale), 500);
  auto candidate = [&](const TrailPoint& p) { return zoomLevel < 2 || p.rank > threshold; };
  t.drawn.SetSize(0);
  const std::int32_t n = t.points.Size();
  std::int32_t i = 0;
  while (i < n && !candidate(t.points[i])) ++i;
  while (i < n) {
    std::int32_t next = i + 1;
    while (next < n && !candidate(t.points[next])) ++next;
    if (next >= n) break;  // the last candidate is not appended
    GeoPoint a = t.points[i].position;
    GeoPoint b = t.points[next].position;
    if (ClipLine(box, a, b) == 0) (void)t.drawn.Append(t.points[i]);
    i = next;
  }
}

void TrailVisitDrawn(const std::function<void(const TrailPoint*, std::int32_t)>& visit) {
  Trail& t = TheTrail();
  std::lock_guard<std::recursive_mutex> guard(t.lock);
  visit(t.drawn.Data(), t.drawn.Size());
}

void TrailVisitPoints(const std::function<void(const TrailPoint*, std::int32_t)>& visit) {
  Trail& t = TheTrail();
  std::lock_guard<std::recursive_mutex> guard(t.lock);
  visit(t.points.Data(), t.points.Size());
}

void TrailSetShowLine(bool show) { TheTrail().showLine = show; }
bool TrailShowLine() { return TheTrail().showLine; }
void TrailSetLiftDots(bool show) { TheTrail().liftDots = show; }
bool TrailLiftDots() { return TheTrail().liftDots; }

}  // namespace cumulor
