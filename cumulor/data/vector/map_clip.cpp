#include "cumulor/data/vector/map_clip.h"

#include <cmath>
#include <new>

namespace cumulor {
namespace {

std::unique_ptr<kv3::MapLineObject> EmptyCopyOf(const kv3::MapObject& object) {
  std::unique_ptr<kv3::MapLineObject> copy(new (std::nothrow) kv3::MapLineObject);
  if (!copy) return nullptr;
  copy->kind = object.kind;
  copy->category = object.category;
  copy->value = object.value;
  copy->threshold = object.threshold;
  copy->flags = kOwnedCopy;
  return copy;
}

void Widen(kv3::MapObject& o, const GeoPoint& p) {
  if (o.points.empty()) {
    o.west = o.east = p.lon;
    o.north = o.south = p.lat;
  } else {
    if (p.lon < o.west) o.west = p.lon;
    if (p.lon > o.east) o.east = p.lon;
    if (p.lat > o.north) o.north = p.lat;
    if (p.lat < o.south) o.south = p.lat;
  }
  o.points.push_back(p);
}

// Clips the segment (x0, y0)-(x1, y1) to view in place; false when no part of it is in view.
bool ClipSegment(const GeoRect& view, double& x0, double& y0, double& x1, double& y1) {
  std::uint32_t c0 = ClipOutcodeOf(view, x0, y0);
  std::uint32_t c1 = ClipOutcodeOf(view, x1, y1);
  for (int pass = 0; pass < 8; ++pass) {
    if ((c0 | c1) == 0) return true;
    if (c0 & c1) return false;
    const std::uint32_t code = c0 ? c0 : c1;
    double x = 0, y = 0;
    if (code & 8) {
      y = view.top;
      x = x0 + (x1 - x0) * (y - y0) / (y1 - y0);
    } else if (code & 4) {
      y = view.bottom;
      x = x0 + (x1 - x0) * (y - y0) / (y1 - y0);
    } else if (code & 2) {
      x = view.right;
      y = y0 + (y1 - y0) * (x - x0) / (x1 - x0);
    } else {
      x = view.left;
      y = y0 + (y1 - y0) * (x - x0) / (x1 - x0);
    }
    if (code == c0) {
      x0 = x;
      y0 = y;
      c0 = ClipOutcodeOf(view, x0, y0);
    } else {
      x1 = x;
      y1 = y;
      c1 = ClipOutcodeOf(view, x1, y1);
    }
  }
  return (c0 | c1) == 0;
}

GeoPoint Rounded(double x, double y) {
  return GeoPoint{static_cast<std::int32_t>(std::lround(x)), static_cast<std::int32_t>(std::lround(y))};
}

// One Sutherland-Hodgman pass against an edge: axis 0 cuts at a latitude, 1 at a longitude;
// keepAbove keeps values above the edge (strictly when strict is set).
std::vector<GeoPoint> ClipAgainst(const std::vector<GeoPoint>& in, int axis, std::int32_t edge, bool keepAbove,
                                  bool strict) {
  std::vector<GeoPoint> out;
  if (in.empty()) return out;
  auto coord = [axis](const GeoPoint& p) { return axis == 0 ? p.lat : p.lon; };
  auto inside = [&](const GeoPoint& p) {
    const std::int32_t c = coord(p);
    if (keepAbove) return strict ? c > edge : c >= edge;
    return strict ? c < edge : c <= edge;
  };
  auto crossing = [&](const GeoPoint& a, const GeoPoint& b) {
    const float ca = static_cast<float>(coord(a)), cb = static_cast<float>(coord(b));
    const float t = (static_cast<float>(edge) - ca) / (cb - ca);
    if (!(t > 0.0f && t < 1.0f)) return;
    GeoPoint p;
    if (axis == 0) {
      p.lat = edge;
      p.lon = static_cast<std::int32_t>(static_cast<float>(a.lon) + t * static_cast<float>(b.lon - a.lon));
    } else {
      p.lon = edge;
      p.lat = static_cast<std::int32_t>(static_cast<float>(a.lat) + t * static_cast<float>(b.lat - a.lat));
    }
    out.push_back(p);
  };
  GeoPoint prev = in.back();
  bool prevIn = inside(prev);
  for (const GeoPoint& cur : in) {
    const bool curIn = inside(cur);
    if (curIn) {
      if (!prevIn) crossing(prev, cur);
      out.push_back(cur);
    } else if (prevIn) {
      crossing(prev, cur);
    }
    prev = cur;
    prevIn = curIn;
  }
  return out;
}

}  // namespace

std::uint32_t ClipOutcodeOf(const GeoRect& view, double lon, double lat) {
  std::uint32_t code = 0;
  if (lon < view.left) code |= 1;
  if (lon > view.right) code |= 2;
  if (lat < view.bottom) code |= 4;
  if (lat > view.top) code |= 8;
  return code;
}

std::unique_ptr<kv3::MapLineObject> CopyThinnedObject(const kv3::MapLineObject& object,
                                                      const std::vector<std::uint16_t>& words, std::int32_t limit) {
  std::unique_ptr<kv3::MapLineObject> copy = EmptyCopyOf(object);
  if (!copy) return nullptr;
  copy->west = object.west;
  copy->north = object.north;
  copy->east = object.east;
  copy->south = object.south;
  const std::size_t n = object.points.size();
  copy->points.reserve(n);
  for (std::size_t i = 0; i < n; ++i) {
    const bool end = i == 0 || i + 1 == n;
    if (end || i >= words.size() || static_cast<std::int32_t>(words[i]) >= limit) copy->points.push_back(object.points[i]);
  }
  return copy;
}

std::int32_t ClipPolyline(const kv3::MapObject& object, const GeoRect& view,
                          std::vector<std::unique_ptr<kv3::MapLineObject>>& out) {
  std::int32_t pieces = 0;
  std::unique_ptr<kv3::MapLineObject> open;
  auto close = [&] {
    if (!open) return;
    out.push_back(std::move(open));
    ++pieces;
  };
  const std::size_t n = object.points.size();
  for (std::size_t i = 0; i + 1 < n; ++i) {
    double x0 = object.points[i].lon, y0 = object.points[i].lat;
    double x1 = object.points[i + 1].lon, y1 = object.points[i + 1].lat;
    const double endX = x1, endY = y1;
    if (!ClipSegment(view, x0, y0, x1, y1)) {
      close();
      continue;
    }
    if (!open) {
      open = EmptyCopyOf(object);
      if (!open) return pieces;
      open->clipped = true;
      Widen(*open, Rounded(x0, y0));
    }
    Widen(*open, Rounded(x1, y1));
    if (x1 != endX || y1 != endY) close();
  }
  close();
  return pieces;
}

std::unique_ptr<kv3::MapLineObject> ClipPolygon(const kv3::MapObject& object, const GeoRect& view) {
  if (object.points.size() < 2) return nullptr;
  std::vector<GeoPoint> points = ClipAgainst(object.points, 0, view.top, false, true);   // north
  points = ClipAgainst(points, 1, view.left, true, true);                                // west
  points = ClipAgainst(points, 0, view.bottom, true, false);                             // south
  points = ClipAgainst(points, 1, view.right, false, false);                             // east
  std::unique_ptr<kv3::MapLineObject> clipped = EmptyCopyOf(object);
  if (!clipped) return nullptr;
  clipped->clipped = true;
  clipped->points.reserve(points.size());
  for (const GeoPoint& p : points) Widen(*clipped, p);
  return clipped;
}

}  // namespace cumulor
