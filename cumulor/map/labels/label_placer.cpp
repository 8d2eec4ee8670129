#include "cumulor/map/labels/label_placer.h"

#include <algorithm>
#include <iterator>

namespace cumulor {
namespace {

bool Same(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

bool Empty(const RECT& r) { return r.right <= r.left || r.bottom <= r.top; }

bool Meet(const RECT& a, const RECT& b) {
  return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

RECT Moved(const RECT& r, LONG dx, LONG dy) { return RECT{r.left + dx, r.top + dy, r.right + dx, r.bottom + dy}; }

// The rectangle moved the least that brings it onto the screen (as far as it is not larger).
RECT OntoScreen(const RECT& r, const RECT& screen) {
  LONG dx = 0;
  LONG dy = 0;
  if (r.left < screen.left) {
    dx = screen.left - r.left;
  } else if (r.right > screen.right) {
    dx = screen.right - r.right;
  }
  if (r.top < screen.top) {
    dy = screen.top - r.top;
  } else if (r.bottom > screen.bottom) {
    dy = screen.bottom - r.bottom;
  }
  return Moved(r, dx, dy);
}

}  // namespace

void LabelPlacerStart(LabelPlacer& placer, const RECT& screen) {
  placer.screen = screen;
  placer.taken.clear();
  placer.labelled.clear();
  placer.kept.clear();
}

void LabelPlacerTake(LabelPlacer& placer, const RECT& rect) {
  if (!Empty(rect)) placer.taken.push_back(rect);
}

void LabelPlacerKeep(LabelPlacer& placer, const RECT& rect) {
  if (Empty(rect)) return;
  placer.taken.push_back(rect);
  placer.kept.push_back(rect);
}

bool LabelPlacerFree(const LabelPlacer& placer, const RECT& rect, const RECT* own) {
  const RECT& s = placer.screen;
  if (Empty(rect) || rect.left < s.left || rect.top < s.top || rect.right > s.right || rect.bottom > s.bottom)
    return false;
  return std::none_of(placer.taken.begin(), placer.taken.end(), [&rect, own](const RECT& t) {
    return !(own && Same(t, *own)) && Meet(rect, t);
  });
}

bool LabelPlacerPlace(LabelPlacer& placer, const RECT* candidates, std::size_t count, RECT& placed,
                      const RECT* own) {
  for (std::size_t i = 0; i < count; ++i) {
    if (!LabelPlacerFree(placer, candidates[i], own)) continue;
    placed = candidates[i];
    placer.taken.push_back(placed);
    placer.kept.push_back(placed);
    return true;
  }
  return false;
}

bool LabelPlaceBeside(LabelPlacer& placer, POINT at, SIZE size, std::int32_t gap, RECT& placed, const RECT* own) {
  const LONG w = size.cx;
  const LONG h = size.cy;
  const RECT candidates[4] = {
      {at.x + gap, at.y + gap, at.x + gap + w, at.y + gap + h},
      {at.x + gap, at.y - gap - h, at.x + gap + w, at.y - gap},
      {at.x - gap - w, at.y + gap, at.x - gap, at.y + gap + h},
      {at.x - gap - w, at.y - gap - h, at.x - gap, at.y - gap},
  };
  // A point labelled already (a task point is drawn by the task and again as a waypoint) keeps
  // the label it has: no second one beside it.
  if (std::any_of(placer.labelled.begin(), placer.labelled.end(),
                  [at](const POINT& p) { return p.x == at.x && p.y == at.y; }))
    return false;
  if (!LabelPlacerPlace(placer, candidates, 4, placed, own)) return false;
  placer.labelled.push_back(at);
  return true;
}

bool LabelPlaceAround(LabelPlacer& placer, POINT at, SIZE size, RECT& placed) {
  const RECT& s = placer.screen;
  if (at.x < s.left || at.x >= s.right || at.y < s.top || at.y >= s.bottom) return false;
  const RECT centred{at.x - size.cx / 2, at.y - size.cy / 2, at.x - size.cx / 2 + size.cx,
                     at.y - size.cy / 2 + size.cy};
  const RECT start = OntoScreen(centred, placer.screen);
  const LONG h = size.cy;
  const LONG w = std::max<LONG>(1, size.cx / 2);
  // The place itself, then one and two steps up, down, left and right, then the corners.
  const LONG steps[][2] = {{0, 0},  {0, -1}, {0, 1},  {-1, 0}, {1, 0},   {0, -2}, {0, 2},  {-2, 0},
                           {2, 0},  {-1, -1}, {1, -1}, {-1, 1}, {1, 1},  {-2, -2}, {2, -2}, {-2, 2}, {2, 2}};
  RECT candidates[std::size(steps)];
  for (std::size_t i = 0; i < std::size(steps); ++i)
    candidates[i] = Moved(start, steps[i][0] * w, steps[i][1] * h);
  return LabelPlacerPlace(placer, candidates, std::size(candidates), placed);
}

}  // namespace cumulor
