// Device contexts: memory and surface DCs, their attributes, saved states, the drawing pipeline
// (clip, pen, brush, raster operation) and the test seams on them.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/gdi/gdi.h"
#include "platform/gdi/gdi_objects.h"
#include "platform/gdi/gdi_seams.h"
#include "platform/gdi/gdi_surface.h"

namespace ce::gdi {
namespace {

struct ScreenMetrics {
  int width = 240, height = 320, bpp = 16;
};
ScreenMetrics& Screen() {
  static ScreenMetrics m;
  return m;
}

void InitState(DC& dc) {
  dc.st.pen = StockPen(BLACK_PEN);
  dc.st.brush = StockBrush(WHITE_BRUSH);
  dc.st.font = DefaultFont();
  ++dc.st.pen->selections;
  ++dc.st.brush->selections;
  ++dc.st.font->selections;
}

void HoldState(const DcState& s) {
  for (Object* o : {static_cast<Object*>(s.pen), static_cast<Object*>(s.brush), static_cast<Object*>(s.font),
                    static_cast<Object*>(s.bitmap)})
    if (o) ++o->selections;
}
void DropState(DcState& s) {
  Release(s.pen);
  Release(s.brush);
  Release(s.font);
  if (s.bitmap) Release(s.bitmap);
  if (s.clip) cairo_region_destroy(s.clip);
  s.clip = nullptr;
}

cairo_rectangle_int_t ToCairo(const RECT& r) { return {r.left, r.top, r.right - r.left, r.bottom - r.top}; }

}  // namespace

DC::~DC() {
  DropContext(*this);
  if (visible) cairo_region_destroy(visible);
  DropState(st);
  for (auto& s : saved) DropState(s);
}

void DropContext(DC& dc) {
  if (dc.cr) cairo_destroy(dc.cr);
  if (dc.cr_clip) cairo_region_destroy(dc.cr_clip);
  dc.cr = nullptr;
  dc.cr_clip = nullptr;
}

void SelectBitmapInto(DC& dc, Bitmap* bitmap) {
  DropContext(dc);
  if (dc.st.bitmap && dc.st.bitmap->selected_in == &dc) dc.st.bitmap->selected_in = nullptr;
  dc.st.bitmap = bitmap;
  if (bitmap != DefaultBitmap()) bitmap->selected_in = &dc;
  dc.target = bitmap;
  dc.origin = {0, 0};
  dc.bounds = {0, 0, bitmap->width, bitmap->height};
}

Bitmap* DefaultBitmap() {
  static Bitmap* b = [] {
    Bitmap* bmp = NewBitmap(1, 1, 1);
    bmp->stock = true;
    return bmp;
  }();
  return b;
}

namespace {

// The part of the target the DC's bounds take (target coordinates), before any region.
cairo_rectangle_int_t BoundsOnTarget(const DC& dc) {
  RECT b = dc.bounds;
  if (dc.target) {
    b.left = std::max<LONG>(b.left, 0);
    b.top = std::max<LONG>(b.top, 0);
    b.right = std::min<LONG>(b.right, dc.target->width);
    b.bottom = std::min<LONG>(b.bottom, dc.target->height);
  } else {
    b = {0, 0, 0, 0};
  }
  if (b.right < b.left) b.right = b.left;
  if (b.bottom < b.top) b.bottom = b.top;
  return ToCairo(b);
}

}  // namespace

cairo_region_t* EffectiveClip(const DC& dc) {
  const cairo_rectangle_int_t r = BoundsOnTarget(dc);
  cairo_region_t* region = cairo_region_create_rectangle(&r);
  if (dc.visible) cairo_region_intersect(region, dc.visible);
  if (dc.st.clip) {
    cairo_region_t* c = cairo_region_copy(dc.st.clip);
    cairo_region_translate(c, dc.origin.x, dc.origin.y);
    cairo_region_intersect(region, c);
    cairo_region_destroy(c);
  }
  return region;
}

// Bounded, so that a shape's extent grown by it cannot overflow.
int PenWidth(const DC& dc) {
  return dc.st.pen && dc.st.pen->style != PS_NULL ? std::clamp(dc.st.pen->width, 1, 1 << 16) : 0;
}

bool ApplyPen(cairo_t* cr, const DC& dc) {
  const Pen* p = dc.st.pen;
  if (!p || p->style == PS_NULL) return false;
  SetSourceColor(cr, p->color);
  // The same bound as the extent's: Cairo makes the round ends and joins of a pen hundreds of
  // thousands of points long when it is wider, and one line then takes seconds.
  cairo_set_line_width(cr, PenWidth(dc));
  cairo_set_line_cap(cr, p->width > 1 ? CAIRO_LINE_CAP_ROUND : CAIRO_LINE_CAP_BUTT);
  cairo_set_line_join(cr, p->width > 1 ? CAIRO_LINE_JOIN_ROUND : CAIRO_LINE_JOIN_MITER);
  static const double dash[] = {6, 2};
  static const double dot[] = {1, 1};
  static const double dashdot[] = {6, 2, 1, 2};
  switch (p->style) {
    case PS_DASH: cairo_set_dash(cr, dash, 2, 0); break;
    case PS_DOT: cairo_set_dash(cr, dot, 2, 0); break;
    case PS_DASHDOT: cairo_set_dash(cr, dashdot, 4, 0); break;
    default: cairo_set_dash(cr, nullptr, 0, 0); break;
  }
  return true;
}

namespace {

// The tile of an opaque pattern brush repeated side by side to at least 512 pixels, without
// alpha: laid in the same place it gives the same pixels, but Pixman then copies a row of a
// shape's fill in one piece instead of blending it tile by tile. Null for a tile with any
// transparent pixel (hatches) or one already wide.
cairo_surface_t* WideTile(const Brush& b) {
  if (b.wide_tried) return b.wide;
  b.wide_tried = true;
  if (b.style == BS_HATCHED || cairo_image_surface_get_format(b.tile) != CAIRO_FORMAT_ARGB32) return nullptr;
  const int w = cairo_image_surface_get_width(b.tile), h = cairo_image_surface_get_height(b.tile);
  if (w <= 0 || h <= 0 || w >= 256 || h > 64) return nullptr;
  cairo_surface_flush(b.tile);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      if ((Row(b.tile, y)[x] >> 24) != 0xFF) return nullptr;
  const int times = (512 + w - 1) / w;
  cairo_surface_t* wide = cairo_image_surface_create(CAIRO_FORMAT_RGB24, w * times, h);
  if (cairo_surface_status(wide) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(wide);
    return nullptr;
  }
  cairo_surface_flush(wide);
  for (int y = 0; y < h; ++y) {
    const std::uint32_t* from = Row(b.tile, y);
    std::uint32_t* to = Row(wide, y);
    for (int x = 0; x < w * times; ++x) to[x] = from[x % w];
  }
  cairo_surface_mark_dirty(wide);
  b.wide = wide;
  return wide;
}

}  // namespace

bool ApplyBrush(cairo_t* cr, const DC& dc, const Brush* brush) {
  const Brush* b = brush ? brush : dc.st.brush;
  if (!b || b->style == BS_NULL) return false;
  if (!b->tile) {
    SetSourceColor(cr, b->color);
    return true;
  }
  cairo_surface_t* wide = WideTile(*b);
  cairo_pattern_t* pat = cairo_pattern_create_for_surface(wide ? wide : b->tile);
  cairo_pattern_set_extend(pat, CAIRO_EXTEND_REPEAT);
  cairo_pattern_set_filter(pat, CAIRO_FILTER_NEAREST);
  // Tiles line up with the target's pixels, shifted by the brush origin.
  cairo_matrix_t m;
  cairo_matrix_init_translate(&m, dc.origin.x - dc.st.brush_org.x, dc.origin.y - dc.st.brush_org.y);
  cairo_pattern_set_matrix(pat, &m);
  if (b->style == BS_HATCHED && dc.st.bk_mode == OPAQUE) {
    // The background of an opaque hatch is the DC's background colour: paint it underneath.
    cairo_save(cr);
    SetSourceColor(cr, dc.st.bk_color);
    cairo_fill_preserve(cr);
    cairo_restore(cr);
  }
  cairo_set_source(cr, pat);
  cairo_pattern_destroy(pat);
  return true;
}

namespace {

// Rop2 over a row, for every pixel the layer covers (alpha set): the operation's four terms are
// chosen by masks made once, so the loop has no branch; four pixels at a time.
void Rop2Row(int rop, const std::uint32_t* src, std::uint32_t* dst, int n) {
  const unsigned t = static_cast<unsigned>(rop - 1) & 15;
  const std::uint32_t m1 = (t & 1) ? ~0u : 0u, m2 = (t & 2) ? ~0u : 0u, m4 = (t & 4) ? ~0u : 0u, m8 = (t & 8) ? ~0u : 0u;
  using Quad = std::uint32_t __attribute__((vector_size(16)));
  const Quad q1 = {m1, m1, m1, m1}, q2 = {m2, m2, m2, m2}, q4 = {m4, m4, m4, m4}, q8 = {m8, m8, m8, m8};
  const Quad colour = {0x00FFFFFFu, 0x00FFFFFFu, 0x00FFFFFFu, 0x00FFFFFFu};
  const Quad opaque = ~colour;
  int x = 0;
  for (; x + 4 <= n; x += 4) {
    Quad p, d;
    std::memcpy(&p, src + x, sizeof p);
    std::memcpy(&d, dst + x, sizeof d);
    const Quad r = ((~p & ~d & q1) | (~p & d & q2) | (p & ~d & q4) | (p & d & q8)) & colour;
    const Quad covered = reinterpret_cast<Quad>((p >> 24) != 0);  // all ones where the layer has alpha
    const Quad out = ((r | opaque) & covered) | (d & ~covered);
    std::memcpy(dst + x, &out, sizeof out);
  }
  for (; x < n; ++x) {
    const std::uint32_t p = src[x], d = dst[x];
    const std::uint32_t r = ((~p & ~d & m1) | (~p & d & m2) | (p & ~d & m4) | (p & d & m8)) & 0x00FFFFFFu;
    dst[x] = (p >> 24) ? (r | 0xFF000000u) : d;
  }
}

// A new context on the DC's target through the clip, without antialiasing; kept in the DC.
void KeepContext(DC& dc, cairo_region_t* clip) {
  DropContext(dc);
  cairo_t* cr = cairo_create(dc.target->surface);
  // A clip holding the whole surface clips nothing: the context goes without one, which spares
  // Cairo the clip work of every primitive.
  const cairo_rectangle_int_t whole = {0, 0, dc.target->width, dc.target->height};
  if (cairo_region_contains_rectangle(clip, &whole) != CAIRO_REGION_OVERLAP_IN) {
    int n = cairo_region_num_rectangles(clip);
    for (int i = 0; i < n; ++i) {
      cairo_rectangle_int_t r;
      cairo_region_get_rectangle(clip, i, &r);
      cairo_rectangle(cr, r.x, r.y, r.width, r.height);
    }
    cairo_clip(cr);
  }
  cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
  dc.cr = cr;
  dc.cr_clip = clip;
}

}  // namespace

void RenderWith(DC& dc, const RECT& far_extent, int rop2, DrawState state, DrawFn draw, void* closure) {
  if (!dc.target || !dc.target->surface) return;
  const RECT extent = Near(far_extent);
  SyncIn(dc.target);
  if (rop2 == R2_NOP) return;
  if (rop2 == R2_COPYPEN) {
    // The context of the previous primitive serves while it draws on the same surface through the
    // same clip; otherwise a new one is made and kept. Between primitives it holds no
    // transformation, no clip but the DC's, and the winding fill rule. A DC without clip or
    // visible region clips to its bounds alone: comparing those is enough then.
    const bool bounds_only = !dc.visible && !dc.st.clip;
    const cairo_rectangle_int_t box = BoundsOnTarget(dc);
    const bool same_box = dc.cr && dc.cr_bounds_only && cairo_get_target(dc.cr) == dc.target->surface &&
                          box.x == dc.cr_box.x && box.y == dc.cr_box.y && box.width == dc.cr_box.width &&
                          box.height == dc.cr_box.height;
    if (!(bounds_only && same_box)) {
      cairo_region_t* clip = EffectiveClip(dc);
      if (cairo_region_is_empty(clip)) {
        cairo_region_destroy(clip);
        return;
      }
      if (!dc.cr || cairo_get_target(dc.cr) != dc.target->surface || !cairo_region_equal(dc.cr_clip, clip))
        KeepContext(dc, clip);
      else
        cairo_region_destroy(clip);
      dc.cr_bounds_only = bounds_only;
      dc.cr_box = box;
    }
    cairo_t* cr = dc.cr;
    const bool moved = dc.origin.x != 0 || dc.origin.y != 0;
    if (state == DrawState::kPlain && !moved) {
      draw(closure, cr);
    } else {
      cairo_save(cr);
      if (moved) cairo_translate(cr, dc.origin.x, dc.origin.y);
      draw(closure, cr);
      cairo_restore(cr);
    }
    cairo_new_path(cr);  // the path is not part of the saved state
    if (cairo_status(cr) != CAIRO_STATUS_SUCCESS) DropContext(dc);
    SyncOut(dc.target);
    return;
  }
  // Other raster operations: draw into a scratch layer covering the extent, then combine every
  // pixel the drawing touched with the target pixel under it.
  cairo_region_t* clip = EffectiveClip(dc);
  cairo_rectangle_int_t ext = {extent.left + dc.origin.x, extent.top + dc.origin.y, extent.right - extent.left,
                               extent.bottom - extent.top};
  cairo_region_intersect_rectangle(clip, &ext);
  cairo_rectangle_int_t box;
  cairo_region_get_extents(clip, &box);
  if (box.width <= 0 || box.height <= 0) {
    cairo_region_destroy(clip);
    return;
  }
  cairo_surface_t* layer = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, box.width, box.height);
  cairo_t* cr = cairo_create(layer);
  // One rectangle is the layer itself: no clip needed then.
  int n = cairo_region_num_rectangles(clip);
  if (n > 1) {
    for (int i = 0; i < n; ++i) {
      cairo_rectangle_int_t r;
      cairo_region_get_rectangle(clip, i, &r);
      cairo_rectangle(cr, r.x - box.x, r.y - box.y, r.width, r.height);
    }
    cairo_clip(cr);
  }
  cairo_translate(cr, dc.origin.x - box.x, dc.origin.y - box.y);
  cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
  draw(closure, cr);
  cairo_destroy(cr);
  cairo_surface_flush(layer);
  cairo_surface_t* target = dc.target->surface;
  cairo_surface_flush(target);
  for (int y = 0; y < box.height; ++y) {
    const std::uint32_t* src = Row(layer, y);
    std::uint32_t* dst = Row(target, box.y + y) + box.x;
    Rop2Row(rop2, src, dst, box.width);
  }
  cairo_surface_mark_dirty(target);
  cairo_surface_destroy(layer);
  cairo_region_destroy(clip);
  SyncOut(dc.target);
}

