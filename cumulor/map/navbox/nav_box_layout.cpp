// Layout of the boxes. With dragging allowed every box stays where it was put (a box reaching past
// the area's right edge is moved back inside) and every chain is laid out again from its first
// box; without it the boxes flow into rows from the bottom-left corner, 3 pixels between rows. A
// box whose rect changed lays its chain out again: the boxes docked below it (aligned to the left
// edge, or to the right edge in the area's right half) and the rows docked right of each of them,
// one pixel apart; a row that would pass the area's right edge goes on in a line above.
#include "cumulor/map/navbox/nav_box_layout.h"

#include <algorithm>

#include "cumulor/map/navbox/nav_box_links.h"

namespace cumulor {
namespace {

bool Valid(std::int32_t n) { return n >= 1 && n <= kNavBoxLast; }

bool SameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

RECT Moved(const RECT& r, std::int32_t dx, std::int32_t dy) {
  return RECT{r.left + dx, r.top + dy, r.right + dx, r.bottom + dy};
}

SIZE Measure(const NavBoxSet& set, std::int32_t role, const WCHAR* text, std::int32_t length) {
  if (!set.hooks.measure) return SIZE{0, 0};
  return set.hooks.measure(role, text, length);
}

void PlaceRightOf(NavBoxSet& set, std::int32_t left, std::int32_t box) {
  const NavBox& l = set.box[left];
  NavBoxPlace(set.box[box], l.rect.right + 1, l.rect.bottom, true);
}

void PlaceBelow(NavBoxSet& set, std::int32_t upper, std::int32_t box) {
  const NavBox& u = set.box[upper];
  NavBox& b = set.box[box];
  const std::int32_t x = b.rightHalf ? u.rect.right - b.extent.right : u.rect.left;
  NavBoxPlace(b, x, u.rect.bottom + 1 + NavBoxHeight(b), true);
}

// Cuts the box's own right or lower link (a box linked to itself).
void CutOwn(NavBox& b, std::int32_t which) { b.d1[which] = 0; }

}  // namespace

void NavBoxMeasure(NavBoxSet& set, std::int32_t number) {
  if (!Valid(number)) return;
  NavBox& b = set.box[number];
  const std::int32_t titleRole = b.titleFont ? b.titleFont : kNavBoxTitleFontDefault;
  const std::int32_t valueRole = b.valueFont ? b.valueFont : kNavBoxValueFontDefault;
  const SIZE t = Measure(set, titleRole, b.title, b.titleLength);
  const SIZE v = Measure(set, valueRole, b.value, b.valueLength);
  const SIZE u = Measure(set, kNavBoxUnitFont, b.unit, b.unitLength);
  const std::int32_t textWidth = std::max(t.cx, v.cx);
  b.width = textWidth + 4;
  b.titleHeight = t.cy;
  b.valueHeight = v.cy;
  b.unitHeight = u.cy;
  b.titleExtent = RECT{2, 0, textWidth + 3, t.cy};
  b.valueExtent = RECT{3, t.cy, textWidth + 3, t.cy + v.cy};
  const std::int32_t valueBottom = b.valueExtent.bottom;
  b.unitExtent = RECT{1, valueBottom - 2, textWidth + 3, valueBottom - 2 + u.cy};
  if (b.style == 1 || b.style == 2) {
    b.extent = RECT{0, 0, b.width + 1, valueBottom + 1};
  } else if (b.style >= 3) {
    b.extent = RECT{0, 0, b.width + 1, b.unitExtent.bottom + 1};
  }
  b.titleDirty = 1;
}

bool NavBoxPlace(NavBox& box, std::int32_t x, std::int32_t y, bool forced, std::int32_t limit) {
  if (!forced && x + box.width > limit) return false;
  const std::int32_t dy = y - NavBoxHeight(box);
  box.rect = Moved(box.extent, x, dy);
  box.titleRect = Moved(box.titleExtent, x, dy);
  box.valueRect = Moved(box.valueExtent, x, dy);
  box.unitRect = Moved(box.unitExtent, x, dy);
  return true;
}

void NavBoxLayoutChain(NavBoxSet& set, std::int32_t anchor) {
  if (!Valid(anchor)) return;
  NavBox& a = set.box[anchor];
  a.rightHalf = a.rect.left > (set.area.left + set.area.right) / 2 ? 1 : 0;

  bool seen[kNavBoxCount] = {};
  seen[anchor] = true;
  std::int32_t column[kNavBoxCount];
  std::int32_t count = 0;
  column[count++] = anchor;
  for (std::int32_t x = anchor, steps = 0; steps < kNavBoxLast; ++steps) {
    const std::int32_t d = NavLower(set.box[x]);
    if (d == 0) break;
    if (d == x) {
      CutOwn(set.box[x], 3);
      break;
    }
    if (!Valid(d) || seen[d]) break;
    seen[d] = true;
    set.box[d].rightHalf = a.rightHalf;
    PlaceBelow(set, x, d);
    column[count++] = d;
    x = d;
  }
  for (std::int32_t i = 0; i < count; ++i) {
    // The row goes on above (from its first box's left edge, 3 pixels between the lines) where a
    // box would pass the area's right edge: a value that grew wider keeps every box on the screen.
    const LONG lineLeft = set.box[column[i]].rect.left;
    LONG lineTop = set.box[column[i]].rect.top;
    for (std::int32_t x = column[i], steps = 0; steps < kNavBoxLast; ++steps) {
      const std::int32_t r = NavRight(set.box[x]);
      if (r == 0) break;
      if (r == x) {
        CutOwn(set.box[x], 2);
        break;
      }
      if (!Valid(r) || seen[r]) break;
      seen[r] = true;
      NavBox& b = set.box[r];
      const LONG right = set.box[x].rect.right + 1 + b.extent.right;
      if (right > set.area.right && lineLeft + b.extent.right <= set.area.right) {
        NavBoxPlace(b, lineLeft, lineTop - 3, true);
        lineTop = b.rect.top;
      } else {
        PlaceRightOf(set, x, r);
        lineTop = std::min(lineTop, b.rect.top);
      }
      x = r;
    }
  }
}

void NavBoxLayout(NavBoxSet& set, bool dockAsYouGo) {
  const RECT area = set.area;
  std::int32_t cursorX = area.left;
  std::int32_t cursorY = area.bottom;
  std::int32_t rowHeight = 0;
  std::int32_t previous = 0;
  for (std::int32_t n = 1; n <= kNavBoxLast; ++n) {
    if (!set.on[n]) continue;
    NavBox& b = set.box[n];
    const RECT before = b.rect;
    const std::int32_t height = NavBoxHeight(b);
    rowHeight = std::max(rowHeight, height);
    if (set.allowDrag && before.right == 0) {
      // Never placed: near the area's centre, as a box switched on is.
      NavBoxPlace(b, (area.right - area.left) / 2 - 15, (area.bottom - area.top) / 2 - 10, true);
    } else if (set.allowDrag) {
      std::int32_t x = b.rect.left;
      const std::int32_t right = x + b.extent.right;
      const bool pastEdge = NavLeft(b) ? right == area.right : right >= area.right;
      if (pastEdge) x = area.right - b.extent.right;
      NavBoxPlace(b, x, b.rect.bottom, true);
    } else if (NavBoxPlace(b, cursorX, cursorY, false, area.right)) {
      if (dockAsYouGo) {
        NavBoxUndock(set, n, true);
        if (previous) {
          set.box[previous].d1[2] = static_cast<BYTE>(n);
          b.d2[0] = static_cast<BYTE>(previous);
          PlaceRightOf(set, previous, n);
        }
        cursorX = b.rect.right + 1;
      } else {
        cursorX += b.width + 1;
      }
      previous = n;
    } else {
      // A new row above; the box that did not fit is its first.
      cursorY -= rowHeight + 3;
      cursorX = area.left;
      rowHeight = height;
      if (dockAsYouGo) NavBoxUndock(set, n, true);
      previous = NavBoxPlace(b, cursorX, cursorY, false, area.right) ? n : 0;
      cursorX = previous ? (dockAsYouGo ? b.rect.right + 1 : cursorX + b.width + 1) : cursorX;
    }
    if (!SameRect(before, b.rect)) NavBoxLayoutChain(set, n);
  }
  // Docked boxes follow their chain as measured now (a box whose width changed moves the boxes
  // docked to it), whether or not the chain's first box moved.
  if (set.allowDrag) {
    for (std::int32_t n = 1; n <= kNavBoxLast; ++n)
      if (set.on[n] && !NavLeft(set.box[n]) && !NavUpper(set.box[n])) NavBoxLayoutChain(set, n);
  }
  set.changed = 1;
}

bool NavBoxDockRight(NavBoxSet& set, std::int32_t to, std::int32_t box) {
  if (!Valid(to) || !Valid(box) || NavBoxReaches(set, box, to)) return false;
  NavBox& a = set.box[to];
  NavBox& d = set.box[box];
  if (const std::int32_t old = NavRight(a); Valid(old) && NavLeft(set.box[old]) == to) set.box[old].d2[0] = 0;
  if (const std::int32_t oldLeft = NavLeft(d); Valid(oldLeft) && NavRight(set.box[oldLeft]) == box)
    set.box[oldLeft].d1[2] = 0;
  a.d1[2] = static_cast<BYTE>(box);
  d.d2[0] = static_cast<BYTE>(to);
  PlaceRightOf(set, to, box);
  NavBoxLayoutChain(set, box);
  return true;
}

bool NavBoxDockBelow(NavBoxSet& set, std::int32_t to, std::int32_t box) {
  if (!Valid(to) || !Valid(box) || NavBoxReaches(set, box, to)) return false;
  NavBox& a = set.box[to];
  NavBox& d = set.box[box];
  if (const std::int32_t old = NavLower(a); Valid(old) && NavUpper(set.box[old]) == to) set.box[old].d2[1] = 0;
  if (const std::int32_t oldUpper = NavUpper(d); Valid(oldUpper) && NavLower(set.box[oldUpper]) == box)
    set.box[oldUpper].d1[3] = 0;
  a.d1[3] = static_cast<BYTE>(box);
  d.d2[1] = static_cast<BYTE>(to);
  PlaceBelow(set, to, box);
  NavBoxLayoutChain(set, box);
  return true;
}

void NavBoxDrop(NavBoxSet& set, std::int32_t box) {
  if (!Valid(box)) return;
  for (std::int32_t n = 1; n <= kNavBoxLast; ++n) {
    if (n == box || !set.on[n]) continue;
    const RECT d = set.box[box].rect;
    const NavBox& b = set.box[n];
    const RECT i{std::max(d.left, b.rect.left), std::max(d.top, b.rect.top), std::min(d.right, b.rect.right),
                 std::min(d.bottom, b.rect.bottom)};
    if (i.left >= i.right || i.top >= i.bottom) continue;
    // A box of a row or column takes the dropped box at its end (unless that closes a cycle:
    // then this box is passed over).
    if (NavRight(b) || NavLeft(b)) {
      if (NavBoxDockRight(set, NavBoxRowEnd(set, n), box)) break;
      continue;
    }
    if (NavLower(b) || NavUpper(b)) {
      if (NavBoxDockBelow(set, NavBoxColumnEnd(set, n), box)) break;
      continue;
    }
    // A free box: the edge it is met on the longest decides; a box dropped wholly inside it
    // meets no edge and goes to its right.
    const std::int32_t w = i.right - i.left;
    const std::int32_t h = i.bottom - i.top;
    const std::int32_t overlap[4] = {i.left == b.rect.left ? h : 0, i.top == b.rect.top ? w : 0,
                                     i.right == b.rect.right ? h : 0, i.bottom == b.rect.bottom ? w : 0};
    std::int32_t edge = 2;
    std::int32_t longest = 0;
    for (std::int32_t k = 0; k < 4; ++k) {
      if (overlap[k] > longest) {
        longest = overlap[k];
        edge = k;
      }
    }
    if (edge == 0 || edge == 2) {
      if (set.area.right - b.rect.right > set.box[box].width) NavBoxDockRight(set, NavBoxRowEnd(set, n), box);
    } else {
      NavBoxDockBelow(set, NavBoxColumnEnd(set, n), box);
    }
  }
  // The chain the box now hangs in, from its first box, so that a box dropped near its old place
  // without leaving its row goes back into line.
  NavBoxLayoutChain(set, NavBoxChainRoot(set, box));
}

}  // namespace cumulor
