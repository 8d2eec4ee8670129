// Device-independent bitmap pixel formats to and from Cairo image surfaces.
#include "platform/gdi/dib_codec.h"

#include <algorithm>
#include <bit>
#include <limits>

#include "platform/base/wire.h"
#include "platform/gdi/gdi_objects.h"

namespace ce::gdi {
namespace {

// Scales a masked field to 8 bits. A mask with gaps in its bits gives at most 255, never bits
// that spill into the next channel.
std::uint32_t Field(std::uint32_t value, DWORD mask) {
  if (!mask) return 0;
  int shift = std::countr_zero(mask);
  int bits = std::popcount(mask);
  std::uint64_t v = (value & mask) >> shift;
  if (bits >= 8) return static_cast<std::uint32_t>(std::min<std::uint64_t>(v >> (bits - 8), 255));
  std::uint64_t max = (1u << bits) - 1;
  return static_cast<std::uint32_t>(std::min<std::uint64_t>((v * 255 + max / 2) / max, 255));
}
std::uint32_t Pack(std::uint32_t c8, DWORD mask) {
  if (!mask) return 0;
  int shift = std::countr_zero(mask);
  int bits = std::popcount(mask);
  std::uint32_t v = bits >= 8 ? c8 << (bits - 8) : c8 >> (8 - bits);
  return (v << shift) & mask;
}

std::uint32_t Unpremultiply(std::uint32_t p) {
  std::uint32_t a = p >> 24;
  if (a == 0 || a == 255) return p;
  auto ch = [&](int s) { return std::min<std::uint32_t>(255, (((p >> s) & 0xFF) * 255 + a / 2) / a) << s; };
  return (a << 24) | ch(16) | ch(8) | ch(0);
}

}  // namespace

std::size_t ParseDibHeader(const unsigned char* data, std::size_t size, DibFormat& f) {
  if (!data || size < 40) return 0;
  wire::Reader r(data, size);
  DWORD header_size = r.U32();
  LONG width = r.I32();
  LONG height = r.I32();
  WORD planes = r.U16();
  WORD bpp = r.U16();
  DWORD compression = r.U32();
  r.U32();  // image size
  r.U32();
  r.U32();
  DWORD used = r.U32();
  if (!r.ok() || header_size < 40 || header_size > size || planes != 1) return 0;
  if (width <= 0 || width > 32767 || height == 0 || height < -32767 || height > 32767) return 0;
  if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) return 0;
  if (compression != BI_RGB && !(compression == BI_BITFIELDS && (bpp == 16 || bpp == 32))) return 0;
  f.width = width;
  f.height = height < 0 ? -height : height;
  f.top_down = height < 0;
  f.bpp = bpp;
  std::size_t offset = header_size;
  if (compression == BI_BITFIELDS) {
    if (header_size >= 52) {
      wire::Reader m(data + 40, 12);
      for (auto& mask : f.masks) mask = m.U32();
    } else {
      if (size < offset + 12) return 0;
      wire::Reader m(data + offset, 12);
      for (auto& mask : f.masks) mask = m.U32();
      offset += 12;
    }
  } else if (bpp == 16) {
    f.masks[0] = 0x7C00, f.masks[1] = 0x03E0, f.masks[2] = 0x001F;
  } else if (bpp == 32) {
    f.masks[0] = 0xFF0000, f.masks[1] = 0xFF00, f.masks[2] = 0xFF;
  }
  if (bpp <= 8) {
    std::size_t count = used ? used : (1u << bpp);
    if (count > (1u << bpp)) return 0;
    if (size < offset + count * 4) return 0;
    f.colors.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
      const unsigned char* q = data + offset + i * 4;
      f.colors[i] = {q[0], q[1], q[2], 0};
    }
    offset += count * 4;
  }
  return offset;
}