void Record(const DC& dc, const std::string& call) {
  if (!dc.recorder) return;
  dc.recorder->calls.push_back(call);
  if (!dc.recorder->keepPoints) return;
  CallRecorder::Style style;
  if (const Pen* pen = dc.st.pen; pen && pen->style != PS_NULL) {
    style.penStyle = pen->style;
    style.penWidth = PenWidth(dc);
  }
  if (const Brush* brush = dc.st.brush) style.brushStyle = brush->style;
  if (const Font* font = dc.st.font) style.fontHeight = static_cast<int>(std::lround(font->em));
  dc.recorder->styles.push_back(style);
}

int CallRecorder::Count(const std::string& name) const {
  return static_cast<int>(std::count_if(calls.begin(), calls.end(), [&](const std::string& c) {
    return c.size() > name.size() && c.compare(0, name.size(), name) == 0 && c[name.size()] == '(';
  }));
}

void AttachRecorder(HDC hdc, CallRecorder* recorder) {
  auto lock = Lock();
  if (DC* dc = AsDC(hdc)) dc->recorder = recorder;
}

HBITMAP DCTarget(HDC hdc) {
  auto lock = Lock();
  DC* dc = AsDC(hdc);
  return dc ? reinterpret_cast<HBITMAP>(dc->target) : nullptr;
}

