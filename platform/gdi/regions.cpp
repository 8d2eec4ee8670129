// Regions (unions of rectangles, on cairo_region_t) and the DC's clip region.
#include <algorithm>

#include "platform/gdi/gdi.h"
#include "platform/gdi/gdi_objects.h"

using namespace ce::gdi;

namespace {

int Complexity(const cairo_region_t* r) {
  int n = cairo_region_num_rectangles(r);
  return n == 0 ? NULLREGION : n == 1 ? SIMPLEREGION : COMPLEXREGION;
}

cairo_rectangle_int_t Normal(int left, int top, int right, int bottom) {
  left = Near(left), top = Near(top), right = Near(right), bottom = Near(bottom);
  if (right < left) std::swap(left, right);
  if (bottom < top) std::swap(top, bottom);
  return {left, top, right - left, bottom - top};
}

// Every point a region may hold.
constexpr cairo_rectangle_int_t kAll = {-kNear, -kNear, 2 * kNear, 2 * kNear};

// The DC's clip in DC coordinates, made explicit (the whole DC when it has none).
cairo_region_t* ClipOrAll(DC& dc) {
  if (!dc.st.clip) dc.st.clip = cairo_region_create_rectangle(&kAll);
  return dc.st.clip;
}

}  // namespace

HRGN CreateRectRgn(int left, int top, int right, int bottom) {
  auto lock = Lock();
  auto* r = new Region;
  cairo_rectangle_int_t rect = Normal(left, top, right, bottom);
  r->rgn = cairo_region_create_rectangle(&rect);
  Register(r);
  return reinterpret_cast<HRGN>(r);
}

HRGN CreateRectRgnIndirect(const RECT* rect) {
  return rect ? CreateRectRgn(rect->left, rect->top, rect->right, rect->bottom) : nullptr;
}

BOOL SetRectRgn(HRGN rgn, int left, int top, int right, int bottom) {
  auto lock = Lock();
  Region* r = AsRegion(rgn);
  if (!r) return FALSE;
  cairo_region_destroy(r->rgn);
  cairo_rectangle_int_t rect = Normal(left, top, right, bottom);
  r->rgn = cairo_region_create_rectangle(&rect);
  return TRUE;
}

int CombineRgn(HRGN dest, HRGN a, HRGN b, int mode) {
  auto lock = Lock();
  Region* d = AsRegion(dest);
  Region* ra = AsRegion(a);
  Region* rb = AsRegion(b);
  if (!d || !ra || (mode != RGN_COPY && !rb)) return ERROR;
  cairo_region_t* result = cairo_region_copy(ra->rgn);
  switch (mode) {
    case RGN_AND: cairo_region_intersect(result, rb->rgn); break;
    case RGN_OR: cairo_region_union(result, rb->rgn); break;
    case RGN_XOR: cairo_region_xor(result, rb->rgn); break;
    case RGN_DIFF: cairo_region_subtract(result, rb->rgn); break;
    case RGN_COPY: break;
    default: cairo_region_destroy(result); return ERROR;
  }
  cairo_region_destroy(d->rgn);
  d->rgn = result;
  return Complexity(result);
}

int GetRgnBox(HRGN rgn, LPRECT rect) {
  auto lock = Lock();
  Region* r = AsRegion(rgn);
  if (!r || !rect) return ERROR;
  cairo_rectangle_int_t e;
  cairo_region_get_extents(r->rgn, &e);
  *rect = {e.x, e.y, e.x + e.width, e.y + e.height};
  return Complexity(r->rgn);
}

BOOL PtInRegion(HRGN rgn, int x, int y) {
  auto lock = Lock();
  Region* r = AsRegion(rgn);
  return r && cairo_region_contains_point(r->rgn, x, y);
}

int OffsetRgn(HRGN rgn, int dx, int dy) {
  auto lock = Lock();
  Region* r = AsRegion(rgn);
  if (!r) return ERROR;
  // Moved far out, the region keeps what stays within reach.
  cairo_region_translate(r->rgn, Near(dx), Near(dy));
  cairo_region_intersect_rectangle(r->rgn, &kAll);
  return Complexity(r->rgn);
}

BOOL FillRgn(HDC hdc, HRGN rgn, HBRUSH brush) {
  auto lock = Lock();
  DC* dc = AsDC(hdc);
  Region* r = AsRegion(rgn);
  Brush* b = AsBrush(brush);
  if (!dc || !r || !b) return FALSE;
  GDI_RECORD(*dc, "FillRgn()");
  cairo_rectangle_int_t e;
  cairo_region_get_extents(r->rgn, &e);
  Render(*dc, {e.x, e.y, e.x + e.width, e.y + e.height}, R2_COPYPEN, [&](cairo_t* cr) {
    int n = cairo_region_num_rectangles(r->rgn);
    for (int i = 0; i < n; ++i) {
      cairo_rectangle_int_t q;
      cairo_region_get_rectangle(r->rgn, i, &q);
      cairo_rectangle(cr, q.x, q.y, q.width, q.height);
    }
    if (ApplyBrush(cr, *dc, b)) cairo_fill(cr);
  });
  return TRUE;
}

