// Lines and shapes: the current position, lines, polylines, polygons, rectangles, rounded
// rectangles, ellipses, arcs and pies, rectangle fills and frames, edges, single pixels.
//
// Pixel rules: a 1-pixel pen runs through pixel centres and leaves out the last point of a line;
// shapes cover [left, right) x [top, bottom) with their outline on the inside edge; a shape drawn
// with the null pen is one pixel smaller to the right and bottom, as on the device.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "platform/gdi/gdi.h"
#include "platform/gdi/gdi_objects.h"
#include "platform/gdi/gdi_seams.h"

using namespace ce::gdi;

namespace {

// Coordinates far outside any surface are pulled in so that the rasteriser's fixed-point range
// is never exceeded.
constexpr double kFar = 4'000'000;
double Clamp(LONG v) { return std::clamp(static_cast<double>(v), -kFar, kFar); }

RECT Extent(const POINT* p, int n, int pad) {
  RECT r{p[0].x, p[0].y, p[0].x, p[0].y};
  for (int i = 1; i < n; ++i) {
    r.left = std::min(r.left, p[i].x), r.top = std::min(r.top, p[i].y);
    r.right = std::max(r.right, p[i].x), r.bottom = std::max(r.bottom, p[i].y);
  }
  return {Near(r.left) - pad, Near(r.top) - pad, Near(r.right) + pad + 1, Near(r.bottom) + pad + 1};
}

RECT Grow(int l, int t, int r, int b, int pad) { return {std::min(l, r) - pad, std::min(t, b) - pad, std::max(l, r) + pad + 1, std::max(t, b) + pad + 1}; }

// Half a pixel moves a 1-pixel (or any odd) line onto pixel centres.
double Half(const DC& dc) { return PenWidth(dc) % 2 ? 0.5 : 0.0; }

void PathPoints(cairo_t* cr, const POINT* p, int n, double off, bool close) {
  cairo_move_to(cr, Clamp(p[0].x) + off, Clamp(p[0].y) + off);
  for (int i = 1; i < n; ++i) {
    // A point repeating the one before adds nothing (Cairo would drop it too), except right
    // after the first point, where it makes a dot to stroke.
    if (i > 1 && p[i].x == p[i - 1].x && p[i].y == p[i - 1].y) continue;
    cairo_line_to(cr, Clamp(p[i].x) + off, Clamp(p[i].y) + off);
  }
  if (close) cairo_close_path(cr);
}

std::string Args(std::initializer_list<long> v) {
  std::string s;
  for (long x : v) {
    if (!s.empty()) s += ',';
    s += std::to_string(x);
  }
  return s;
}

// Orders the corners and pulls far coordinates in.
void Normalize(int& l, int& t, int& r, int& b) {
  l = Near(l), t = Near(t), r = Near(r), b = Near(b);
  if (r < l) std::swap(l, r);
  if (b < t) std::swap(t, b);
}

// The one-pixel frame just inside `r`, to fill.
void FramePath(cairo_t* cr, const RECT& r) {
  cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
  cairo_rectangle(cr, r.left, r.top, r.right - r.left, r.bottom - r.top);
  cairo_rectangle(cr, r.left + 1, r.top + 1, r.right - r.left - 2, r.bottom - r.top - 2);
}

// The target pixel under DC point (x, y) when the DC may touch it there, else null. The target is
// brought in and flushed; after writing, mark it dirty and sync it out.
std::uint32_t* PixelAt(DC& dc, int x, int y) {
  if (!dc.target) return nullptr;
  long long tx = static_cast<long long>(x) + dc.origin.x, ty = static_cast<long long>(y) + dc.origin.y;
  if (tx < 0 || ty < 0 || tx >= dc.target->width || ty >= dc.target->height) return nullptr;
  cairo_region_t* clip = EffectiveClip(dc);
  bool inside = cairo_region_contains_point(clip, static_cast<int>(tx), static_cast<int>(ty));
  cairo_region_destroy(clip);
  if (!inside) return nullptr;
  SyncIn(dc.target);
  cairo_surface_flush(dc.target->surface);
  return Row(dc.target->surface, static_cast<int>(ty)) + tx;
}

// Fills and outlines a closed shape given by `path(inset)`, where inset 0 is the full shape
// [l, r) x [t, b) and inset 0.5 the outline's centre line.
// `fill_path(cr, grow_right)` and `outline_path(cr)` add paths of one closed figure each;
// `kept_outline(cr)` may lay the outline down in the pen's colour instead (true when it did).
template <class Fill, class Outline, class Kept>
void DrawClosed(DC& dc, const RECT& extent, const Fill& fill_path, const Outline& outline_path, const Kept& kept_outline) {
  Render(
      dc, extent, dc.st.rop2,
      [&](cairo_t* cr) {
        bool pen = dc.st.pen && dc.st.pen->style != PS_NULL;
        fill_path(cr, pen ? 0.0 : -1.0);
        if (ApplyBrush(cr, dc, nullptr)) cairo_fill(cr);
        cairo_new_path(cr);
        if (pen) {
          ApplyPen(cr, dc);
          if (!kept_outline(cr)) {
            outline_path(cr);
            cairo_stroke(cr);
          }
        }
      },
      DrawState::kPlain);
}

template <class Fill, class Outline>
void DrawClosed(DC& dc, const RECT& extent, const Fill& fill_path, const Outline& outline_path) {
  DrawClosed(dc, extent, fill_path, outline_path, [](cairo_t*) { return false; });
}

// The curves of an ellipse of one size centred on the origin, as cairo_arc makes them (in device
// units, for a context without scaling). A map draws the same few symbols many times, and working
// out the arc's curves costs more than drawing them; a path kept by size, moved to its place,
// comes out with the same points to the last bit.
class EllipseShapes {
 public:
  ~EllipseShapes() {
    for (auto& e : kept_) cairo_path_destroy(e.path);
    if (scratch_) cairo_destroy(scratch_);
    if (surface_) cairo_surface_destroy(surface_);
  }
  const cairo_path_t* Of(double w, double h) {
    for (const Entry& e : kept_)
      if (e.w == w && e.h == h) return e.path;
    if (!scratch_) {
      surface_ = cairo_image_surface_create(CAIRO_FORMAT_A1, 1, 1);
      scratch_ = cairo_create(surface_);
    }
    if (kept_.size() >= 32) {
      cairo_path_destroy(kept_.front().path);
      kept_.erase(kept_.begin());
    }
    cairo_new_path(scratch_);
    cairo_identity_matrix(scratch_);
    cairo_scale(scratch_, w / 2, h / 2);
    cairo_arc(scratch_, 0, 0, 1, 0, 2 * M_PI);
    cairo_identity_matrix(scratch_);
    cairo_path_t* path = cairo_copy_path(scratch_);
    if (path->status != CAIRO_STATUS_SUCCESS) {
      cairo_path_destroy(path);
      return nullptr;
    }
    kept_.push_back(Entry{w, h, path});
    return path;
  }

