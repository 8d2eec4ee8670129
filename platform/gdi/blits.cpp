// Bitmaps onto DCs: BitBlt and StretchBlt with every ternary raster operation, PatBlt, transparent
// blits with a key colour, alpha blending, gradient fills, icons.
#include <algorithm>
#include <cmath>
#include <string>

#include "platform/gdi/gdi.h"
#include "platform/gdi/gdi_objects.h"

using namespace ce::gdi;

namespace ce::gdi {

Icon* NewIcon(cairo_surface_t* argb) {
  auto* icon = new Icon;
  icon->image = argb;
  icon->width = cairo_image_surface_get_width(argb);
  icon->height = cairo_image_surface_get_height(argb);
  Register(icon);
  return icon;
}

}  // namespace ce::gdi

namespace {

std::string Args(std::initializer_list<long> v) {
  std::string s;
  for (long x : v) {
    if (!s.empty()) s += ',';
    s += std::to_string(x);
  }
  return s;
}

bool UsesSource(DWORD rop) {
  unsigned t = (rop >> 16) & 0xFF;
  return ((t >> 2) & 0x33) != (t & 0x33);
}
bool UsesPattern(DWORD rop) {
  unsigned t = (rop >> 16) & 0xFF;
  return ((t >> 4) & 0x0F) != (t & 0x0F);
}

// Visits every destination pixel of `rect` (DC coordinates) that the DC's clip lets through;
// `fn(pixel, x, y)` gets the pixel and its DC coordinates.
template <class Fn>
void ForEachPixel(DC& dc, RECT far_rect, Fn fn) {
  if (!dc.target) return;
  const RECT rect = Near(far_rect);
  SyncIn(dc.target);
  cairo_region_t* clip = EffectiveClip(dc);
  cairo_rectangle_int_t r = {rect.left + dc.origin.x, rect.top + dc.origin.y, rect.right - rect.left, rect.bottom - rect.top};
  if (r.width <= 0 || r.height <= 0) {
    cairo_region_destroy(clip);
    return;
  }
  cairo_region_intersect_rectangle(clip, &r);
  cairo_surface_t* s = dc.target->surface;
  cairo_surface_flush(s);
  int n = cairo_region_num_rectangles(clip);
  for (int i = 0; i < n; ++i) {
    cairo_rectangle_int_t q;
    cairo_region_get_rectangle(clip, i, &q);
    for (int y = q.y; y < q.y + q.height; ++y) {
      std::uint32_t* row = Row(s, y);
      for (int x = q.x; x < q.x + q.width; ++x) fn(row[x], x - dc.origin.x, y - dc.origin.y);
    }
  }
  cairo_surface_mark_dirty(s);
  cairo_region_destroy(clip);
  SyncOut(dc.target);
}

// A source to sample: a bitmap with the DC offset of the source coordinates.
struct Source {
  Bitmap* bitmap = nullptr;
  POINT origin{0, 0};
  cairo_surface_t* copy = nullptr;  // a private copy when source and destination are one surface
  ~Source() {
    if (copy) cairo_surface_destroy(copy);
  }
  cairo_surface_t* Surface() const { return copy ? copy : bitmap->surface; }
  bool Pixel(int x, int y, std::uint32_t& out) const {
    x += origin.x, y += origin.y;
    if (x < 0 || y < 0 || x >= bitmap->width || y >= bitmap->height) return false;
    out = Row(Surface(), y)[x];
    return true;
  }
  // The fourth byte as the program wrote it (32-bit DIB sections) or the image's alpha.
  unsigned Alpha(int x, int y) const {
    x += origin.x, y += origin.y;
    if (cairo_image_surface_get_format(bitmap->surface) == CAIRO_FORMAT_ARGB32) return Row(Surface(), y)[x] >> 24;
    if (bitmap->dib && bitmap->bpp == 32) {
      int row = bitmap->header.biHeight < 0 ? y : bitmap->height - 1 - y;
      return bitmap->bits[static_cast<std::size_t>(row) * bitmap->dib_stride + static_cast<std::size_t>(x) * 4 + 3];
    }
    return 255;
  }
};

bool SourceFrom(Source& src, Object* o, const DC* dest) {
  if (!o) return false;
  if (o->kind == Kind::kDC) {
    auto* dc = static_cast<DC*>(o);
    if (!dc->target) return false;
    src.bitmap = dc->target;
    src.origin = dc->origin;
  } else if (o->kind == Kind::kBitmap) {
    src.bitmap = static_cast<Bitmap*>(o);
  } else {
    return false;
  }
  SyncIn(src.bitmap);
  cairo_surface_flush(src.bitmap->surface);
  if (dest && dest->target == src.bitmap) {
    cairo_surface_t* s = src.bitmap->surface;
    src.copy = cairo_image_surface_create(cairo_image_surface_get_format(s), src.bitmap->width, src.bitmap->height);
    cairo_t* cr = cairo_create(src.copy);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_surface(cr, s, 0, 0);
    cairo_paint(cr);
    cairo_destroy(cr);
    cairo_surface_flush(src.copy);
  }
  return true;
}

// The DC's brush colour at a destination pixel (DC coordinates).
std::uint32_t BrushPixel(const DC& dc, int x, int y) {
  const Brush* b = dc.st.brush;
  if (!b || b->style == BS_NULL) return 0xFF000000u;
  if (!b->tile) return ToPixel(b->color);
  int w = cairo_image_surface_get_width(b->tile), h = cairo_image_surface_get_height(b->tile);
  int tx = ((x + dc.origin.x - dc.st.brush_org.x) % w + w) % w;
  int ty = ((y + dc.origin.y - dc.st.brush_org.y) % h + h) % h;
  std::uint32_t p = Row(b->tile, ty)[tx];
  if (!(p >> 24)) return ToPixel(dc.st.bk_color);
  return p;
}

// Destination pixel (x, y) of a (possibly mirrored) stretch to its source coordinate.
int Map(int d, int d0, int dw, int s0, int sw) {
  double t = (static_cast<double>(d) - d0 + 0.5) / dw;
  return Near(static_cast<long long>(std::clamp(s0 + std::floor(t * sw), -1e18, 1e18)));
}

BOOL Blit(HDC dest, int x, int y, int w, int h, HDC src, int sx, int sy, int sw, int sh, DWORD rop, const char* name) {
  DC* dc = AsDC(dest);
  if (!dc || w == 0 || h == 0) return dc != nullptr;
  GDI_RECORD(*dc, std::string(name) + "(" + Args({x, y, w, h, sx, sy, static_cast<long>(rop)}) + ")");
  Source source;
  bool needs_source = UsesSource(rop);
  if (needs_source && (!SourceFrom(source, Find(src), dc) || sw == 0 || sh == 0)) return FALSE;
  // Mirroring: a negative extent on one side only.
  RECT box = NearBox(x, y, w, h);
  RECT rect{std::min(box.left, box.right), std::min(box.top, box.bottom), std::max(box.left, box.right),
            std::max(box.top, box.bottom)};
  if (rop == SRCCOPY && w > 0 && h > 0 && sw > 0 && sh > 0) {
    // Plain copies go through Cairo (nearest-neighbour when stretched).
    cairo_surface_t* s = source.Surface();
    bool view = cairo_image_surface_get_format(s) == CAIRO_FORMAT_ARGB32;
    if (view)  // copies ignore the source's alpha
      s = cairo_image_surface_create_for_data(cairo_image_surface_get_data(s), CAIRO_FORMAT_RGB24,
                                              cairo_image_surface_get_width(s), cairo_image_surface_get_height(s),
                                              cairo_image_surface_get_stride(s));
    Render(*dc, rect, R2_COPYPEN, [&](cairo_t* cr) {
      cairo_rectangle(cr, x, y, w, h);
      cairo_clip(cr);
      // Only the part of the source inside its bitmap is copied.
      cairo_translate(cr, x, y);
      cairo_scale(cr, static_cast<double>(w) / sw, static_cast<double>(h) / sh);
      cairo_translate(cr, -(static_cast<double>(sx) + source.origin.x), -(static_cast<double>(sy) + source.origin.y));
      cairo_rectangle(cr, 0, 0, source.bitmap->width, source.bitmap->height);
      cairo_clip(cr);
      cairo_set_source_surface(cr, s, 0, 0);
      cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
      cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
      cairo_paint(cr);
    });
    if (view) cairo_surface_destroy(s);
    return TRUE;
  }
  bool needs_pattern = UsesPattern(rop);
  ForEachPixel(*dc, rect, [&](std::uint32_t& d, int px, int py) {
    std::uint32_t s = 0;
    if (needs_source && !source.Pixel(Map(px, x, w, sx, sw), Map(py, y, h, sy, sh), s)) return;
    std::uint32_t p = needs_pattern ? BrushPixel(*dc, px, py) : 0;
    d = Rop3(rop, p, s, d);
  });
  return TRUE;
}

}  // namespace