int SelectClipRgn(HDC hdc, HRGN rgn) {
  auto lock = Lock();
  DC* dc = AsDC(hdc);
  if (!dc) return ERROR;
  if (dc->st.clip) cairo_region_destroy(dc->st.clip);
  dc->st.clip = nullptr;
  if (!rgn) return SIMPLEREGION;
  Region* r = AsRegion(rgn);
  if (!r) return ERROR;
  // The DC keeps its own copy; the caller may delete the region.
  dc->st.clip = cairo_region_copy(r->rgn);
  return Complexity(dc->st.clip);
}

int IntersectClipRect(HDC hdc, int left, int top, int right, int bottom) {
  auto lock = Lock();
  DC* dc = AsDC(hdc);
  if (!dc) return ERROR;
  cairo_rectangle_int_t rect = Normal(left, top, right, bottom);
  cairo_region_intersect_rectangle(ClipOrAll(*dc), &rect);
  return Complexity(dc->st.clip);
}

int ExcludeClipRect(HDC hdc, int left, int top, int right, int bottom) {
  auto lock = Lock();
  DC* dc = AsDC(hdc);
  if (!dc) return ERROR;
  cairo_rectangle_int_t rect = Normal(left, top, right, bottom);
  cairo_region_subtract_rectangle(ClipOrAll(*dc), &rect);
  return Complexity(dc->st.clip);
}

int GetClipBox(HDC hdc, LPRECT rect) {
  auto lock = Lock();
  DC* dc = AsDC(hdc);
  if (!dc || !rect) return ERROR;
  cairo_region_t* clip = EffectiveClip(*dc);
  cairo_rectangle_int_t e;
  cairo_region_get_extents(clip, &e);
  *rect = {e.x - dc->origin.x, e.y - dc->origin.y, e.x - dc->origin.x + e.width, e.y - dc->origin.y + e.height};
  int result = Complexity(clip);
  cairo_region_destroy(clip);
  return result;
}

int GetClipRgn(HDC hdc, HRGN rgn) {
  auto lock = Lock();
  DC* dc = AsDC(hdc);
  Region* r = AsRegion(rgn);
  if (!dc || !r) return -1;
  if (!dc->st.clip) return 0;
  cairo_region_destroy(r->rgn);
  r->rgn = cairo_region_copy(dc->st.clip);
  return 1;
}

BOOL SetRect(LPRECT rect, int left, int top, int right, int bottom) {
  if (!rect) return FALSE;
  *rect = {left, top, right, bottom};
  return TRUE;
}
BOOL SetRectEmpty(LPRECT rect) { return SetRect(rect, 0, 0, 0, 0); }
BOOL CopyRect(LPRECT dest, const RECT* src) {
  if (!dest || !src) return FALSE;
  *dest = *src;
  return TRUE;
}
BOOL InflateRect(LPRECT rect, int dx, int dy) {
  if (!rect) return FALSE;
  rect->left -= dx, rect->right += dx, rect->top -= dy, rect->bottom += dy;
  return TRUE;
}
BOOL OffsetRect(LPRECT rect, int dx, int dy) {
  if (!rect) return FALSE;
  rect->left += dx, rect->right += dx, rect->top += dy, rect->bottom += dy;
  return TRUE;
}
BOOL IsRectEmpty(const RECT* rect) { return !rect || rect->right <= rect->left || rect->bottom <= rect->top; }
BOOL IntersectRect(LPRECT dest, const RECT* a, const RECT* b) {
  if (!dest || !a || !b) return FALSE;
  RECT r{std::max(a->left, b->left), std::max(a->top, b->top), std::min(a->right, b->right), std::min(a->bottom, b->bottom)};
  if (IsRectEmpty(&r)) {
    *dest = {0, 0, 0, 0};
    return FALSE;
  }
  *dest = r;
  return TRUE;
}
BOOL UnionRect(LPRECT dest, const RECT* a, const RECT* b) {
  if (!dest || !a || !b) return FALSE;
  if (IsRectEmpty(a)) return (*dest = *b, !IsRectEmpty(b));
  if (IsRectEmpty(b)) return (*dest = *a, TRUE);
  *dest = {std::min(a->left, b->left), std::min(a->top, b->top), std::max(a->right, b->right), std::max(a->bottom, b->bottom)};
  return TRUE;
}
BOOL PtInRect(const RECT* rect, POINT p) {
  return rect && p.x >= rect->left && p.x < rect->right && p.y >= rect->top && p.y < rect->bottom;
}
BOOL EqualRect(const RECT* a, const RECT* b) {
  return a && b && a->left == b->left && a->top == b->top && a->right == b->right && a->bottom == b->bottom;
}