 private:
  struct Entry {
    double w, h;
    cairo_path_t* path;
  };
  std::vector<Entry> kept_;
  cairo_surface_t* surface_ = nullptr;
  cairo_t* scratch_ = nullptr;
};

bool keep_ellipse_shapes = true;  // the test seam's switch, read under the drawing lock

void EllipsePath(cairo_t* cr, double l, double t, double r, double b) {
  double w = r - l, h = b - t;
  if (w <= 0 || h <= 0) return;
  cairo_matrix_t m;
  cairo_get_matrix(cr, &m);
  // The kept curves hold where the context only moves (the DCs' own contexts) and no path is
  // open that the arc would join with a line.
  if (keep_ellipse_shapes && m.xx == 1 && m.yy == 1 && m.xy == 0 && m.yx == 0 && cairo_get_tolerance(cr) == 0.1 &&
      !cairo_has_current_point(cr)) {
    static EllipseShapes* shapes = new EllipseShapes();  // kept to the end of the process, used under the drawing lock
    if (const cairo_path_t* path = shapes->Of(w, h)) {
      cairo_translate(cr, l + w / 2, t + h / 2);
      cairo_append_path(cr, path);
      cairo_set_matrix(cr, &m);
      return;
    }
  }
  cairo_save(cr);
  cairo_translate(cr, l + w / 2, t + h / 2);
  cairo_scale(cr, w / 2, h / 2);
  cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
  cairo_restore(cr);
}

// The outlines of ellipses drawn with a solid pen, stroked once per size and pen width into a mask
// and then laid down at their places in the pen's colour. Without antialiasing the rasteriser
// works on fixed-point coordinates, so a figure moved by whole pixels covers the same pixels moved;
// a map draws the same few symbols hundreds of times a frame, and stroking a curve costs far more
// than laying a small mask.
class EllipseOutlines {
 public:
  ~EllipseOutlines() {
    for (auto& e : kept_)
      if (e.mask) cairo_surface_destroy(e.mask);
  }
  // Lays the outline of Ellipse(l, t, r, b) (corners in order) drawn with the DC's pen; false
  // when it is not kept for such a pen or context, and the caller strokes it.
  bool Draw(cairo_t* cr, const DC& dc, int l, int t, int r, int b) {
    const Pen* pen = dc.st.pen;
    if (!keep_ellipse_shapes || !pen || pen->style != PS_SOLID) return false;
    const int w = r - l, h = b - t, width = PenWidth(dc);
    if (w <= 0 || h <= 0 || w > kLargest || h > kLargest || width > 4) return false;
    cairo_matrix_t m;
    cairo_get_matrix(cr, &m);
    if (m.xx != 1 || m.yy != 1 || m.xy != 0 || m.yx != 0 || m.x0 != std::floor(m.x0) || m.y0 != std::floor(m.y0) ||
        cairo_get_tolerance(cr) != 0.1 || cairo_get_antialias(cr) != CAIRO_ANTIALIAS_NONE ||
        cairo_get_miter_limit(cr) != 10)
      return false;
    const Entry* kept = Of(dc, w, h, width);
    if (!kept->mask) return false;
    // Near the edge of the clip Cairo leaves out the parts of a stroke beyond it, which may change
    // the pixels inside: only outlines clear of every edge are laid.
    double cx1, cy1, cx2, cy2;
    cairo_clip_extents(cr, &cx1, &cy1, &cx2, &cy2);
    if (l - kPad + kept->ink.x < cx1 + kClear || t - kPad + kept->ink.y < cy1 + kClear ||
        l - kPad + kept->ink.x + kept->ink.width > cx2 - kClear ||
        t - kPad + kept->ink.y + kept->ink.height > cy2 - kClear)
      return false;
    cairo_surface_t* mask = kept->mask;
    cairo_pattern_t* laid = cairo_pattern_create_for_surface(mask);
    cairo_matrix_t at;
    cairo_matrix_init_translate(&at, kPad - l, kPad - t);
    cairo_pattern_set_matrix(laid, &at);
    cairo_pattern_set_filter(laid, CAIRO_FILTER_NEAREST);
    cairo_mask(cr, laid);
    cairo_pattern_destroy(laid);
    return true;
  }

