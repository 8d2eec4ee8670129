#include "cumulor/map/navbox/nav_box_links.h"

namespace cumulor {
namespace {

bool Valid(std::int32_t n) { return n >= 1 && n <= kNavBoxLast; }

struct Visited {
  bool seen[kNavBoxCount] = {};
  // False when n was seen already (or names no box).
  bool Mark(std::int32_t n) {
    if (!Valid(n) || seen[n]) return false;
    seen[n] = true;
    return true;
  }
};

void CutRight(NavBoxSet& set, std::int32_t x) {
  const std::int32_t r = NavRight(set.box[x]);
  set.box[x].d1[2] = 0;
  if (Valid(r) && NavLeft(set.box[r]) == x) set.box[r].d2[0] = 0;
}

void CutLower(NavBoxSet& set, std::int32_t x) {
  const std::int32_t d = NavLower(set.box[x]);
  set.box[x].d1[3] = 0;
  if (Valid(d) && NavUpper(set.box[d]) == x) set.box[d].d2[1] = 0;
}

// Pass 1: one walk along the right links from `start`; false when it cut a link.
bool RightWalk(NavBoxSet& set, std::int32_t start) {
  Visited visited;
  visited.Mark(start);
  std::int32_t x = start;
  for (std::int32_t steps = 0; steps < kNavBoxLast; ++steps) {
    const std::int32_t r = NavRight(set.box[x]);
    if (r == 0) return true;
    if (!Valid(r) || !set.on[r] || NavLeft(set.box[r]) != x || !visited.Mark(r)) {
      CutRight(set, x);
      return false;
    }
    x = r;
  }
  return true;
}

}  // namespace

void NavBoxSanitizeLinks(NavBox& box) {
  box.d1[0] = box.d1[1] = 0;
  box.d2[2] = box.d2[3] = 0;
  for (BYTE* link : {&box.d1[2], &box.d1[3], &box.d2[0], &box.d2[1]}) {
    if (*link >= kNavBoxCount || *link == box.number) *link = 0;
  }
}

void NavBoxSetRepairLinks(NavBoxSet& set) {
  for (std::int32_t n = 1; n <= kNavBoxLast; ++n) NavBoxSanitizeLinks(set.box[n]);
  // Slot 0 is never linked.
  set.box[0].d1[2] = set.box[0].d1[3] = set.box[0].d2[0] = set.box[0].d2[1] = 0;

  // 1. Right chains: each cut starts the pass again (every cut removes a link, so this ends).
  for (std::int32_t n = 1; n <= kNavBoxLast;) n = RightWalk(set, n) ? n + 1 : 1;

  // 2. Left chains: a left link whose box does not name this one as its right neighbour.
  for (std::int32_t n = 1; n <= kNavBoxLast; ++n) {
    Visited visited;
    visited.Mark(n);
    for (std::int32_t x = n, steps = 0; steps < kNavBoxLast; ++steps) {
      const std::int32_t l = NavLeft(set.box[x]);
      if (l == 0) break;
      if (!Valid(l) || NavRight(set.box[l]) != x || !visited.Mark(l)) {
        set.box[x].d2[0] = 0;
        break;
      }
      x = l;
    }
  }

  // 3. Lower chains: the box below must name this one and be on.
  for (std::int32_t n = 1; n <= kNavBoxLast; ++n) {
    Visited visited;
    visited.Mark(n);
    for (std::int32_t x = n, steps = 0; steps < kNavBoxLast; ++steps) {
      const std::int32_t d = NavLower(set.box[x]);
      if (d == 0) break;
      if (!Valid(d) || !set.on[d] || NavUpper(set.box[d]) != x || !visited.Mark(d)) {
        CutLower(set, x);
        break;
      }
      x = d;
    }
  }

  // 4. Upper chains: an upper link whose box does not name this one as its lower neighbour.
  for (std::int32_t n = 1; n <= kNavBoxLast; ++n) {
    Visited visited;
    visited.Mark(n);
    for (std::int32_t x = n, steps = 0; steps < kNavBoxLast; ++steps) {
      const std::int32_t u = NavUpper(set.box[x]);
      if (u == 0) break;
      if (!Valid(u) || NavLower(set.box[u]) != x || !visited.Mark(u)) {
        set.box[x].d2[1] = 0;
        break;
      }
      x = u;
    }
  }
}

std::int32_t NavBoxRowEnd(const NavBoxSet& set, std::int32_t number) {
  Visited visited;
  if (!visited.Mark(number)) return number;
  std::int32_t x = number;
  for (std::int32_t steps = 0; steps < kNavBoxLast; ++steps) {
    const std::int32_t r = NavRight(set.box[x]);
    if (!visited.Mark(r)) break;
    x = r;
  }
  return x;
}

std::int32_t NavBoxColumnEnd(const NavBoxSet& set, std::int32_t number) {
  Visited visited;
  if (!visited.Mark(number)) return number;
  std::int32_t x = number;
  for (std::int32_t steps = 0; steps < kNavBoxLast; ++steps) {
    const std::int32_t d = NavLower(set.box[x]);
    if (!visited.Mark(d)) break;
    x = d;
  }
  return x;
}

std::int32_t NavBoxChainRoot(const NavBoxSet& set, std::int32_t number) {
  Visited visited;
  if (!visited.Mark(number)) return number;
  std::int32_t x = number;
  for (std::int32_t steps = 0; steps < kNavBoxLast; ++steps) {
    std::int32_t next = NavLeft(set.box[x]);
    if (next == 0) next = NavUpper(set.box[x]);
    if (!visited.Mark(next)) break;
    x = next;
  }
  return x;
}

bool NavBoxReaches(const NavBoxSet& set, std::int32_t from, std::int32_t target) {
  if (from == target) return true;
  Visited visited;
  if (!visited.Mark(from)) return false;
  std::int32_t queue[kNavBoxCount];
  std::int32_t head = 0, tail = 0;
  queue[tail++] = from;
  while (head < tail) {
    const NavBox& b = set.box[queue[head++]];
    for (std::int32_t next : {NavRight(b), NavLower(b)}) {
      if (next == target) return true;
      if (visited.Mark(next)) queue[tail++] = next;
    }
  }
  return false;
}

void NavBoxUndock(NavBoxSet& set, std::int32_t number, bool full) {
  if (!Valid(number)) return;
  NavBox& b = set.box[number];
  if (const std::int32_t l = NavLeft(b); Valid(l) && NavRight(set.box[l]) == number) set.box[l].d1[2] = 0;
  b.d2[0] = 0;
  if (const std::int32_t u = NavUpper(b); Valid(u) && NavLower(set.box[u]) == number) set.box[u].d1[3] = 0;
  b.d2[1] = 0;
  if (!full) return;
  CutRight(set, number);
  CutLower(set, number);
}

}  // namespace cumulor