HDC CreateSurfaceDC(HBITMAP target, POINT origin, RECT bounds, HWND owner) {
  auto lock = Lock();
  Bitmap* bmp = AsBitmap(target);
  if (!bmp) return nullptr;
  auto* dc = new DC;
  dc->hwnd = owner;
  dc->target = bmp;
  dc->origin = origin;
  dc->bounds = bounds;
  InitState(*dc);
  Register(dc);
  return reinterpret_cast<HDC>(dc);
}

void SetSurfaceDCArea(HDC hdc, POINT origin, RECT bounds) {
  auto lock = Lock();
  if (DC* dc = AsDC(hdc)) {
    dc->origin = origin;
    dc->bounds = bounds;
  }
}

void SetSurfaceDCVisibleRegion(HDC hdc, const cairo_region_t* region) {
  auto lock = Lock();
  DC* dc = AsDC(hdc);
  if (!dc || dc->memory) return;
  if (dc->visible) cairo_region_destroy(dc->visible);
  dc->visible = region ? cairo_region_copy(region) : nullptr;
}

HWND SurfaceDCWindow(HDC hdc) {
  auto lock = Lock();
  DC* dc = AsDC(hdc);
  return dc ? dc->hwnd : nullptr;
}

void SetScreenMetrics(int width, int height, int bits_per_pixel) {
  auto lock = Lock();
  Screen() = {width, height, bits_per_pixel};
}

}  // namespace ce::gdi

