// Bitmaps: compatible bitmaps, DIB sections and their pixels, pattern brushes from DIBs, and the
// pixel and PNG seams.
#include <cstring>

#include "platform/gdi/dib_codec.h"
#include "platform/gdi/gdi.h"
#include "platform/gdi/gdi_objects.h"
#include "platform/gdi/gdi_seams.h"
#include "platform/gdi/gdi_surface.h"
#include "platform/text/utf.h"

namespace ce::gdi {
namespace {

constexpr int kMaxSide = 16384;

// Reads a BITMAPINFO block a program handed in. Its header size says how long the block is (the
// header, masks and at most 256 colours); a size beyond the largest header there is is refused,
// so that nothing past the program's block is read. The offset of what follows it, or 0.
std::size_t ParseInfo(const void* info, DibFormat& f) {
  constexpr DWORD kLargestHeader = 124;
  if (!info) return 0;
  DWORD size = static_cast<const BITMAPINFOHEADER*>(info)->biSize;
  if (size > kLargestHeader) return 0;
  return ParseDibHeader(static_cast<const unsigned char*>(info), size + 12 + 256 * 4, f);
}

DibFormat FormatOf(const Bitmap& b) {
  DibFormat f;
  f.width = b.width;
  f.height = b.height;
  f.top_down = b.header.biHeight < 0;
  f.bpp = b.bpp;
  f.colors = b.colors;
  std::memcpy(f.masks, b.masks, sizeof f.masks);
  f.alpha = cairo_image_surface_get_format(b.surface) == CAIRO_FORMAT_ARGB32;
  return f;
}

}  // namespace

Bitmap::~Bitmap() {
  if (surface) cairo_surface_destroy(surface);
}

Bitmap* NewBitmap(int width, int height, int bpp, cairo_format_t format) {
  auto* b = new Bitmap;
  b->width = width;
  b->height = height;
  b->bpp = bpp;
  b->surface = cairo_image_surface_create(format, width, height);
  // A new bitmap is black, as on the device.
  cairo_t* cr = cairo_create(b->surface);
  cairo_set_source_rgb(cr, 0, 0, 0);
  cairo_paint(cr);
  cairo_destroy(cr);
  Register(b);
  return b;
}

void SyncIn(Bitmap* b) {
  if (!b || !b->dib || b->direct) return;
  cairo_surface_t* fresh = DecodeDib(FormatOf(*b), b->bits);
  cairo_t* cr = cairo_create(b->surface);
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  cairo_set_source_surface(cr, fresh, 0, 0);
  cairo_paint(cr);
  cairo_destroy(cr);
  cairo_surface_destroy(fresh);
}

void SyncOut(Bitmap* b) {
  if (!b || !b->dib || b->direct) return;
  EncodeDib(FormatOf(*b), b->surface, b->bits);
}

COLORREF BitmapPixel(HBITMAP bitmap, int x, int y) {
  auto lock = Lock();
  Bitmap* b = AsBitmap(bitmap);
  if (!b || x < 0 || y < 0 || x >= b->width || y >= b->height) return CLR_INVALID;
  SyncIn(b);
  cairo_surface_flush(b->surface);
  return ToColor(Row(b->surface, y)[x]);
}

SIZE BitmapSize(HBITMAP bitmap) {
  auto lock = Lock();
  Bitmap* b = AsBitmap(bitmap);
  return b ? SIZE{b->width, b->height} : SIZE{0, 0};
}

cairo_surface_t* BitmapSurface(HBITMAP bitmap) {
  auto lock = Lock();
  Bitmap* b = AsBitmap(bitmap);
  if (!b) return nullptr;
  SyncIn(b);
  cairo_surface_flush(b->surface);
  return b->surface;
}

bool CopyBitmapPixels(HBITMAP bitmap, std::vector<std::uint32_t>& pixels, int& width, int& height) {
  auto lock = Lock();
  Bitmap* b = AsBitmap(bitmap);
  if (!b) return false;
  SyncIn(b);
  cairo_surface_flush(b->surface);
  width = b->width;
  height = b->height;
  pixels.resize(static_cast<std::size_t>(width) * height);
  for (int y = 0; y < height; ++y) {
    const std::uint32_t* row = Row(b->surface, y);
    for (int x = 0; x < width; ++x) pixels[static_cast<std::size_t>(y) * width + x] = row[x] & 0x00FFFFFFu;
  }
  return true;
}

bool ResizeBitmap(HBITMAP bitmap, int width, int height) {
  auto lock = Lock();
  Bitmap* b = AsBitmap(bitmap);
  if (!b || b->dib || width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) return false;
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
  cairo_t* cr = cairo_create(s);
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_paint(cr);
  cairo_destroy(cr);
  cairo_surface_destroy(b->surface);
  b->surface = s;
  b->width = width;
  b->height = height;
  if (b->selected_in) b->selected_in->bounds = {0, 0, width, height};
  return true;
}

bool SaveBitmapPng(HBITMAP bitmap, const std::filesystem::path& file, const RECT* area) {
  auto lock = Lock();
  Bitmap* b = AsBitmap(bitmap);
  if (!b) return false;
  SyncIn(b);
  RECT r = area ? *area : RECT{0, 0, b->width, b->height};
  if (r.left < 0) r.left = 0;
  if (r.top < 0) r.top = 0;
  if (r.right > b->width) r.right = b->width;
  if (r.bottom > b->height) r.bottom = b->height;
  if (r.right <= r.left || r.bottom <= r.top) return false;
  cairo_surface_t* out = cairo_image_surface_create(CAIRO_FORMAT_RGB24, r.right - r.left, r.bottom - r.top);
  cairo_t* cr = cairo_create(out);
  cairo_set_source_surface(cr, b->surface, -r.left, -r.top);
  cairo_paint(cr);
  cairo_destroy(cr);
  bool ok = cairo_surface_write_to_png(out, file.string().c_str()) == CAIRO_STATUS_SUCCESS;
  cairo_surface_destroy(out);
  return ok;
}

}  // namespace ce::gdi