BOOL BitBlt(HDC dest, int x, int y, int width, int height, HDC src, int sx, int sy, DWORD rop) {
  auto lock = Lock();
  return Blit(dest, x, y, width, height, src, sx, sy, width, height, rop, "BitBlt");
}

BOOL StretchBlt(HDC dest, int x, int y, int width, int height, HDC src, int sx, int sy, int swidth, int sheight, DWORD rop) {
  auto lock = Lock();
  return Blit(dest, x, y, width, height, src, sx, sy, swidth, sheight, rop, "StretchBlt");
}

BOOL PatBlt(HDC hdc, int x, int y, int width, int height, DWORD rop) {
  auto lock = Lock();
  if (UsesSource(rop)) return FALSE;
  return Blit(hdc, x, y, width, height, nullptr, 0, 0, 0, 0, rop, "PatBlt");
}

BOOL TransparentImage(HDC dest, int x, int y, int width, int height, HANDLE src, int sx, int sy, int swidth, int sheight,
                      COLORREF transparent) {
  auto lock = Lock();
  DC* dc = AsDC(dest);
  Source source;
  if (!dc || width <= 0 || height <= 0 || swidth <= 0 || sheight <= 0 || !SourceFrom(source, Find(src), dc)) return FALSE;
  GDI_RECORD(*dc, "TransparentImage(" + Args({x, y, width, height, sx, sy, swidth, sheight, static_cast<long>(transparent)}) + ")");
  COLORREF key = transparent & 0xFFFFFF;
  ForEachPixel(*dc, NearBox(x, y, width, height), [&](std::uint32_t& d, int px, int py) {
    std::uint32_t s;
    if (!source.Pixel(Map(px, x, width, sx, swidth), Map(py, y, height, sy, sheight), s)) return;
    if (ToColor(s) != key) d = s | 0xFF000000u;
  });
  return TRUE;
}