 private:
  static constexpr int kLargest = 64;  // symbols; larger ellipses are stroked
  static constexpr int kPad = 32;      // room for the pen and the joins of the smallest curves
  static constexpr int kClear = 4;     // pixels between a laid outline and the clip's edge

  struct Entry {
    int w, h, width;
    cairo_surface_t* mask;     // null: this outline is stroked every time
    cairo_rectangle_int_t ink;  // the pixels the stroke may cover, in the mask
  };

  const Entry* Of(const DC& dc, int w, int h, int width) {
    for (const Entry& e : kept_)
      if (e.w == w && e.h == h && e.width == width) return &e;
    if (kept_.size() >= 64) {
      if (kept_.front().mask) cairo_surface_destroy(kept_.front().mask);
      kept_.erase(kept_.begin());
    }
    cairo_surface_t* mask = cairo_image_surface_create(CAIRO_FORMAT_A8, w + 2 * kPad, h + 2 * kPad);
    cairo_t* cr = cairo_create(mask);
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    ApplyPen(cr, dc);
    const double half = width / 2.0;
    EllipsePath(cr, kPad + half, kPad + half, kPad + w - half, kPad + h - half);
    // Kept only when the whole stroke lies inside the mask with a pixel to spare.
    double x1, y1, x2, y2;
    cairo_stroke_extents(cr, &x1, &y1, &x2, &y2);
    const bool inside = x1 >= 1 && y1 >= 1 && x2 <= w + 2 * kPad - 1 && y2 <= h + 2 * kPad - 1;
    if (inside) cairo_stroke(cr);
    const bool good = inside && cairo_status(cr) == CAIRO_STATUS_SUCCESS;
    cairo_destroy(cr);
    cairo_surface_flush(mask);
    if (!good) {
      cairo_surface_destroy(mask);
      mask = nullptr;
    }
    const cairo_rectangle_int_t ink{static_cast<int>(std::floor(x1)), static_cast<int>(std::floor(y1)),
                                    static_cast<int>(std::ceil(x2) - std::floor(x1)),
                                    static_cast<int>(std::ceil(y2) - std::floor(y1))};
    kept_.push_back(Entry{w, h, width, mask, ink});
    return &kept_.back();
  }

