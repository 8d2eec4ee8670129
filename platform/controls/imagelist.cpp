// Image lists: equal-sized images (bitmaps with a key colour, or icons) drawn by index.
#include <algorithm>
#include <memory>
#include <mutex>
#include <set>
#include <vector>

#include "platform/controls/control_base.h"

namespace ce::controls {
namespace {

struct Image {
  HBITMAP bitmap = nullptr;  // cx x cy, 32 bits
  bool keyed = false;
  COLORREF key = 0;
  HICON icon = nullptr;      // when the image came from an icon
};

struct ImageList {
  int cx = 16, cy = 16;
  UINT flags = 0;
  COLORREF background = CLR_NONE;
  std::vector<Image> images;
};

std::recursive_mutex& Mutex() {
  static std::recursive_mutex m;
  return m;
}
std::set<ImageList*>& Lists() {
  static std::set<ImageList*> lists;
  return lists;
}

ImageList* Get(HIMAGELIST h) {
  auto* l = reinterpret_cast<ImageList*>(h);
  return Lists().count(l) ? l : nullptr;
}

void FreeImage(Image& i) {
  if (i.bitmap) DeleteObject(i.bitmap);
  if (i.icon) DestroyIcon(i.icon);
}

// Cuts the strip into images of the list's width; answers the index of the first.
int AddStrip(ImageList& l, HBITMAP strip, bool keyed, COLORREF key) {
  BITMAP bm{};
  if (!strip || !GetObjectW(strip, sizeof bm, &bm)) return -1;
  int count = std::max(1, static_cast<int>(bm.bmWidth) / l.cx);
  HDC src = CreateCompatibleDC(nullptr), dst = CreateCompatibleDC(nullptr);
  HGDIOBJ old_src = SelectObject(src, strip);
  int first = static_cast<int>(l.images.size());
  for (int k = 0; k < count; ++k) {
    Image img;
    img.bitmap = CreateBitmap(l.cx, l.cy, 1, 32, nullptr);
    HGDIOBJ old = SelectObject(dst, img.bitmap);
    BitBlt(dst, 0, 0, l.cx, l.cy, src, k * l.cx, 0, SRCCOPY);
    SelectObject(dst, old);
    img.keyed = keyed;
    img.key = key;
    l.images.push_back(img);
  }
  SelectObject(src, old_src);
  DeleteDC(src);
  DeleteDC(dst);
  return first;
}

}  // namespace
}  // namespace ce::controls

using namespace ce::controls;

HIMAGELIST ImageList_Create(int cx, int cy, UINT flags, int initial, int grow) {
  (void)initial, (void)grow;
  if (cx <= 0 || cy <= 0) return nullptr;
  std::lock_guard<std::recursive_mutex> lock(Mutex());
  auto* l = new ImageList;
  l->cx = cx;
  l->cy = cy;
  l->flags = flags;
  Lists().insert(l);
  return reinterpret_cast<HIMAGELIST>(l);
}

BOOL ImageList_Destroy(HIMAGELIST list) {
  std::lock_guard<std::recursive_mutex> lock(Mutex());
  ImageList* l = Get(list);
  if (!l) return FALSE;
  for (auto& i : l->images) FreeImage(i);
  Lists().erase(l);
  delete l;
  return TRUE;
}

int ImageList_Add(HIMAGELIST list, HBITMAP image, HBITMAP mask) {
  std::lock_guard<std::recursive_mutex> lock(Mutex());
  ImageList* l = Get(list);
  if (!l) return -1;
  // A mask marks the transparent pixels white; the colour image is black there, so black is the key.
  return AddStrip(*l, image, mask != nullptr && (l->flags & ILC_MASK), RGB(0, 0, 0));
}

int ImageList_AddMasked(HIMAGELIST list, HBITMAP image, COLORREF mask_color) {
  std::lock_guard<std::recursive_mutex> lock(Mutex());
  ImageList* l = Get(list);
  if (!l) return -1;
  return AddStrip(*l, image, true, mask_color);
}

int ImageList_ReplaceIcon(HIMAGELIST list, int index, HICON icon) {
  std::lock_guard<std::recursive_mutex> lock(Mutex());
  ImageList* l = Get(list);
  if (!l || !icon) return -1;
  ICONINFO info{};
  if (!GetIconInfo(icon, &info)) return -1;
  // Keep an icon of our own: the caller may destroy theirs.
  Image img;
  img.icon = CreateIconIndirect(&info);
  if (info.hbmColor) DeleteObject(info.hbmColor);
  if (info.hbmMask) DeleteObject(info.hbmMask);
  if (!img.icon) return -1;
  if (index == -1) {
    l->images.push_back(img);
    return static_cast<int>(l->images.size()) - 1;
  }
  if (index < 0 || index >= static_cast<int>(l->images.size())) {
    DestroyIcon(img.icon);
    return -1;
  }
  FreeImage(l->images[static_cast<std::size_t>(index)]);
  l->images[static_cast<std::size_t>(index)] = img;
  return index;
}

BOOL ImageList_Remove(HIMAGELIST list, int index) {
  std::lock_guard<std::recursive_mutex> lock(Mutex());
  ImageList* l = Get(list);
  if (!l) return FALSE;
  if (index == -1) {
    for (auto& i : l->images) FreeImage(i);
    l->images.clear();
    return TRUE;
  }
  if (index < 0 || index >= static_cast<int>(l->images.size())) return FALSE;
  FreeImage(l->images[static_cast<std::size_t>(index)]);
  l->images.erase(l->images.begin() + index);
  return TRUE;
}

int ImageList_GetImageCount(HIMAGELIST list) {
  std::lock_guard<std::recursive_mutex> lock(Mutex());
  ImageList* l = Get(list);
  return l ? static_cast<int>(l->images.size()) : 0;
}

BOOL ImageList_GetIconSize(HIMAGELIST list, int* cx, int* cy) {
  std::lock_guard<std::recursive_mutex> lock(Mutex());
  ImageList* l = Get(list);
  if (!l || !cx || !cy) return FALSE;
  *cx = l->cx;
  *cy = l->cy;
  return TRUE;
}

COLORREF ImageList_SetBkColor(HIMAGELIST list, COLORREF color) {
  std::lock_guard<std::recursive_mutex> lock(Mutex());
  ImageList* l = Get(list);
  if (!l) return CLR_NONE;
  COLORREF old = l->background;
  l->background = color;
  return old;
}

BOOL ImageList_Draw(HIMAGELIST list, int index, HDC hdc, int x, int y, UINT style) {
  (void)style;
  std::lock_guard<std::recursive_mutex> lock(Mutex());
  ImageList* l = Get(list);
  if (!l || index < 0 || index >= static_cast<int>(l->images.size())) return FALSE;
  const Image& img = l->images[static_cast<std::size_t>(index)];
  if (l->background != CLR_NONE && l->background != CLR_DEFAULT) Fill(hdc, RECT{x, y, x + l->cx, y + l->cy}, l->background);
  if (img.icon) return DrawIconEx(hdc, x, y, img.icon, l->cx, l->cy, 0, nullptr, DI_NORMAL);
  HDC mem = CreateCompatibleDC(hdc);
  HGDIOBJ old = SelectObject(mem, img.bitmap);
  BOOL ok = img.keyed ? TransparentBlt(hdc, x, y, l->cx, l->cy, mem, 0, 0, l->cx, l->cy, img.key)
                      : BitBlt(hdc, x, y, l->cx, l->cy, mem, 0, 0, SRCCOPY);
  SelectObject(mem, old);
  DeleteDC(mem);
  return ok;
}
