// PNG (Cairo's reader, on libpng) and BMP files, and packed DIBs from resources, to bitmaps and
// icons.
#include "platform/gdi/images.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>

#include "platform/base/errors.h"
#include "platform/base/wire.h"
#include "platform/files/ce_path.h"
#include "platform/gdi/dib_codec.h"
#include "platform/gdi/gdi.h"
#include "platform/gdi/gdi_objects.h"
#include "platform/kernel/last_error.h"
#include "platform/text/utf.h"

using namespace ce::gdi;

namespace {

constexpr std::size_t kMaxFile = 64u << 20;
// The most pixels an image may have on this device (4096 x 4096, 64 MB as a bitmap). A larger one
// is refused from its header, before anything is decoded or reserved for it.
constexpr std::uint64_t kMaxPixels = 4096ull * 4096;

bool PixelsFit(std::uint64_t width, std::uint64_t height) { return width * height <= kMaxPixels; }

ResourceImageSource& Resources() {
  static ResourceImageSource source;
  return source;
}

bool IsPng(const unsigned char* d, std::size_t n) {
  static const unsigned char sig[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  return n >= 8 && std::memcmp(d, sig, 8) == 0;
}

struct Cursor {
  const unsigned char* data;
  std::size_t size, pos;
};

cairo_status_t ReadChunk(void* closure, unsigned char* out, unsigned int length) {
  auto* c = static_cast<Cursor*>(closure);
  if (c->size - c->pos < length) return CAIRO_STATUS_READ_ERROR;
  std::memcpy(out, c->data + c->pos, length);
  c->pos += length;
  return CAIRO_STATUS_SUCCESS;
}

// The width and height a PNG's header gives (its first chunk must be the header).
bool PngSize(const unsigned char* d, std::size_t n, std::uint64_t* width, std::uint64_t* height) {
  if (n < 24 || std::memcmp(d + 12, "IHDR", 4) != 0) return false;
  auto be32 = [](const unsigned char* p) {
    return (std::uint64_t{p[0]} << 24) | (std::uint64_t{p[1]} << 16) | (std::uint64_t{p[2]} << 8) | p[3];
  };
  *width = be32(d + 16);
  *height = be32(d + 20);
  return true;
}

// The image as a Cairo surface: RGB24 for opaque images, ARGB32 (premultiplied) with alpha. Null
// when malformed (`*too_large` false) or larger than the device takes (`*too_large` true).
cairo_surface_t* Decode(const unsigned char* d, std::size_t n, bool* too_large = nullptr) {
  bool ignored = false;
  if (!too_large) too_large = &ignored;
  *too_large = false;
  if (!d) return nullptr;
  if (IsPng(d, n)) {
    std::uint64_t width = 0, height = 0;
    if (!PngSize(d, n, &width, &height)) return nullptr;
    if (!PixelsFit(width, height)) {
      *too_large = true;
      return nullptr;
    }
    Cursor c{d, n, 0};
    cairo_surface_t* s = cairo_image_surface_create_from_png_stream(ReadChunk, &c);
    if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
      cairo_surface_destroy(s);
      return nullptr;
    }
    return s;
  }
  std::size_t dib_start = 0, pixel_offset = 0;
  if (n >= 14 && d[0] == 'B' && d[1] == 'M') {
    ce::wire::Reader r(d + 10, 4);
    pixel_offset = r.U32();
    dib_start = 14;
  }
  DibFormat f;
  std::size_t header_end = ParseDibHeader(d + dib_start, n - dib_start, f);
  if (!header_end) return nullptr;
  if (!PixelsFit(static_cast<std::uint64_t>(f.width), static_cast<std::uint64_t>(f.height))) {
    *too_large = true;
    return nullptr;
  }
  std::size_t pixels = dib_start ? pixel_offset : header_end;
  if (pixels < dib_start + header_end || pixels > n || n - pixels < f.ImageSize()) return nullptr;
  cairo_surface_t* s = DecodeDib(f, d + pixels);
  if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(s);
    return nullptr;
  }
  return s;
}

Bitmap* BitmapFromSurface(cairo_surface_t* s) {
  auto* b = new Bitmap;
  b->surface = s;
  b->width = cairo_image_surface_get_width(s);
  b->height = cairo_image_surface_get_height(s);
  b->bpp = cairo_image_surface_get_format(s) == CAIRO_FORMAT_ARGB32 ? 32 : 24;
  Register(b);
  return b;
}