using namespace ce::gdi;

HDC CreateCompatibleDC(HDC hdc) {
  auto lock = Lock();
  if (hdc && !AsDC(hdc)) return nullptr;
  auto* dc = new DC;
  dc->memory = true;
  InitState(*dc);
  dc->st.bitmap = DefaultBitmap();
  ++dc->st.bitmap->selections;
  SelectBitmapInto(*dc, DefaultBitmap());
  Register(dc);
  return reinterpret_cast<HDC>(dc);
}

BOOL DeleteDC(HDC hdc) {
  auto lock = Lock();
  DC* dc = AsDC(hdc);
  if (!dc) return FALSE;
  if (dc->st.bitmap && dc->st.bitmap->selected_in == dc) dc->st.bitmap->selected_in = nullptr;
  for (auto& s : dc->saved)
    if (s.bitmap && s.bitmap->selected_in == dc) s.bitmap->selected_in = nullptr;
  Destroy(dc);
  return TRUE;
}

namespace {

// One DC attribute: swapped for a valid new value (the old one returned), or read.
template <class T>
T Exchange(HDC hdc, T DcState::*field, T value, bool valid, T fail) {
  auto lock = Lock();
  DC* dc = AsDC(hdc);
  if (!dc || !valid) return fail;
  T old = dc->st.*field;
  dc->st.*field = value;
  return old;
}
template <class T>
T Read(HDC hdc, T DcState::*field, T fail) {
  auto lock = Lock();
  DC* dc = AsDC(hdc);
  return dc ? dc->st.*field : fail;
}

}  // namespace

