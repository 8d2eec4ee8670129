#include "cumulor/map/navbox/nav_box_pen.h"

#include <algorithm>
#include <cstdlib>

#include "cumulor/map/navbox/nav_box_layout.h"
#include "cumulor/map/navbox/nav_box_links.h"

namespace cumulor {
namespace {

bool Inside(const RECT& r, std::int32_t x, std::int32_t y) {
  return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

void DialogActive(NavBoxSet& set, bool on) {
  if (set.hooks.dialogActive) set.hooks.dialogActive(on);
}

void Outline(NavBoxSet& set, const RECT& r) {
  if (set.hooks.outline) set.hooks.outline(r);
}

// The dragged box's place for a pen at (x, y): inside the area, the bottom edge at least the box's
// height below the area's top.
POINT DragPosition(const NavBoxSet& set, const NavBox& b, std::int32_t x, std::int32_t y) {
  std::int32_t left = x - set.grabX;
  std::int32_t bottom = y + set.grabY;
  left = std::max(std::min(left, set.area.right - b.extent.right), set.area.left);
  bottom = std::min(std::max(bottom, set.area.top + NavBoxHeight(b)), set.area.bottom);
  return POINT{left, bottom};
}

}  // namespace

bool NavBoxPenDown(NavBoxSet& set, std::int32_t x, std::int32_t y) {
  if (!set.ready || !set.visible) return false;
  set.downPoint = POINT{x, y};
  if (set.buttonCountdown != 0 && Inside(set.buttonRect, x, y)) {
    set.buttonCountdown = 0;
    DialogActive(set, true);
    if (set.hooks.appearance) set.hooks.appearance(set.selected);
    return true;
  }
  set.tapped = 0;
  for (std::int32_t n : {kNavBoxStart, kNavBoxRadial}) {
    if (set.on[n] && Inside(set.box[n].rect, x, y)) {
      set.tapped = n;
      set.downRect = set.box[n].rect;
      break;
    }
  }
  if (set.allowDrag && !set.lock) {
    for (std::int32_t n = 1; n <= kNavBoxLast; ++n) {
      if (!set.on[n] || !Inside(set.box[n].rect, x, y)) continue;
      NavBox& b = set.box[n];
      set.selected = n;
      set.dragged = n;
      set.downRect = b.rect;
      set.grabX = x - b.rect.left;
      set.grabY = b.rect.bottom - y;
      if (set.hooks.dragBegin) set.hooks.dragBegin();
      DialogActive(set, true);
      Outline(set, b.rect);
      if (n == kNavBoxStart) set.tapped = n;
      break;
    }
  }
  return set.dragged != 0 || set.tapped != 0;
}

bool NavBoxPenMove(NavBoxSet& set, std::int32_t x, std::int32_t y) {
  if (!set.dragged) return false;
  NavBox& b = set.box[set.dragged];
  Outline(set, b.rect);
  const POINT p = DragPosition(set, b, x, y);
  NavBoxPlace(b, p.x, p.y, true);
  Outline(set, b.rect);
  return true;
}

bool NavBoxPenUp(NavBoxSet& set, std::int32_t x, std::int32_t y) {
  if (!set.dragged && !set.tapped) return false;
  bool moved = false;
  if (const std::int32_t n = set.dragged) {
    NavBox& b = set.box[n];
    Outline(set, b.rect);
    const POINT p = DragPosition(set, b, x, y);
    NavBoxPlace(b, p.x, p.y, true);
    moved = std::abs(b.rect.left - set.downRect.left) >= kNavBoxMoveThreshold ||
            std::abs(b.rect.top - set.downRect.top) >= kNavBoxMoveThreshold;
    if (moved) {
      NavBoxUndock(set, n, false);
      NavBoxLayoutChain(set, n);
    }
    NavBoxDrop(set, n);
    if (set.hooks.dragEnd) set.hooks.dragEnd();
    NavBoxSetOn(set, n, true);
    if (!NavRight(b) && !NavLower(b)) set.buttonCountdown = 3;
    set.dragged = 0;
    set.changed = 1;
  }
  if (set.tapped && !moved) {
    if (set.tapped == kNavBoxStart) {
      if (set.hooks.startAllowed && set.hooks.startAllowed() && set.hooks.startTap) set.hooks.startTap();
    } else if (set.tapped == kNavBoxRadial) {
      if (set.hooks.radialTap) set.hooks.radialTap();
    }
  }
  set.tapped = 0;
  DialogActive(set, false);
  return true;
}

}  // namespace cumulor