BOOL TransparentBlt(HDC dest, int x, int y, int width, int height, HDC src, int sx, int sy, int swidth, int sheight,
                    UINT transparent) {
  return TransparentImage(dest, x, y, width, height, src, sx, sy, swidth, sheight, transparent);
}

BOOL AlphaBlend(HDC dest, int x, int y, int width, int height, HDC src, int sx, int sy, int swidth, int sheight,
                BLENDFUNCTION blend) {
  auto lock = Lock();
  DC* dc = AsDC(dest);
  Source source;
  if (!dc || width <= 0 || height <= 0 || swidth <= 0 || sheight <= 0 || blend.BlendOp != AC_SRC_OVER ||
      !SourceFrom(source, Find(src), dc))
    return FALSE;
  GDI_RECORD(*dc, "AlphaBlend(" + Args({x, y, width, height, sx, sy, swidth, sheight}) + ")");
  unsigned ca = blend.SourceConstantAlpha;
  bool per_pixel = blend.AlphaFormat & AC_SRC_ALPHA;
  ForEachPixel(*dc, NearBox(x, y, width, height), [&](std::uint32_t& d, int px, int py) {
    int qx = Map(px, x, width, sx, swidth), qy = Map(py, y, height, sy, sheight);
    std::uint32_t s;
    if (!source.Pixel(qx, qy, s)) return;
    // The source is premultiplied by its own alpha; the constant alpha scales all four.
    unsigned sa = per_pixel ? source.Alpha(qx, qy) : 255;
    sa = (sa * ca + 127) / 255;
    std::uint32_t out = 0xFF000000u;
    for (int shift = 0; shift <= 16; shift += 8) {
      unsigned sc = (s >> shift) & 0xFF, dcol = (d >> shift) & 0xFF;
      sc = per_pixel ? (sc * ca + 127) / 255 : (sc * sa + 127) / 255;
      unsigned v = sc + (dcol * (255 - sa) + 127) / 255;
      out |= std::min(v, 255u) << shift;
    }
    d = out;
  });
  return TRUE;
}