COLORREF SetTextColor(HDC hdc, COLORREF c) { return Exchange(hdc, &DcState::text_color, c, true, CLR_INVALID); }
COLORREF GetTextColor(HDC hdc) { return Read(hdc, &DcState::text_color, CLR_INVALID); }
COLORREF SetBkColor(HDC hdc, COLORREF c) { return Exchange(hdc, &DcState::bk_color, c, true, CLR_INVALID); }
COLORREF GetBkColor(HDC hdc) { return Read(hdc, &DcState::bk_color, CLR_INVALID); }
UINT SetTextAlign(HDC hdc, UINT align) { return Exchange(hdc, &DcState::text_align, align, true, 0xFFFFFFFFu); }
UINT GetTextAlign(HDC hdc) { return Read(hdc, &DcState::text_align, 0xFFFFFFFFu); }
int SetBkMode(HDC hdc, int mode) {
  return Exchange(hdc, &DcState::bk_mode, mode, mode == TRANSPARENT || mode == OPAQUE, 0);
}
int GetBkMode(HDC hdc) { return Read(hdc, &DcState::bk_mode, 0); }
int SetROP2(HDC hdc, int rop) { return Exchange(hdc, &DcState::rop2, rop, rop >= R2_BLACK && rop <= R2_WHITE, 0); }
int GetROP2(HDC hdc) { return Read(hdc, &DcState::rop2, 0); }
int SetPolyFillMode(HDC hdc, int mode) {
  return Exchange(hdc, &DcState::fill_mode, mode, mode == ALTERNATE || mode == WINDING, 0);
}
BOOL SetBrushOrgEx(HDC hdc, int x, int y, LPPOINT old) {
  auto lock = Lock();
  DC* dc = AsDC(hdc);
  if (!dc) return FALSE;
  if (old) *old = dc->st.brush_org;
  dc->st.brush_org = {x, y};
  return TRUE;
}

