// GDI objects: the handle registry, stock objects, pens and brushes, selection and deletion.
#include <cstdint>
#include <cstring>
#include <unordered_set>

#include "platform/gdi/gdi.h"
#include "platform/gdi/gdi_objects.h"

namespace ce::gdi {
namespace {

// Both live to the end of the process: threads that draw or read pixels (a live window, a
// window peer) may still call in while static objects are being destroyed.
std::recursive_mutex& GdiMutex() {
  static auto* m = new std::recursive_mutex;
  return *m;
}
std::unordered_set<const void*>& Live() {
  static auto* live = new std::unordered_set<const void*>;
  return *live;
}
// Handles found alive lately, by a few bits of their address: a drawing loop uses the same DC,
// pens and brushes again and again. An object leaves it when it ends.
struct Recent {
  static constexpr std::size_t kSlots = 64;
  const void* slots[kSlots] = {};
  const void*& Slot(const void* handle) { return slots[(reinterpret_cast<std::uintptr_t>(handle) >> 4) % kSlots]; }
};
Recent& RecentlyFound() {
  static auto* recent = new Recent;
  return *recent;
}

Pen* MakeStockPen(int style, COLORREF color) {
  auto* p = new Pen;
  p->style = style;
  p->color = color;
  p->stock = true;
  Register(p);
  return p;
}
Brush* MakeStockBrush(int style, COLORREF color) {
  auto* b = new Brush;
  b->style = style;
  b->color = color;
  b->stock = true;
  Register(b);
  return b;
}

// An 8 x 8 hatch tile: the lines in the brush colour, the rest transparent (the DC's background
// fills it when the background mode is opaque).
cairo_surface_t* HatchTile(int hatch, COLORREF color) {
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 8, 8);
  cairo_surface_flush(s);
  for (int y = 0; y < 8; ++y) {
    std::uint32_t* row = Row(s, y);
    for (int x = 0; x < 8; ++x) {
      bool on = false;
      switch (hatch) {
        case HS_HORIZONTAL: on = y == 3; break;
        case HS_VERTICAL: on = x == 3; break;
        case HS_FDIAGONAL: on = x == y; break;
        case HS_BDIAGONAL: on = x == 7 - y; break;
        case HS_CROSS: on = x == 3 || y == 3; break;
        default: on = x == y || x == 7 - y; break;
      }
      row[x] = on ? ToPixel(color) : 0;
    }
  }
  cairo_surface_mark_dirty(s);
  return s;
}

}  // namespace

std::unique_lock<std::recursive_mutex> Lock() { return std::unique_lock<std::recursive_mutex>(GdiMutex()); }

void Register(Object* object) { Live().insert(object); }

Object* Find(const void* handle) {
  if (!handle) return nullptr;
  const void*& slot = RecentlyFound().Slot(handle);
  if (slot != handle) {
    if (!Live().count(handle)) return nullptr;
    slot = handle;
  }
  return static_cast<Object*>(const_cast<void*>(handle));
}

void Destroy(Object* object) {
  Live().erase(object);
  const void*& slot = RecentlyFound().Slot(object);
  if (slot == object) slot = nullptr;
  delete object;
}

void Release(Object* object) {
  if (!object) return;
  if (object->selections > 0) --object->selections;
  if (object->selections == 0 && object->delete_pending) Destroy(object);
}

Brush::~Brush() {
  if (tile) cairo_surface_destroy(tile);
  if (wide) cairo_surface_destroy(wide);
}
Region::~Region() {
  if (rgn) cairo_region_destroy(rgn);
}
Icon::~Icon() {
  if (image) cairo_surface_destroy(image);
}

Pen* StockPen(int index) {
  static Pen* white = MakeStockPen(PS_SOLID, 0xFFFFFF);
  static Pen* black = MakeStockPen(PS_SOLID, 0);
  static Pen* null_pen = MakeStockPen(PS_NULL, 0);
  switch (index) {
    case WHITE_PEN: return white;
    case BLACK_PEN: return black;
    case NULL_PEN: return null_pen;
    default: return nullptr;
  }
}