using namespace ce::gdi;

HBITMAP CreateCompatibleBitmap(HDC hdc, int width, int height) {
  auto lock = Lock();
  DC* dc = AsDC(hdc);
  if ((hdc && !dc) || width < 0 || height < 0 || width > kMaxSide || height > kMaxSide) return nullptr;
  // A memory DC's compatible bitmap has the depth of the bitmap in it; others are screen-like.
  // A fresh memory DC holds the 1 x 1 stock bitmap: its compatible bitmaps are in colour here
  // (the device would make them monochrome), so they report the screen's depth.
  int bpp = dc && dc->memory && dc->target != DefaultBitmap() ? dc->target->bpp : 16;
  return reinterpret_cast<HBITMAP>(NewBitmap(width ? width : 1, height ? height : 1, bpp));
}

HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bits_per_pixel, const void* bits) {
  if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide || planes != 1) return nullptr;
  if (bits_per_pixel != 1 && bits_per_pixel != 4 && bits_per_pixel != 8 && bits_per_pixel != 16 && bits_per_pixel != 24 &&
      bits_per_pixel != 32)
    return nullptr;
  auto lock = Lock();
  Bitmap* b = NewBitmap(width, height, static_cast<int>(bits_per_pixel));
  if (bits) {
    // Device bitmap rows are padded to 16 bits, top-down; monochrome bits are 1 white, 0 black.
    DibFormat f;
    f.width = width;
    f.height = height;
    f.top_down = true;
    f.bpp = static_cast<int>(bits_per_pixel);
    if (f.bpp <= 8) {
      f.colors.resize(1u << f.bpp);
      for (std::size_t i = 0; i < f.colors.size(); ++i) {
        BYTE v = static_cast<BYTE>(i * 255 / (f.colors.size() - 1));
        f.colors[i] = {v, v, v, 0};
      }
    }
    if (f.bpp == 16) f.masks[0] = 0xF800, f.masks[1] = 0x07E0, f.masks[2] = 0x001F;
    if (f.bpp == 32) f.masks[0] = 0xFF0000, f.masks[1] = 0xFF00, f.masks[2] = 0xFF;
    int row16 = ((width * f.bpp + 15) / 16) * 2;
    std::vector<unsigned char> padded(f.ImageSize(), 0);
    for (int y = 0; y < height; ++y)
      std::memcpy(padded.data() + static_cast<std::size_t>(y) * f.Stride(),
                  static_cast<const unsigned char*>(bits) + static_cast<std::size_t>(y) * row16, static_cast<std::size_t>(row16));
    cairo_surface_t* s = DecodeDib(f, padded.data());
    cairo_surface_destroy(b->surface);
    b->surface = s;
  }
  return reinterpret_cast<HBITMAP>(b);
}