int GetDeviceCaps(HDC hdc, int index) {
  auto lock = Lock();
  DC* dc = AsDC(hdc);
  const auto& screen = Screen();
  bool mem = dc && dc->memory;
  int width = mem ? dc->target->width : screen.width;
  int height = mem ? dc->target->height : screen.height;
  switch (index) {
    case TECHNOLOGY: return DT_RASDISPLAY;
    case HORZRES: return width;
    case VERTRES: return height;
    case HORZSIZE: return width * 254 / 960;  // millimetres at 96 dots per inch
    case VERTSIZE: return height * 254 / 960;
    case BITSPIXEL: return mem ? dc->target->bpp : screen.bpp;
    case PLANES: return 1;
    case NUMCOLORS: return -1;  // more than 256 colours
    case RASTERCAPS: return RC_BITBLT | RC_STRETCHBLT;
    case LOGPIXELSX:
    case LOGPIXELSY: return (screen.width > 240 && screen.height > 240) ? 192 : 96;
    default: return 0;
  }
}

COLORREF GetSysColor(int index) {
  switch (index) {
    case COLOR_WINDOW: return 0xFFFFFF;
    case COLOR_WINDOWTEXT: return 0;
    case COLOR_BTNFACE: return 0xC0C0C0;
    case COLOR_BTNSHADOW: return 0x808080;
    case COLOR_BTNHIGHLIGHT: return 0xFFFFFF;
    case COLOR_3DDKSHADOW: return 0x404040;
    case COLOR_3DLIGHT: return 0xE0E0E0;
    default: return 0xC0C0C0;
  }
}

HBRUSH GetSysColorBrush(int index) {
  auto lock = Lock();
  // Kept to the end of the process, like the stock objects.
  static auto& brushes = *new std::vector<std::pair<int, Brush*>>;
  for (auto& [i, b] : brushes)
    if (i == index) return reinterpret_cast<HBRUSH>(b);
  auto* b = new Brush;
  b->color = GetSysColor(index);
  b->stock = true;
  Register(b);
  brushes.emplace_back(index, b);
  return reinterpret_cast<HBRUSH>(b);
}

int SaveDC(HDC hdc) {
  auto lock = Lock();
  DC* dc = AsDC(hdc);
  if (!dc) return 0;
  DcState copy = dc->st;
  if (copy.clip) copy.clip = cairo_region_copy(copy.clip);
  HoldState(copy);
  dc->saved.push_back(copy);
  return static_cast<int>(dc->saved.size());
}

BOOL RestoreDC(HDC hdc, int saved) {
  auto lock = Lock();
  DC* dc = AsDC(hdc);
  if (!dc) return FALSE;
  int n = static_cast<int>(dc->saved.size());
  int index = saved < 0 ? n + saved : saved - 1;
  if (index < 0 || index >= n) return FALSE;
  // A saved bitmap that another DC took meanwhile cannot come back.
  Bitmap* bmp = dc->saved[index].bitmap;
  if (bmp && bmp->selected_in && bmp->selected_in != dc) return FALSE;
  DcState restored = dc->saved[index];
  for (int i = n - 1; i > index; --i) DropState(dc->saved[i]);
  dc->saved.resize(index);
  if (dc->st.bitmap && dc->st.bitmap != bmp && dc->st.bitmap->selected_in == dc) dc->st.bitmap->selected_in = nullptr;
  DropState(dc->st);
  dc->st = restored;
  if (dc->memory && bmp) SelectBitmapInto(*dc, bmp);
  return TRUE;
}