BOOL GradientFill(HDC hdc, TRIVERTEX* v, ULONG nv, PVOID mesh, ULONG nmesh, ULONG mode) {
  auto lock = Lock();
  DC* dc = AsDC(hdc);
  if (!dc || !v || !mesh || nv == 0) return FALSE;
  GDI_RECORD(*dc, "GradientFill(" + Args({static_cast<long>(nv), static_cast<long>(nmesh), static_cast<long>(mode)}) + ")");
  auto channel = [](const TRIVERTEX& t, int c) { return (c == 0 ? t.Red : c == 1 ? t.Green : t.Blue) >> 8; };
  if (mode == GRADIENT_FILL_RECT_H || mode == GRADIENT_FILL_RECT_V) {
    const auto* rects = static_cast<const GRADIENT_RECT*>(mesh);
    for (ULONG i = 0; i < nmesh; ++i) {
      if (rects[i].UpperLeft >= nv || rects[i].LowerRight >= nv) return FALSE;
      TRIVERTEX a = v[rects[i].UpperLeft], b = v[rects[i].LowerRight];
      if (b.x < a.x) std::swap(a.x, b.x);
      if (b.y < a.y) std::swap(a.y, b.y);
      bool horizontal = mode == GRADIENT_FILL_RECT_H;
      long long span = horizontal ? static_cast<long long>(b.x) - a.x : static_cast<long long>(b.y) - a.y;
      if (span <= 0) continue;
      ForEachPixel(*dc, {a.x, a.y, b.x, b.y}, [&](std::uint32_t& d, int px, int py) {
        long long pos = horizontal ? static_cast<long long>(px) - a.x : static_cast<long long>(py) - a.y;
        std::uint32_t out = 0xFF000000u;
        for (int c = 0; c < 3; ++c) {
          int from = channel(v[rects[i].UpperLeft], c), to = channel(v[rects[i].LowerRight], c);
          long long value = from + (to - from) * pos / span;
          out |= static_cast<std::uint32_t>(std::clamp(value, 0LL, 255LL)) << (16 - 8 * c);
        }
        d = out;
      });
    }
    return TRUE;
  }
  if (mode == GRADIENT_FILL_TRIANGLE) {
    const auto* tris = static_cast<const GRADIENT_TRIANGLE*>(mesh);
    for (ULONG i = 0; i < nmesh; ++i) {
      if (tris[i].Vertex1 >= nv || tris[i].Vertex2 >= nv || tris[i].Vertex3 >= nv) return FALSE;
      const TRIVERTEX &p0 = v[tris[i].Vertex1], &p1 = v[tris[i].Vertex2], &p2 = v[tris[i].Vertex3];
      double det = (static_cast<double>(p1.y) - p2.y) * (static_cast<double>(p0.x) - p2.x) +
                   (static_cast<double>(p2.x) - p1.x) * (static_cast<double>(p0.y) - p2.y);
      if (det == 0) continue;
      RECT box{std::min({p0.x, p1.x, p2.x}), std::min({p0.y, p1.y, p2.y}),
               Near(static_cast<long long>(std::max({p0.x, p1.x, p2.x})) + 1),
               Near(static_cast<long long>(std::max({p0.y, p1.y, p2.y})) + 1)};
      auto dd = [](LONG a, LONG b) { return static_cast<double>(a) - b; };
      ForEachPixel(*dc, box, [&](std::uint32_t& d, int px, int py) {
        double w0 = (dd(p1.y, p2.y) * dd(px, p2.x) + dd(p2.x, p1.x) * dd(py, p2.y)) / det;
        double w1 = (dd(p2.y, p0.y) * dd(px, p2.x) + dd(p0.x, p2.x) * dd(py, p2.y)) / det;
        double w2 = 1 - w0 - w1;
        if (w0 < 0 || w1 < 0 || w2 < 0) return;
        std::uint32_t out = 0xFF000000u;
        for (int c = 0; c < 3; ++c) {
          double value = w0 * channel(p0, c) + w1 * channel(p1, c) + w2 * channel(p2, c);
          out |= static_cast<std::uint32_t>(std::clamp(static_cast<int>(value + 0.5), 0, 255)) << (16 - 8 * c);
        }
        d = out;
      });
    }
    return TRUE;
  }
  return FALSE;
}