cairo_surface_t* DecodeDib(const DibFormat& f, const unsigned char* pixels) {
  cairo_surface_t* s = cairo_image_surface_create(f.alpha ? CAIRO_FORMAT_ARGB32 : CAIRO_FORMAT_RGB24, f.width, f.height);
  if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) return s;
  cairo_surface_flush(s);
  int stride = f.Stride();
  for (int y = 0; y < f.height; ++y) {
    const unsigned char* src = pixels + static_cast<std::size_t>(f.top_down ? y : f.height - 1 - y) * stride;
    std::uint32_t* dst = Row(s, y);
    for (int x = 0; x < f.width; ++x) {
      std::uint32_t p = 0;
      switch (f.bpp) {
        case 1:
        case 4:
        case 8: {
          int per_byte = 8 / f.bpp;
          unsigned byte = src[x / per_byte];
          unsigned shift = static_cast<unsigned>(8 - f.bpp * (x % per_byte + 1));
          unsigned index = (byte >> shift) & ((1u << f.bpp) - 1);
          if (index < f.colors.size()) {
            const RGBQUAD& c = f.colors[index];
            p = 0xFF000000u | (c.rgbRed << 16) | (c.rgbGreen << 8) | c.rgbBlue;
          } else {
            p = 0xFF000000u;
          }
          break;
        }
        case 16: {
          std::uint32_t v = src[2 * x] | (src[2 * x + 1] << 8);
          p = 0xFF000000u | (Field(v, f.masks[0]) << 16) | (Field(v, f.masks[1]) << 8) | Field(v, f.masks[2]);
          break;
        }
        case 24: p = 0xFF000000u | (src[3 * x + 2] << 16) | (src[3 * x + 1] << 8) | src[3 * x]; break;
        default: {
          std::uint32_t v = src[4 * x] | (src[4 * x + 1] << 8) | (src[4 * x + 2] << 16) | (static_cast<std::uint32_t>(src[4 * x + 3]) << 24);
          std::uint32_t rgb = (Field(v, f.masks[0]) << 16) | (Field(v, f.masks[1]) << 8) | Field(v, f.masks[2]);
          if (f.alpha) {
            // Straight alpha in the file, premultiplied in the surface.
            std::uint32_t a = v >> 24;
            auto pm = [&](int sh) { return ((((rgb >> sh) & 0xFF) * a + 127) / 255) << sh; };
            p = (a << 24) | pm(16) | pm(8) | pm(0);
          } else {
            p = 0xFF000000u | rgb;
          }
        }
      }
      dst[x] = p;
    }
  }
  cairo_surface_mark_dirty(s);
  return s;
}

void EncodeDib(const DibFormat& f, cairo_surface_t* s, unsigned char* pixels) {
  cairo_surface_flush(s);
  int stride = f.Stride();
  for (int y = 0; y < f.height; ++y) {
    unsigned char* dst = pixels + static_cast<std::size_t>(f.top_down ? y : f.height - 1 - y) * stride;
    const std::uint32_t* src = Row(s, y);
    for (int x = 0; x < f.width; ++x) {
      std::uint32_t p = f.alpha ? Unpremultiply(src[x]) : src[x];
      std::uint32_t r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
      switch (f.bpp) {
        case 1:
        case 4:
        case 8: {
          unsigned best = 0;
          long best_d = std::numeric_limits<long>::max();
          for (unsigned i = 0; i < f.colors.size(); ++i) {
            long dr = static_cast<long>(f.colors[i].rgbRed) - r, dg = static_cast<long>(f.colors[i].rgbGreen) - g,
                 db = static_cast<long>(f.colors[i].rgbBlue) - b;
            long d = dr * dr + dg * dg + db * db;
            if (d < best_d) best_d = d, best = i;
          }
          int per_byte = 8 / f.bpp;
          unsigned shift = static_cast<unsigned>(8 - f.bpp * (x % per_byte + 1));
          unsigned char mask = static_cast<unsigned char>(((1u << f.bpp) - 1) << shift);
          dst[x / per_byte] = static_cast<unsigned char>((dst[x / per_byte] & ~mask) | ((best << shift) & mask));
          break;
        }
        case 16: {
          std::uint32_t v = Pack(r, f.masks[0]) | Pack(g, f.masks[1]) | Pack(b, f.masks[2]);
          dst[2 * x] = static_cast<unsigned char>(v);
          dst[2 * x + 1] = static_cast<unsigned char>(v >> 8);
          break;
        }
        case 24:
          dst[3 * x] = static_cast<unsigned char>(b);
          dst[3 * x + 1] = static_cast<unsigned char>(g);
          dst[3 * x + 2] = static_cast<unsigned char>(r);
          break;
        default: {
          std::uint32_t v = Pack(r, f.masks[0]) | Pack(g, f.masks[1]) | Pack(b, f.masks[2]);
          if (f.alpha) v |= p & 0xFF000000u;
          for (int i = 0; i < 4; ++i) dst[4 * x + i] = static_cast<unsigned char>(v >> (8 * i));
        }
      }
    }
  }
}

}  // namespace ce::gdi
