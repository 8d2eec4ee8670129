// Inside the drawing interface: the objects behind the handles, the lock, and the helpers the
// primitive groups share. Not for callers outside platform/gdi.
#pragma once

#include <cairo.h>

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <type_traits>
#include <unordered_map>
#include <vector>

#include "platform/gdi/gdi_types.h"

namespace ce::gdi {

class CallRecorder;

enum class Kind { kPen, kBrush, kFont, kBitmap, kRegion, kDC, kIcon };

struct Object {
  explicit Object(Kind k) : kind(k) {}
  virtual ~Object() = default;
  Kind kind;
  bool stock = false;
  int selections = 0;            // how many DCs have it selected
  bool delete_pending = false;  // DeleteObject while selected: ends when deselected
};

struct Pen : Object {
  Pen() : Object(Kind::kPen) {}
  int style = PS_SOLID;
  int width = 1;
  COLORREF color = 0;
};

struct Brush : Object {
  Brush() : Object(Kind::kBrush) {}
  ~Brush() override;
  int style = BS_SOLID;
  COLORREF color = 0;
  int hatch = 0;
  // Pattern and hatch brushes: the tile, ARGB32 (hatch background transparent, see ApplyBrush).
  cairo_surface_t* tile = nullptr;
  // An opaque tile repeated side by side into a wide one without alpha (made when first filled
  // with; see ApplyBrush), and whether it was tried.
  mutable cairo_surface_t* wide = nullptr;
  mutable bool wide_tried = false;
};

struct Font : Object {
  Font() : Object(Kind::kFont) {}
  ~Font() override;
  LOGFONTW lf{};
  std::string family;  // the installed family it maps to
  cairo_scaled_font_t* scaled = nullptr;
  double ascent = 0, descent = 0, em = 0;  // pixels
  double angle = 0;                         // radians, counter-clockwise (lfEscapement)
  // Texts already laid out in this font: their advance and glyphs (from the origin), so that
  // text drawn again (labels on every frame) is neither converted nor measured again.
  struct Run {
    double advance = 0;
    std::vector<cairo_glyph_t> glyphs;
  };
  mutable std::unordered_map<std::u16string, Run> runs;
  // The entry found last: a text measured and then drawn is looked up once.
  mutable const std::pair<const std::u16string, Run>* last_run = nullptr;
  const Run& RunOf(const std::u16string& text) const;
};

struct DC;

struct Bitmap : Object {
  Bitmap() : Object(Kind::kBitmap) {}
  ~Bitmap() override;
  cairo_surface_t* surface = nullptr;  // RGB24, or ARGB32 for 32-bit DIB sections
  int width = 0, height = 0, bpp = 32, planes = 1;
  DC* selected_in = nullptr;
  // DIB sections: the caller's view of the pixels. `direct` when `bits` is the surface's own
  // memory (32 bits a pixel, top-down); otherwise the two are converted around every operation.
  bool dib = false;
  bool direct = false;
  BITMAPINFOHEADER header{};
  std::vector<RGBQUAD> colors;
  DWORD masks[3] = {0, 0, 0};
  std::vector<unsigned char> own_bits;
  unsigned char* bits = nullptr;
  int dib_stride = 0;
};

struct Region : Object {
  Region() : Object(Kind::kRegion) {}
  ~Region() override;
  cairo_region_t* rgn = nullptr;
};

struct Icon : Object {
  Icon() : Object(Kind::kIcon) {}
  ~Icon() override;
  cairo_surface_t* image = nullptr;  // ARGB32, premultiplied
  int width = 0, height = 0;
};

struct DcState {
  Pen* pen = nullptr;
  Brush* brush = nullptr;
  Font* font = nullptr;
  Bitmap* bitmap = nullptr;
  COLORREF text_color = 0;
  COLORREF bk_color = 0xFFFFFF;
  int bk_mode = OPAQUE;
  int rop2 = R2_COPYPEN;
  int fill_mode = ALTERNATE;
  UINT text_align = TA_TOP | TA_LEFT;
  POINT brush_org{0, 0};
  POINT position{0, 0};
  cairo_region_t* clip = nullptr;  // in DC coordinates; null = no clip region
};

struct DC : Object {
  DC() : Object(Kind::kDC) {}
  ~DC() override;
  bool memory = false;
  HWND hwnd = nullptr;
  // The surface drawn on: the selected bitmap's (memory DC) or a borrowed one (screen, window).
  Bitmap* target = nullptr;
  POINT origin{0, 0};             // DC (0, 0) on the target surface
  RECT bounds{0, 0, 0, 0};        // the part of the target this DC may touch (target coordinates)
  cairo_region_t* visible = nullptr;  // surface DCs: the visible part of their window (target coordinates)
  DcState st;
  std::vector<DcState> saved;
  CallRecorder* recorder = nullptr;  // test seam
  // The drawing context of the last copy-mode primitive with its clip, used again while the
  // target surface and the clip stay the same (see DrawState for what a primitive may leave).
  cairo_t* cr = nullptr;
  cairo_region_t* cr_clip = nullptr;
  // Whether that clip is the DC's bounds on the target alone (no clip or visible region), and
  // those bounds.
  bool cr_bounds_only = false;
  cairo_rectangle_int_t cr_box{};
  std::vector<cairo_glyph_t> glyphs;  // scratch: a text's glyphs at their place
};

// Forgets the kept drawing context of the DC.
void DropContext(DC& dc);

// One lock for the whole drawing interface: every entry point holds it.
std::unique_lock<std::recursive_mutex> Lock();

void Register(Object* object);
// The object behind a handle when it is alive and of that kind, else null.
Object* Find(const void* handle);
template <class T>
T* As(const void* handle, Kind kind) {
  Object* o = Find(handle);
  return o && o->kind == kind ? static_cast<T*>(o) : nullptr;
}
inline DC* AsDC(HDC h) { return As<DC>(h, Kind::kDC); }
inline Bitmap* AsBitmap(const void* h) { return As<Bitmap>(h, Kind::kBitmap); }
inline Brush* AsBrush(const void* h) { return As<Brush>(h, Kind::kBrush); }
inline Region* AsRegion(const void* h) { return As<Region>(h, Kind::kRegion); }
void Destroy(Object* object);
void Release(Object* object);  // a DC deselected it: ends it when its deletion was pending

Pen* StockPen(int index);
Brush* StockBrush(int index);
Font* DefaultFont();
Bitmap* DefaultBitmap();  // the 1 x 1 bitmap of a new memory DC

Bitmap* NewBitmap(int width, int height, int bpp, cairo_format_t format = CAIRO_FORMAT_RGB24);
// An icon over an ARGB32 image (the icon owns it).
Icon* NewIcon(cairo_surface_t* argb);
void SelectBitmapInto(DC& dc, Bitmap* bitmap);

// DIB sections whose memory is not the surface's: bring the caller's pixels in before an
// operation reads the bitmap, write the result back after an operation changed it.
void SyncIn(Bitmap* bitmap);
void SyncOut(Bitmap* bitmap);

// Pixel access on image surfaces (after a flush; mark dirty after writing).
inline std::uint32_t* Row(cairo_surface_t* s, int y) {
  return reinterpret_cast<std::uint32_t*>(cairo_image_surface_get_data(s) + static_cast<std::ptrdiff_t>(y) * cairo_image_surface_get_stride(s));
}
inline std::uint32_t ToPixel(COLORREF c) {
  return 0xFF000000u | ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}
inline COLORREF ToColor(std::uint32_t p) { return ((p >> 16) & 0xFF) | (p & 0xFF00) | ((p & 0xFF) << 16); }
inline void SetSourceColor(cairo_t* cr, COLORREF c) {
  cairo_set_source_rgb(cr, (c & 0xFF) / 255.0, ((c >> 8) & 0xFF) / 255.0, ((c >> 16) & 0xFF) / 255.0);
}

// Coordinates far outside any surface are pulled in to +-2^28, so that sums and differences of
// two of them never overflow.
constexpr LONG kNear = 1 << 28;
inline LONG Near(long long v) { return static_cast<LONG>(v < -kNear ? -kNear : v > kNear ? kNear : v); }
inline RECT Near(const RECT& r) { return {Near(r.left), Near(r.top), Near(r.right), Near(r.bottom)}; }
// The rectangle from (x, y) with the given extents, pulled in.
inline RECT NearBox(long long x, long long y, long long w, long long h) {
  return {Near(x), Near(y), Near(x + w), Near(y + h)};
}

// The rectangle (target coordinates) a DC may draw in now: bounds, surface and clip region.
cairo_region_t* EffectiveClip(const DC& dc);

// What a drawing may do to the state of the context it gets. kScoped: anything (transformation,
// clip, operator); it runs inside a save and restore. kPlain: it sets the source, line style and
// font it uses, changes nothing else, and leaves the fill rule at winding; on a DC whose origin is
// the target's (0, 0) it runs without a save and restore.
enum class DrawState { kScoped, kPlain };

using DrawFn = void (*)(void* closure, cairo_t* cr);
void RenderWith(DC& dc, const RECT& extent, int rop2, DrawState state, DrawFn draw, void* closure);

// Draws on the DC: `draw(cairo_t*)` gets a Cairo context in DC coordinates, clipped, without
// antialiasing. With a raster operation other than R2_COPYPEN the drawing goes to a scratch layer
// first and is combined with the target pixel by pixel. `extent` (DC coordinates) bounds what will
// be drawn.
template <class F>
void Render(DC& dc, const RECT& extent, int rop2, F&& draw, DrawState state = DrawState::kScoped) {
  using Draw = std::remove_reference_t<F>;
  RenderWith(
      dc, extent, rop2, state, [](void* closure, cairo_t* cr) { (*static_cast<Draw*>(closure))(cr); },
      const_cast<void*>(static_cast<const void*>(&draw)));
}
// Sets the DC's brush (or `brush`) as the source; false for the null brush.
bool ApplyBrush(cairo_t* cr, const DC& dc, const Brush* brush);
// Sets the DC's pen as the source and line style; false for the null pen.
bool ApplyPen(cairo_t* cr, const DC& dc);
int PenWidth(const DC& dc);

// The binary raster operation on two pixels (colour bits only).
inline std::uint32_t Rop2(int rop, std::uint32_t pen, std::uint32_t dst) {
  unsigned t = static_cast<unsigned>(rop - 1) & 15;
  std::uint32_t r = 0;
  if (t & 1) r |= ~pen & ~dst;
  if (t & 2) r |= ~pen & dst;
  if (t & 4) r |= pen & ~dst;
  if (t & 8) r |= pen & dst;
  return (r & 0x00FFFFFFu) | 0xFF000000u;
}
// The ternary raster operation of a blit on pattern, source and destination pixels.
inline std::uint32_t Rop3(DWORD rop, std::uint32_t pat, std::uint32_t src, std::uint32_t dst) {
  unsigned table = (rop >> 16) & 0xFF;
  std::uint32_t r = 0;
  for (unsigned i = 0; i < 8; ++i) {
    if (!(table & (1u << i))) continue;
    std::uint32_t p = (i & 4) ? pat : ~pat, s = (i & 2) ? src : ~src, d = (i & 1) ? dst : ~dst;
    r |= p & s & d;
  }
  return (r & 0x00FFFFFFu) | 0xFF000000u;
}

// Records a call on the DC when a test asked for it.
void Record(const DC& dc, const std::string& call);
// Record, with the call's text built only when a recorder is attached.
#define GDI_RECORD(dc, call)                 \
  do {                                       \
    if ((dc).recorder) Record((dc), (call)); \
  } while (0)

// Font mapping, shared by the text functions and font enumeration.
std::string InstalledFamilyFor(const std::u16string& face);
void RealizeFont(Font& font);

}  // namespace ce::gdi