  std::vector<Entry> kept_;
};

void RoundRectPath(cairo_t* cr, double l, double t, double r, double b, double ew, double eh) {
  double rx = std::min(ew / 2, (r - l) / 2), ry = std::min(eh / 2, (b - t) / 2);
  if (rx <= 0 || ry <= 0) {
    cairo_rectangle(cr, l, t, r - l, b - t);
    return;
  }
  auto corner = [&](double cx, double cy, double a0) {
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_scale(cr, rx, ry);
    cairo_arc(cr, 0, 0, 1, a0, a0 + M_PI / 2);
    cairo_restore(cr);
  };
  cairo_new_sub_path(cr);
  corner(r - rx, t + ry, -M_PI / 2);
  corner(r - rx, b - ry, 0);
  corner(l + rx, b - ry, M_PI / 2);
  corner(l + rx, t + ry, M_PI);
  cairo_close_path(cr);
}

// Arcs run counter-clockwise (on screen) from the start radial to the end radial.
void ArcPath(cairo_t* cr, double l, double t, double r, double b, int xs, int ys, int xe, int ye, bool pie) {
  double cx = (l + r) / 2, cy = (t + b) / 2, rx = (r - l) / 2, ry = (b - t) / 2;
  if (rx <= 0 || ry <= 0) return;
  double a0 = std::atan2((ys - cy) / ry, (xs - cx) / rx);
  double a1 = std::atan2((ye - cy) / ry, (xe - cx) / rx);
  while (a1 >= a0) a1 -= 2 * M_PI;
  cairo_save(cr);
  cairo_translate(cr, cx, cy);
  cairo_scale(cr, rx, ry);
  if (pie) cairo_move_to(cr, 0, 0);
  cairo_arc_negative(cr, 0, 0, 1, a0, a1);
  if (pie) cairo_close_path(cr);
  cairo_restore(cr);
}

}  // namespace

BOOL MoveToEx(HDC hdc, int x, int y, LPPOINT old) {
  auto lock = Lock();
  DC* dc = AsDC(hdc);
  if (!dc) return FALSE;
  if (old) *old = dc->st.position;
  dc->st.position = {x, y};
  return TRUE;
}

BOOL LineTo(HDC hdc, int x, int y) {
  auto lock = Lock();
  DC* dc = AsDC(hdc);
  if (!dc) return FALSE;
  POINT p[2] = {dc->st.position, {x, y}};
  GDI_RECORD(*dc, "LineTo(" + Args({p[0].x, p[0].y, x, y}) + ")");
  dc->st.position = {x, y};
  Render(
      *dc, Extent(p, 2, PenWidth(*dc)), dc->st.rop2,
      [&](cairo_t* cr) {
        if (!ApplyPen(cr, *dc)) return;
        PathPoints(cr, p, 2, Half(*dc), false);
        cairo_stroke(cr);
      },
      DrawState::kPlain);
  return TRUE;
}