HICON CreateIconIndirect(ICONINFO* info) {
  auto lock = Lock();
  if (!info) return nullptr;
  Bitmap* color = AsBitmap(info->hbmColor);
  Bitmap* mask = AsBitmap(info->hbmMask);
  if (!color) return nullptr;
  SyncIn(color);
  if (mask) SyncIn(mask);
  cairo_surface_t* img = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, color->width, color->height);
  cairo_surface_flush(color->surface);
  cairo_surface_flush(img);
  bool has_alpha = cairo_image_surface_get_format(color->surface) == CAIRO_FORMAT_ARGB32;
  for (int y = 0; y < color->height; ++y) {
    for (int x = 0; x < color->width; ++x) {
      std::uint32_t p = Row(color->surface, y)[x];
      bool clear = false;
      if (mask && x < mask->width && y < mask->height) clear = (Row(mask->surface, y)[x] & 0xFFFFFF) != 0;
      Row(img, y)[x] = clear ? 0 : has_alpha ? p : (p | 0xFF000000u);
    }
  }
  cairo_surface_mark_dirty(img);
  return reinterpret_cast<HICON>(NewIcon(img));
}

BOOL DestroyIcon(HICON icon) {
  auto lock = Lock();
  Object* o = Find(icon);
  if (!o || o->kind != Kind::kIcon) return FALSE;
  Destroy(o);
  return TRUE;
}

BOOL GetIconInfo(HICON icon, ICONINFO* info) {
  auto lock = Lock();
  auto* i = As<Icon>(icon, Kind::kIcon);
  if (!i || !info) return FALSE;
  // The colour bitmap keeps the icon's alpha, so that an icon made again from it (an image list's
  // copy) stays transparent where the icon is.
  Bitmap* color = NewBitmap(i->width, i->height, 32, CAIRO_FORMAT_ARGB32);
  cairo_t* cr = cairo_create(color->surface);
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  cairo_set_source_surface(cr, i->image, 0, 0);
  cairo_paint(cr);
  cairo_destroy(cr);
  *info = ICONINFO{TRUE, static_cast<DWORD>(i->width / 2), static_cast<DWORD>(i->height / 2), nullptr,
                   reinterpret_cast<HBITMAP>(color)};
  return TRUE;
}

BOOL DrawIconEx(HDC hdc, int x, int y, HICON icon, int width, int height, UINT step, HBRUSH flicker, UINT flags) {
  (void)step, (void)flicker, (void)flags;
  auto lock = Lock();
  DC* dc = AsDC(hdc);
  auto* i = As<Icon>(icon, Kind::kIcon);
  if (!dc || !i) return FALSE;
  int w = width > 0 ? width : i->width, h = height > 0 ? height : i->height;
  GDI_RECORD(*dc, "DrawIconEx(" + Args({x, y, w, h}) + ")");
  Render(*dc, NearBox(x, y, w, h), R2_COPYPEN, [&](cairo_t* cr) {
    cairo_translate(cr, x, y);
    cairo_scale(cr, static_cast<double>(w) / i->width, static_cast<double>(h) / i->height);
    cairo_set_source_surface(cr, i->image, 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
    cairo_paint(cr);
  });
  return TRUE;
}

BOOL DrawIcon(HDC hdc, int x, int y, HICON icon) { return DrawIconEx(hdc, x, y, icon, 0, 0, 0, nullptr, DI_NORMAL); }
