// DCs on surfaces that other areas own: the screen of the display and the windows on it.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <vector>

#include "platform/gdi/gdi_types.h"

namespace ce::gdi {

// A DC that draws into `target` with its (0, 0) at `origin` and confined to `bounds` (both in
// target coordinates). The bitmap is borrowed, not selected: delete the DC with DeleteDC before
// the bitmap.
HDC CreateSurfaceDC(HBITMAP target, POINT origin, RECT bounds, HWND owner);
// Moves such a DC (a window that moved or resized).
void SetSurfaceDCArea(HDC hdc, POINT origin, RECT bounds);
// Limits a surface DC further to a region of the target (a window's visible part); null lifts it.
void SetSurfaceDCVisibleRegion(HDC hdc, const cairo_region_t* region);
// The window a surface DC belongs to; null for others.
HWND SurfaceDCWindow(HDC hdc);
// The Cairo surface behind a bitmap (flushed), for a display backend that shows it; null for a
// bad handle. The surface stays the bitmap's.
cairo_surface_t* BitmapSurface(HBITMAP bitmap);
// Copies a bitmap's pixels (0x00RRGGBB, rows top-down) under the drawing lock, for a display
// backend on another thread. False for a bad handle.
bool CopyBitmapPixels(HBITMAP bitmap, std::vector<std::uint32_t>& pixels, int& width, int& height);
// Gives a bitmap a new size, keeping its handle (the screen when it rotates); the content is
// cleared to white. DCs on it keep their areas until SetSurfaceDCArea moves them.
bool ResizeBitmap(HBITMAP bitmap, int width, int height);
// Screen metrics reported by GetDeviceCaps for DCs that are not memory DCs (and for a null DC).
void SetScreenMetrics(int width, int height, int bits_per_pixel);

}  // namespace ce::gdi