BOOL Polyline(HDC hdc, const POINT* points, int count) {
  auto lock = Lock();
  DC* dc = AsDC(hdc);
  if (!dc || !points || count < 2) return FALSE;
  GDI_RECORD(*dc, "Polyline(" + std::to_string(count) + ")");
  if (dc->recorder && dc->recorder->keepPoints) dc->recorder->points.emplace_back(points, points + count);
  Render(
      *dc, Extent(points, count, PenWidth(*dc)), dc->st.rop2,
      [&](cairo_t* cr) {
        if (!ApplyPen(cr, *dc)) return;
        PathPoints(cr, points, count, Half(*dc), false);
        cairo_stroke(cr);
      },
      DrawState::kPlain);
  return TRUE;
}

BOOL Polygon(HDC hdc, const POINT* points, int count) {
  auto lock = Lock();
  DC* dc = AsDC(hdc);
  if (!dc || !points || count < 2) return FALSE;
  GDI_RECORD(*dc, "Polygon(" + std::to_string(count) + ")");
  if (dc->recorder && dc->recorder->keepPoints) dc->recorder->points.emplace_back(points, points + count);
  Render(
      *dc, Extent(points, count, PenWidth(*dc)), dc->st.rop2,
      [&](cairo_t* cr) {
        const bool alternate = dc->st.fill_mode != WINDING;
        if (alternate) cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
        PathPoints(cr, points, count, 0.5, true);
        if (ApplyBrush(cr, *dc, nullptr)) cairo_fill_preserve(cr);
        if (alternate) cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
        // An odd pen width outlines the very path just filled (on pixel centres).
        const double half = Half(*dc);
        if (half != 0.5) cairo_new_path(cr);
        if (ApplyPen(cr, *dc)) {
          if (half != 0.5) PathPoints(cr, points, count, half, true);
          cairo_stroke(cr);
        }
      },
      DrawState::kPlain);
  return TRUE;
}

BOOL Rectangle(HDC hdc, int l, int t, int r, int b) {
  auto lock = Lock();
  DC* dc = AsDC(hdc);
  if (!dc) return FALSE;
  GDI_RECORD(*dc, "Rectangle(" + Args({l, t, r, b}) + ")");
  Normalize(l, t, r, b);
  double w = PenWidth(*dc);
  DrawClosed(*dc, Grow(l, t, r, b, 1),
             [&](cairo_t* cr, double g) { cairo_rectangle(cr, l, t, r - l + g, b - t + g); },
             [&](cairo_t* cr) { cairo_rectangle(cr, l + w / 2, t + w / 2, r - l - w, b - t - w); });
  return TRUE;
}

BOOL RoundRect(HDC hdc, int l, int t, int r, int b, int ew, int eh) {
  auto lock = Lock();
  DC* dc = AsDC(hdc);
  if (!dc) return FALSE;
  GDI_RECORD(*dc, "RoundRect(" + Args({l, t, r, b, ew, eh}) + ")");
  Normalize(l, t, r, b);
  double w = PenWidth(*dc);
  DrawClosed(*dc, Grow(l, t, r, b, 1),
             [&](cairo_t* cr, double g) { RoundRectPath(cr, l, t, r + g, b + g, ew, eh); },
             [&](cairo_t* cr) { RoundRectPath(cr, l + w / 2, t + w / 2, r - w / 2, b - w / 2, ew - w, eh - w); });
  return TRUE;
}

