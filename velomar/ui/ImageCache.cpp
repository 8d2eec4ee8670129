// The process-wide image caches of the buttons (UI thread only): file name -> bitmap, and
// (file name, size) -> resized bitmap. Entries are never removed; their bitmaps live until the
// program ends.
#include <vector>

#include "platform/gdi/gdi.h"
#include "teskautils/TeskaUtils.h"
#include "velomar/core/Config.h"
#include "velomar/ui/ButtonOwnDrawImage.h"
#include "velomar/ui/ImageCacheSeam.h"
#include "velomar/ui/ShellCalls.h"
#include "velomar/ui/Skin.h"

namespace {

struct FileCache {
  std::vector<std::u16string> names;
  std::vector<HBITMAP> bitmaps;
};
FileCache& Files() {
  static FileCache cache;
  return cache;
}
std::vector<CBitmapCacheEntry>& Scaled() {
  static std::vector<CBitmapCacheEntry> cache;
  return cache;
}
int g_fileLoads = 0;

HBITMAP LoadFile(const std::u16string& path) {
  ++g_fileLoads;
  return velomar::ui::ShellLoadImageFile(path.c_str());
}

}  // namespace

HBITMAP CButtonOwnDrawImage::LoadImage(const std::u16string& file) {
  FileCache& cache = Files();
  for (std::size_t i = 0; i < cache.names.size(); ++i) {
    if (cache.names[i] == file) return cache.bitmaps[i];
  }
  const std::u16string folder = CSkin::CurrentThemeFolder();
  HBITMAP bitmap = LoadFile(folder + file);
  if (!bitmap) bitmap = LoadFile(folder + u"question.png");
  // The fallback (or 0) is kept under the requested name: the file is not looked for again.
  cache.names.push_back(file);
  cache.bitmaps.push_back(bitmap);
  return bitmap;
}

HBITMAP CButtonOwnDrawImage::GetImage(const std::u16string& file, int cx, int cy) {
  std::vector<CBitmapCacheEntry>& scaled = Scaled();
  const CBitmapCacheEntry wanted(nullptr, cx, cy, file);
  for (const CBitmapCacheEntry& entry : scaled) {
    if (entry == wanted) return entry.m_bitmap;
  }
  HBITMAP loaded = LoadImage(file);
  BITMAP info{};
  if (!loaded || GetObjectW(loaded, sizeof(info), &info) == 0) return loaded;
  if ((info.bmWidth == cx && info.bmHeight == cy) || cx <= 0 || cy <= 0) return loaded;
  HBITMAP resized = CreateBitmap(cx, cy, info.bmPlanes, info.bmBitsPixel, nullptr);
  if (!resized) return loaded;
  HDC screen = GetDC(nullptr);
  HDC src = CreateCompatibleDC(screen);
  HDC dst = CreateCompatibleDC(screen);
  HGDIOBJ old_src = SelectObject(src, loaded);
  HGDIOBJ old_dst = SelectObject(dst, resized);
  StretchBlt(dst, 0, 0, cx, cy, src, 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
  SelectObject(src, old_src);
  SelectObject(dst, old_dst);
  DeleteDC(src);
  DeleteDC(dst);
  ReleaseDC(nullptr, screen);
  scaled.emplace_back(resized, cx, cy, file);
  return resized;
}

namespace velomar::seam {
int ImageFileLoads() { return g_fileLoads; }
std::size_t ScaledImageCount() { return Scaled().size(); }
void ClearImageCaches() {
  FileCache& cache = Files();
  for (HBITMAP bitmap : cache.bitmaps) {
    if (bitmap) DeleteObject(bitmap);
  }
  cache.names.clear();
  cache.bitmaps.clear();
  for (const CBitmapCacheEntry& entry : Scaled()) DeleteObject(entry.m_bitmap);
  Scaled().clear();
  g_fileLoads = 0;
}
}  // namespace velomar::seam