// The image at the asked size; null (the image released) when that size cannot be made.
cairo_surface_t* Scaled(cairo_surface_t* s, int cx, int cy) {
  constexpr int kMaxSide = 16384;
  int w = cairo_image_surface_get_width(s), h = cairo_image_surface_get_height(s);
  if ((cx <= 0 || cx == w) && (cy <= 0 || cy == h)) return s;
  int nw = cx > 0 ? cx : w, nh = cy > 0 ? cy : h;
  cairo_surface_t* out = nullptr;
  if (nw <= kMaxSide && nh <= kMaxSide && PixelsFit(static_cast<std::uint64_t>(nw), static_cast<std::uint64_t>(nh)))
    out = cairo_image_surface_create(cairo_image_surface_get_format(s), nw, nh);
  if (!out || cairo_surface_status(out) != CAIRO_STATUS_SUCCESS) {
    if (out) cairo_surface_destroy(out);
    cairo_surface_destroy(s);
    return nullptr;
  }
  cairo_t* cr = cairo_create(out);
  cairo_scale(cr, static_cast<double>(nw) / w, static_cast<double>(nh) / h);
  cairo_set_source_surface(cr, s, 0, 0);
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  cairo_paint(cr);
  cairo_destroy(cr);
  cairo_surface_destroy(s);
  return out;
}

cairo_surface_t* ToArgb(cairo_surface_t* s) {
  if (cairo_image_surface_get_format(s) == CAIRO_FORMAT_ARGB32) return s;
  cairo_surface_t* out = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, cairo_image_surface_get_width(s),
                                                    cairo_image_surface_get_height(s));
  cairo_t* cr = cairo_create(out);
  cairo_set_source_surface(cr, s, 0, 0);
  cairo_paint(cr);
  cairo_destroy(cr);
  cairo_surface_destroy(s);
  return out;
}

bool ReadFile(LPCWSTR file, std::vector<unsigned char>& bytes) {
  if (!file) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  std::filesystem::path host = ce::files::HostPath(ce::text::WideView(file));
  std::error_code ec;
  if (host.empty() || !std::filesystem::is_regular_file(host, ec)) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return false;
  }
  auto size = std::filesystem::file_size(host, ec);
  if (ec || size > kMaxFile) {
    SetLastError(ERROR_BAD_FORMAT);
    return false;
  }
  std::ifstream in(host, std::ios::binary);
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  if (!in && !in.eof()) {
    SetLastError(ERROR_READ_FAULT);
    return false;
  }
  return true;
}

// The bytes of an image named by file (LR_LOADFROMFILE) or by resource.
bool ImageBytes(HINSTANCE module, LPCWSTR name, UINT type, UINT flags, std::vector<unsigned char>& bytes) {
  if (flags & LR_LOADFROMFILE) return ReadFile(name, bytes);
  std::optional<std::vector<unsigned char>> found;
  if (Resources()) found = Resources()(module, name, type);
  if (!found) {
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return false;
  }
  bytes = std::move(*found);
  return true;
}

}  // namespace

namespace ce::gdi {

HBITMAP BitmapFromImageData(const unsigned char* data, std::size_t size) {
  cairo_surface_t* s = Decode(data, size);
  if (!s) return nullptr;
  auto lock = Lock();
  return reinterpret_cast<HBITMAP>(BitmapFromSurface(s));
}

HICON IconFromImageData(const unsigned char* data, std::size_t size) {
  cairo_surface_t* s = Decode(data, size);
  if (!s) return nullptr;
  auto lock = Lock();
  return reinterpret_cast<HICON>(NewIcon(ToArgb(s)));
}

void SetResourceImageSource(ResourceImageSource source) {
  auto lock = Lock();
  Resources() = std::move(source);
}

}  // namespace ce::gdi

HBITMAP SHLoadImageFile(LPCWSTR file) {
  std::vector<unsigned char> bytes;
  if (!ReadFile(file, bytes)) return nullptr;
  bool too_large = false;
  cairo_surface_t* s = Decode(bytes.data(), bytes.size(), &too_large);
  if (!s) {
    SetLastError(too_large ? ERROR_NOT_ENOUGH_MEMORY : ERROR_BAD_FORMAT);
    return nullptr;
  }
  auto lock = Lock();
  return reinterpret_cast<HBITMAP>(BitmapFromSurface(s));
}

HBITMAP SHLoadDIBitmap(LPCWSTR file) { return SHLoadImageFile(file); }

HANDLE LoadImageW(HINSTANCE module, LPCWSTR name, UINT type, int cx, int cy, UINT flags) {
  if (type != IMAGE_BITMAP && type != IMAGE_ICON) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  std::vector<unsigned char> bytes;
  if (!ImageBytes(module, name, type, flags, bytes)) return nullptr;
  bool too_large = false;
  cairo_surface_t* s = Decode(bytes.data(), bytes.size(), &too_large);
  if (!s) {
    SetLastError(too_large ? ERROR_NOT_ENOUGH_MEMORY : ERROR_BAD_FORMAT);
    return nullptr;
  }
  s = Scaled(s, cx, cy);
  if (!s) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  auto lock = Lock();
  if (type == IMAGE_ICON) return NewIcon(ToArgb(s));
  return BitmapFromSurface(s);
}

HBITMAP LoadBitmapW(HINSTANCE module, LPCWSTR name) {
  return static_cast<HBITMAP>(LoadImageW(module, name, IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR));
}

HICON LoadIconW(HINSTANCE module, LPCWSTR name) {
  return static_cast<HICON>(LoadImageW(module, name, IMAGE_ICON, 0, 0, LR_DEFAULTCOLOR));
}