BOOL Ellipse(HDC hdc, int l, int t, int r, int b) {
  auto lock = Lock();
  DC* dc = AsDC(hdc);
  if (!dc) return FALSE;
  GDI_RECORD(*dc, "Ellipse(" + Args({l, t, r, b}) + ")");
  Normalize(l, t, r, b);
  double w = PenWidth(*dc);
  static EllipseOutlines* outlines = new EllipseOutlines();  // kept to the end of the process, used under the drawing lock
  DrawClosed(
      *dc, Grow(l, t, r, b, 1), [&](cairo_t* cr, double g) { EllipsePath(cr, l, t, r + g, b + g); },
      [&](cairo_t* cr) { EllipsePath(cr, l + w / 2, t + w / 2, r - w / 2, b - w / 2); },
      [&](cairo_t* cr) { return outlines->Draw(cr, *dc, l, t, r, b); });
  return TRUE;
}

BOOL Arc(HDC hdc, int l, int t, int r, int b, int xs, int ys, int xe, int ye) {
  auto lock = Lock();
  DC* dc = AsDC(hdc);
  if (!dc) return FALSE;
  GDI_RECORD(*dc, "Arc(" + Args({l, t, r, b, xs, ys, xe, ye}) + ")");
  Normalize(l, t, r, b);
  Render(
      *dc, Grow(l, t, r, b, PenWidth(*dc)), dc->st.rop2,
      [&](cairo_t* cr) {
        if (!ApplyPen(cr, *dc)) return;
        double h = Half(*dc);
        ArcPath(cr, l + h, t + h, r - h, b - h, xs, ys, xe, ye, false);
        cairo_stroke(cr);
      },
      DrawState::kPlain);
  return TRUE;
}

BOOL Pie(HDC hdc, int l, int t, int r, int b, int xs, int ys, int xe, int ye) {
  auto lock = Lock();
  DC* dc = AsDC(hdc);
  if (!dc) return FALSE;
  GDI_RECORD(*dc, "Pie(" + Args({l, t, r, b, xs, ys, xe, ye}) + ")");
  Normalize(l, t, r, b);
  double h = Half(*dc);
  DrawClosed(*dc, Grow(l, t, r, b, 1),
             [&](cairo_t* cr, double g) { ArcPath(cr, l, t, r + g, b + g, xs, ys, xe, ye, true); },
             [&](cairo_t* cr) { ArcPath(cr, l + h, t + h, r - h, b - h, xs, ys, xe, ye, true); });
  return TRUE;
}

int FillRect(HDC hdc, const RECT* rect, HBRUSH brush) {
  auto lock = Lock();
  DC* dc = AsDC(hdc);
  // Besides a brush handle, the device takes a system colour index + 1.
  Brush* b = AsBrush(brush);
  if (!b && reinterpret_cast<uintptr_t>(brush) > 0 && reinterpret_cast<uintptr_t>(brush) <= 31) {
    b = AsBrush(GetSysColorBrush(static_cast<int>(reinterpret_cast<uintptr_t>(brush)) - 1));
  }
  if (!dc || !rect || !b) return 0;
  GDI_RECORD(*dc, "FillRect(" + Args({rect->left, rect->top, rect->right, rect->bottom}) + ")");
  if (dc->recorder && dc->recorder->keepPoints) dc->recorder->styles.back().brushStyle = b->style;
  if (IsRectEmpty(rect)) return 1;
  const RECT r = Near(*rect);
  Render(
      *dc, r, R2_COPYPEN,
      [&](cairo_t* cr) {
        cairo_rectangle(cr, r.left, r.top, r.right - r.left, r.bottom - r.top);
        if (ApplyBrush(cr, *dc, b)) cairo_fill(cr);
      },
      DrawState::kPlain);
  return 1;
}

int FrameRect(HDC hdc, const RECT* rect, HBRUSH brush) {
  auto lock = Lock();
  DC* dc = AsDC(hdc);
  Brush* b = AsBrush(brush);
  if (!dc || !rect || !b) return 0;
  GDI_RECORD(*dc, "FrameRect(" + Args({rect->left, rect->top, rect->right, rect->bottom}) + ")");
  if (IsRectEmpty(rect)) return 1;
  const RECT r = Near(*rect);
  Render(*dc, r, R2_COPYPEN, [&](cairo_t* cr) {
    FramePath(cr, r);
    if (ApplyBrush(cr, *dc, b)) cairo_fill(cr);
  });
  return 1;
}