HBITMAP CreateDIBSection(HDC hdc, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section, DWORD offset) {
  (void)offset;
  if (bits) *bits = nullptr;
  if (!info || usage != DIB_RGB_COLORS || section) return nullptr;
  auto lock = Lock();
  if (hdc && !AsDC(hdc)) return nullptr;
  DibFormat f;
  if (!ParseInfo(info, f) || f.width > kMaxSide || f.height > kMaxSide) return nullptr;
  // Blits ignore the fourth byte, as on the device; AlphaBlend reads it from the bits.
  f.alpha = false;
  auto* b = new Bitmap;
  b->width = f.width;
  b->height = f.height;
  b->bpp = f.bpp;
  b->dib = true;
  b->header = info->bmiHeader;
  b->colors = f.colors;
  std::memcpy(b->masks, f.masks, sizeof b->masks);
  b->dib_stride = f.Stride();
  if (f.bpp == 32 && f.top_down && f.masks[0] == 0xFF0000 && f.masks[1] == 0xFF00 && f.masks[2] == 0xFF &&
      cairo_format_stride_for_width(CAIRO_FORMAT_RGB24, f.width) == f.Stride()) {
    // The caller's pixels are the surface's own: B, G, R, X bytes, rows top-down.
    b->own_bits.assign(f.ImageSize(), 0);
    b->bits = b->own_bits.data();
    b->direct = true;
    b->surface = cairo_image_surface_create_for_data(b->bits, CAIRO_FORMAT_RGB24, f.width, f.height, f.Stride());
  } else {
    b->own_bits.assign(f.ImageSize(), 0);
    b->bits = b->own_bits.data();
    b->surface = DecodeDib(f, b->bits);
  }
  Register(b);
  if (bits) *bits = b->bits;
  return reinterpret_cast<HBITMAP>(b);
}

int SetDIBitsToDevice(HDC hdc, int x, int y, DWORD width, DWORD height, int sx, int sy, UINT start, UINT lines,
                      const void* bits, const BITMAPINFO* info, UINT usage) {
  if (!bits || !info || usage != DIB_RGB_COLORS || start != 0) return 0;
  auto lock = Lock();
  DC* dc = AsDC(hdc);
  DibFormat f;
  if (!dc || !ParseInfo(info, f)) return 0;
  if (lines < static_cast<UINT>(f.height)) return 0;
  cairo_surface_t* s = DecodeDib(f, static_cast<const unsigned char*>(bits));
  RECT extent{x, y, x + static_cast<LONG>(width), y + static_cast<LONG>(height)};
  Render(*dc, extent, R2_COPYPEN, [&](cairo_t* cr) {
    cairo_rectangle(cr, x, y, width, height);
    cairo_clip(cr);
    cairo_set_source_surface(cr, s, x - sx, y - sy);
    cairo_paint(cr);
  });
  cairo_surface_destroy(s);
  return static_cast<int>(lines);
}

HBRUSH CreateDIBPatternBrushPt(const void* packed_dib, UINT usage) {
  if (!packed_dib || usage != DIB_RGB_COLORS) return nullptr;
  auto lock = Lock();
  const auto* raw = static_cast<const unsigned char*>(packed_dib);
  DibFormat f;
  std::size_t offset = ParseInfo(packed_dib, f);
  if (!offset || f.width > kMaxSide || f.height > kMaxSide) return nullptr;
  auto* b = new Brush;
  b->style = BS_DIBPATTERNPT;
  b->tile = DecodeDib(f, raw + offset);
  if (cairo_image_surface_get_format(b->tile) == CAIRO_FORMAT_RGB24) {
    // Patterns are opaque: make the tile ARGB32 with full alpha.
    cairo_surface_t* argb = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, f.width, f.height);
    cairo_t* cr = cairo_create(argb);
    cairo_set_source_surface(cr, b->tile, 0, 0);
    cairo_paint(cr);
    cairo_destroy(cr);
    cairo_surface_destroy(b->tile);
    b->tile = argb;
  }
  Register(b);
  return reinterpret_cast<HBRUSH>(b);
}

BOOL GdiFlush() { return TRUE; }