Brush* StockBrush(int index) {
  static Brush* brushes[6] = {
      MakeStockBrush(BS_SOLID, 0xFFFFFF), MakeStockBrush(BS_SOLID, 0xC0C0C0), MakeStockBrush(BS_SOLID, 0x808080),
      MakeStockBrush(BS_SOLID, 0x404040), MakeStockBrush(BS_SOLID, 0),        MakeStockBrush(BS_NULL, 0)};
  return index >= 0 && index < 6 ? brushes[index] : nullptr;
}

}  // namespace ce::gdi

using namespace ce::gdi;

HGDIOBJ GetStockObject(int index) {
  auto lock = Lock();
  if (index >= WHITE_BRUSH && index <= NULL_BRUSH) return StockBrush(index);
  if (index >= WHITE_PEN && index <= NULL_PEN) return StockPen(index);
  if (index == SYSTEM_FONT || index == 12 /* DEFAULT_GUI_FONT on some devices */ || index == 17) return DefaultFont();
  return nullptr;
}

HPEN CreatePen(int style, int width, COLORREF color) {
  if (style < PS_SOLID || style > PS_NULL || style == 4) return nullptr;
  auto lock = Lock();
  auto* p = new Pen;
  p->style = style;
  p->width = width < 1 ? 1 : width;
  p->color = color & 0xFFFFFF;
  Register(p);
  return reinterpret_cast<HPEN>(p);
}

HPEN CreatePenIndirect(const LOGPEN* pen) {
  if (!pen) return nullptr;
  return CreatePen(static_cast<int>(pen->lopnStyle), pen->lopnWidth.x, pen->lopnColor);
}

HBRUSH CreateSolidBrush(COLORREF color) {
  auto lock = Lock();
  auto* b = new Brush;
  b->color = color & 0xFFFFFF;
  Register(b);
  return reinterpret_cast<HBRUSH>(b);
}

HBRUSH CreateHatchBrush(int hatch, COLORREF color) {
  if (hatch < HS_HORIZONTAL || hatch > HS_DIAGCROSS) return nullptr;
  auto lock = Lock();
  auto* b = new Brush;
  b->style = BS_HATCHED;
  b->color = color & 0xFFFFFF;
  b->hatch = hatch;
  b->tile = HatchTile(hatch, b->color);
  Register(b);
  return reinterpret_cast<HBRUSH>(b);
}

HBRUSH CreatePatternBrush(HBITMAP bitmap) {
  auto lock = Lock();
  Bitmap* bmp = AsBitmap(bitmap);
  if (!bmp) return nullptr;
  SyncIn(bmp);
  auto* b = new Brush;
  b->style = BS_PATTERN;
  b->tile = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, bmp->width, bmp->height);
  cairo_t* cr = cairo_create(b->tile);
  cairo_set_source_surface(cr, bmp->surface, 0, 0);
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  cairo_paint(cr);
  cairo_destroy(cr);
  // The copy is opaque whatever the source surface's alpha says.
  cairo_surface_flush(b->tile);
  for (int y = 0; y < bmp->height; ++y)
    for (int x = 0; x < bmp->width; ++x) Row(b->tile, y)[x] |= 0xFF000000u;
  cairo_surface_mark_dirty(b->tile);
  Register(b);
  return reinterpret_cast<HBRUSH>(b);
}

HBRUSH CreateBrushIndirect(const LOGBRUSH* brush) {
  if (!brush) return nullptr;
  switch (brush->lbStyle) {
    case BS_SOLID: return CreateSolidBrush(brush->lbColor);
    case BS_NULL: return reinterpret_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
    case BS_HATCHED: return CreateHatchBrush(static_cast<int>(brush->lbHatch), brush->lbColor);
    case BS_PATTERN: return CreatePatternBrush(reinterpret_cast<HBITMAP>(brush->lbHatch));
    case BS_DIBPATTERNPT: return CreateDIBPatternBrushPt(reinterpret_cast<const void*>(brush->lbHatch), DIB_RGB_COLORS);
    default: return nullptr;
  }
}

