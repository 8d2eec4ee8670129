#include "cumulor/map/labels/label_list.h"

#include <cmath>

namespace cumulor {
namespace {

bool Holds(const RECT& r, POINT p, LONG dx, LONG dy) {
  return p.x >= r.left - dx && p.x < r.right + dx && p.y >= r.top - dy && p.y < r.bottom + dy;
}

bool Empty(const RECT& r) { return r.right <= r.left || r.bottom <= r.top; }

}  // namespace

LabelEntry* LabelAppend(LabelList& list, const TaskPoint& words) {
  LabelEntry entry;
  entry.kind = words.kind;
  entry.index = words.index;
  entry.lon = words.lon;
  entry.lat = words.lat;
  entry.minRadius = words.minRadius;
  entry.maxRadius = words.maxRadius;
  entry.startRadial = words.startRadial;
  if (list.entries.Append(entry) != S_OK) return nullptr;
  return &list.entries.Last();
}

TaskPoint LabelEntryPoint(const LabelEntry& entry) {
  TaskPoint p;
  p.kind = entry.kind;
  p.index = entry.index;
  p.lon = entry.lon;
  p.lat = entry.lat;
  p.minRadius = entry.minRadius;
  p.maxRadius = entry.maxRadius;
  p.startRadial = entry.startRadial;
  return p;
}

const LabelEntry* LabelListHitTest(const LabelList& list, POINT at) {
  for (std::int32_t i = list.entries.Size() - 1; i >= 0; --i)
    if (Holds(list.entries[i].rect, at, 10, 5)) return &list.entries[i];
  return nullptr;
}

const LabelEntry* LabelListFindVisible(const LabelList& list, POINT at) {
  for (const LabelEntry& e : list.entries)
    if (e.maxRadius != 0 && Holds(e.rect, at, 0, 0)) return &e;
  return nullptr;
}

bool LabelListNearest(const LabelList& list, TaskPoint& out, POINT at, std::int32_t kind) {
  std::int64_t best = 9999999;
  const LabelEntry* found = nullptr;
  for (std::int32_t i = list.entries.Size() - 1; i >= 0; --i) {
    const LabelEntry& e = list.entries[i];
    if (e.kind != kind) continue;
    const std::int64_t dx = static_cast<std::int64_t>(e.rect.left) - at.x;
    const std::int64_t dy = static_cast<std::int64_t>(e.rect.top) - at.y;
    const std::int64_t d = dx * dx + dy * dy;
    if (d < best) {
      best = d;
      found = &e;
    }
  }
  if (!found) {
    out.kind = 0;
    out.index = 0;
    return false;
  }
  const std::int32_t endRadial = out.endRadial;
  out = LabelEntryPoint(*found);
  out.endRadial = endRadial;
  return true;
}

std::int32_t OccupiedRectHitTest(const LabelList& list, POINT at) {
  for (std::size_t i = 0; i < list.airspaceRects.size(); ++i) {
    const RECT& r = list.airspaceRects[i];
    if (!Empty(r) && Holds(r, at, 10, 5)) return static_cast<std::int32_t>(i);
  }
  return -1;
}

std::int32_t RunwayDirectionIndex(std::int32_t rotation) {
  rotation %= 360;
  if (rotation < 0) rotation += 360;
  const double r = rotation >= 180 ? rotation - 180 : rotation;
  const double steps = r / 22.5;
  const double whole = std::floor(steps);
  std::int32_t index = static_cast<std::int32_t>(whole) + (steps - whole > 0.5 ? 1 : 0);
  if (index == 8) index = 0;
  return index;
}

}  // namespace cumulor
