// Images from files and resources: PNG and BMP files to bitmaps (the shell's image loaders and
// LoadImageW), bitmaps and icons from a program's resources through a seam the resource area fills.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <vector>

#include "platform/gdi/gdi_types.h"

#define MAKEINTRESOURCEW(i) (reinterpret_cast<LPCWSTR>(static_cast<ULONG_PTR>(static_cast<WORD>(i))))
#define IS_INTRESOURCE(p) ((reinterpret_cast<ULONG_PTR>(p) >> 16) == 0)

// The shell's loaders: a PNG or BMP file (CE path) as a bitmap; null with the last error set
// (ERROR_FILE_NOT_FOUND, ERROR_BAD_FORMAT) when it cannot be read, ERROR_NOT_ENOUGH_MEMORY when
// its header gives more than 4096 x 4096 pixels (refused before anything is decoded).
HBITMAP SHLoadImageFile(LPCWSTR file);
HBITMAP SHLoadDIBitmap(LPCWSTR file);
// IMAGE_BITMAP or IMAGE_ICON, from a file with LR_LOADFROMFILE or else from the module's
// resources; cx, cy scale the image when not 0 (within the same pixel limit).
HANDLE LoadImageW(HINSTANCE module, LPCWSTR name, UINT type, int cx, int cy, UINT flags);
HBITMAP LoadBitmapW(HINSTANCE module, LPCWSTR name);
HICON LoadIconW(HINSTANCE module, LPCWSTR name);

namespace ce::gdi {

// A PNG or BMP file image in memory as a bitmap (null when malformed or over the pixel limit).
HBITMAP BitmapFromImageData(const unsigned char* data, std::size_t size);
// The same image as an icon (PNG transparency kept; BMP opaque).
HICON IconFromImageData(const unsigned char* data, std::size_t size);

// Where resource images come from: the bytes of a PNG or BMP file for (module, name, type), or
// nothing. Installed by the resource area; without it resource loads fail with
// ERROR_RESOURCE_NAME_NOT_FOUND.
using ResourceImageSource = std::function<std::optional<std::vector<unsigned char>>(HINSTANCE, LPCWSTR, UINT)>;
void SetResourceImageSource(ResourceImageSource source);

}  // namespace ce::gdi
