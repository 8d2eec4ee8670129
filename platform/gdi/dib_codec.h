// Conversion between device-independent bitmap pixels (1, 4, 8, 16, 24, 32 bits a pixel, top-down
// or bottom-up) and Cairo image surfaces. Inside platform/gdi only.
#pragma once

#include <cairo.h>

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/gdi/gdi_types.h"

namespace ce::gdi {

struct DibFormat {
  int width = 0;
  int height = 0;      // always positive
  bool top_down = false;
  int bpp = 0;
  std::vector<RGBQUAD> colors;
  DWORD masks[3] = {0, 0, 0};  // red, green, blue (16 and 32 bits a pixel)
  bool alpha = false;          // 32 bits a pixel with a meaningful fourth byte
  int Stride() const { return ((width * bpp + 31) / 32) * 4; }
  std::size_t ImageSize() const { return static_cast<std::size_t>(Stride()) * static_cast<std::size_t>(height); }
};

// Reads the header, masks and colour table of a packed DIB (the BITMAPINFO block); `size` bounds
// the read. Returns the offset of the pixels, or 0 when the block is malformed or unsupported.
std::size_t ParseDibHeader(const unsigned char* data, std::size_t size, DibFormat& format);
// Pixels in, image surface out (RGB24, or ARGB32 when format.alpha). Needs format.ImageSize() bytes.
cairo_surface_t* DecodeDib(const DibFormat& format, const unsigned char* pixels);
// Copies a surface into DIB pixels of the same size (nearest colour for indexed formats).
void EncodeDib(const DibFormat& format, cairo_surface_t* surface, unsigned char* pixels);

}  // namespace ce::gdi