BOOL DrawEdge(HDC hdc, LPRECT rect, UINT edge, UINT flags) {
  auto lock = Lock();
  DC* dc = AsDC(hdc);
  if (!dc || !rect) return FALSE;
  GDI_RECORD(*dc, "DrawEdge(" + Args({rect->left, rect->top, rect->right, rect->bottom, static_cast<long>(edge)}) + ")");
  RECT r = Near(*rect);
  // Outer then inner line; raised: light top-left, dark bottom-right; sunken the other way.
  auto line = [&](COLORREF tl, COLORREF br) {
    Render(*dc, r, R2_COPYPEN, [&](cairo_t* cr) {
      auto side = [&](double x, double y, double w, double h, COLORREF c) {
        SetSourceColor(cr, c);
        cairo_rectangle(cr, x, y, w, h);
        cairo_fill(cr);
      };
      double w = r.right - r.left, h = r.bottom - r.top;
      if (flags & BF_LEFT) side(r.left, r.top, 1, h, tl);
      if (flags & BF_TOP) side(r.left, r.top, w, 1, tl);
      if (flags & BF_RIGHT) side(r.right - 1, r.top, 1, h, br);
      if (flags & BF_BOTTOM) side(r.left, r.bottom - 1, w, 1, br);
    });
    if (flags & BF_LEFT) ++r.left;
    if (flags & BF_TOP) ++r.top;
    if (flags & BF_RIGHT) --r.right;
    if (flags & BF_BOTTOM) --r.bottom;
  };
  if (edge & BDR_RAISEDOUTER) line(GetSysColor(COLOR_3DLIGHT), GetSysColor(COLOR_3DDKSHADOW));
  else if (edge & BDR_SUNKENOUTER) line(GetSysColor(COLOR_BTNSHADOW), GetSysColor(COLOR_BTNHIGHLIGHT));
  if (edge & BDR_RAISEDINNER) line(GetSysColor(COLOR_BTNHIGHLIGHT), GetSysColor(COLOR_BTNSHADOW));
  else if (edge & BDR_SUNKENINNER) line(GetSysColor(COLOR_3DDKSHADOW), GetSysColor(COLOR_3DLIGHT));
  if (flags & BF_MIDDLE) {
    RECT m = r;
    FillRect(hdc, &m, GetSysColorBrush(COLOR_BTNFACE));
  }
  return TRUE;
}

BOOL DrawFocusRect(HDC hdc, const RECT* rect) {
  auto lock = Lock();
  DC* dc = AsDC(hdc);
  if (!dc || !rect || IsRectEmpty(rect)) return FALSE;
  const RECT r = Near(*rect);
  Render(*dc, r, R2_XORPEN, [&](cairo_t* cr) {
    cairo_set_source_rgb(cr, 1, 1, 1);
    FramePath(cr, r);
    cairo_fill(cr);
  });
  return TRUE;
}

COLORREF SetPixel(HDC hdc, int x, int y, COLORREF color) {
  auto lock = Lock();
  DC* dc = AsDC(hdc);
  std::uint32_t* p = dc ? PixelAt(*dc, x, y) : nullptr;
  if (!p) return CLR_INVALID;
  *p = ToPixel(color);
  cairo_surface_mark_dirty(dc->target->surface);
  SyncOut(dc->target);
  return color & 0xFFFFFF;
}

COLORREF GetPixel(HDC hdc, int x, int y) {
  auto lock = Lock();
  DC* dc = AsDC(hdc);
  std::uint32_t* p = dc ? PixelAt(*dc, x, y) : nullptr;
  return p ? ToColor(*p) : CLR_INVALID;
}

namespace ce::gdi {

void KeepEllipseShapes(bool keep) {
  auto lock = Lock();
  keep_ellipse_shapes = keep;
}

}  // namespace ce::gdi