HGDIOBJ SelectObject(HDC hdc, HGDIOBJ object) {
  auto lock = Lock();
  DC* dc = AsDC(hdc);
  Object* o = Find(object);
  if (!dc || !o) return nullptr;
  Object* old = nullptr;
  switch (o->kind) {
    case Kind::kPen: old = dc->st.pen; dc->st.pen = static_cast<Pen*>(o); break;
    case Kind::kBrush: old = dc->st.brush; dc->st.brush = static_cast<Brush*>(o); break;
    case Kind::kFont: old = dc->st.font; dc->st.font = static_cast<Font*>(o); break;
    case Kind::kRegion: {
      int r = SelectClipRgn(hdc, reinterpret_cast<HRGN>(object));
      return reinterpret_cast<HGDIOBJ>(static_cast<intptr_t>(r));
    }
    case Kind::kBitmap: {
      auto* bmp = static_cast<Bitmap*>(o);
      // A bitmap lives in one memory DC at a time; window DCs take none.
      if (!dc->memory || (bmp->selected_in && bmp->selected_in != dc)) return nullptr;
      old = dc->st.bitmap;
      SelectBitmapInto(*dc, bmp);
      break;
    }
    default: return nullptr;
  }
  if (old == o) return old;
  ++o->selections;
  Release(old);
  return old;
}

BOOL DeleteObject(HGDIOBJ object) {
  auto lock = Lock();
  Object* o = Find(object);
  if (!o || o->kind == Kind::kDC) return FALSE;
  if (o->stock) return TRUE;
  if (o->selections > 0) {
    // Still selected into a DC: it goes when the DC lets go of it.
    o->delete_pending = true;
    return TRUE;
  }
  Destroy(o);
  return TRUE;
}

DWORD GetObjectType(HGDIOBJ object) {
  auto lock = Lock();
  Object* o = Find(object);
  if (!o) return 0;
  switch (o->kind) {
    case Kind::kPen: return OBJ_PEN;
    case Kind::kBrush: return OBJ_BRUSH;
    case Kind::kFont: return OBJ_FONT;
    case Kind::kBitmap: return OBJ_BITMAP;
    case Kind::kRegion: return OBJ_REGION;
    case Kind::kDC: return static_cast<DC*>(o)->memory ? OBJ_MEMDC : OBJ_DC;
    default: return 0;
  }
}

HGDIOBJ GetCurrentObject(HDC hdc, UINT type) {
  auto lock = Lock();
  DC* dc = AsDC(hdc);
  if (!dc) return nullptr;
  switch (type) {
    case OBJ_PEN: return dc->st.pen;
    case OBJ_BRUSH: return dc->st.brush;
    case OBJ_FONT: return dc->st.font;
    case OBJ_BITMAP: return dc->memory ? static_cast<Object*>(dc->st.bitmap) : dc->target;
    default: return nullptr;
  }
}

int GetObjectW(HGDIOBJ object, int size, LPVOID out) {
  auto lock = Lock();
  Object* o = Find(object);
  if (!o) return 0;
  auto give = [&](const void* data, int n) {
    if (!out) return n;
    if (size < n) return 0;
    std::memcpy(out, data, static_cast<size_t>(n));
    return n;
  };
  switch (o->kind) {
    case Kind::kPen: {
      auto* p = static_cast<Pen*>(o);
      LOGPEN lp{static_cast<UINT>(p->style), {p->width, 0}, p->color};
      return give(&lp, sizeof lp);
    }
    case Kind::kBrush: {
      auto* b = static_cast<Brush*>(o);
      LOGBRUSH lb{static_cast<UINT>(b->style), b->color, static_cast<ULONG_PTR>(b->hatch)};
      return give(&lb, sizeof lb);
    }
    case Kind::kFont: return give(&static_cast<Font*>(o)->lf, sizeof(LOGFONTW));
    case Kind::kBitmap: {
      auto* b = static_cast<Bitmap*>(o);
      BITMAP bm{0, b->width, b->height, ((b->width * b->bpp + 15) / 16) * 2, static_cast<WORD>(b->planes),
                static_cast<WORD>(b->bpp), b->dib ? b->bits : nullptr};
      if (b->dib) bm.bmWidthBytes = b->dib_stride;
      if (b->dib && out && size >= static_cast<int>(sizeof(DIBSECTION))) {
        DIBSECTION ds{};
        ds.dsBm = bm;
        ds.dsBmih = b->header;
        std::memcpy(ds.dsBitfields, b->masks, sizeof ds.dsBitfields);
        return give(&ds, sizeof ds);
      }
      return give(&bm, sizeof bm);
    }
    default: return 0;
  }
}
