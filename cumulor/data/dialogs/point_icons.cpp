#include "cumulor/data/dialogs/point_icons.h"

#include "cumulor/data/points/point_db.h"
#include "platform/gdi/gdi.h"
#include "platform/gdi/images.h"

namespace cumulor {
namespace {

// Icon resources in image-list order.
constexpr int kIconIds[kPointImageCount] = {164, 163, 174, 165, 176, 188, 209, 180, 181, 182, 183, 184, 185, 186, 187};
constexpr std::uint32_t kIconDisplayBits = 0x1 | 0x8 | 0x20 | 0x40;

HIMAGELIST g_list = nullptr;

}  // namespace

HIMAGELIST CreateIconImageList(HINSTANCE module, const int* ids, int count, int size) {
  HIMAGELIST list = ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, count, 0);
  if (!list) return nullptr;
  for (int i = 0; i < count; ++i) {
    HICON icon = static_cast<HICON>(LoadImageW(module, MAKEINTRESOURCEW(ids[i]), IMAGE_ICON, size, size, 0));
    if (icon) {
      ImageList_AddIcon(list, icon);
      DestroyIcon(icon);
    } else {
      // A blank (all transparent) image keeps the following icons at their index.
      HBITMAP empty = CreateBitmap(size, size, 1, 32, nullptr);
      ImageList_AddMasked(list, empty, RGB(0, 0, 0));
      if (empty) DeleteObject(empty);
    }
  }
  return list;
}

HIMAGELIST CreateWaypointImageList(HINSTANCE module) {
  return CreateIconImageList(module, kIconIds, kPointImageCount, 16);
}

void InitWaypointIcons(HINSTANCE module, std::uint32_t& displayFlags) {
  if (!g_list) g_list = CreateWaypointImageList(module);
  displayFlags |= kIconDisplayBits;
}

HIMAGELIST WaypointImageList() { return g_list; }

void FreeWaypointIcons() {
  if (g_list) ImageList_Destroy(g_list);
  g_list = nullptr;
}

void DrawPointIcon(HDC dc, std::int32_t n, int x, int y) {
  if (!g_list || n < 0 || n >= ImageList_GetImageCount(g_list)) return;
  ImageList_Draw(g_list, n, dc, x, y, ILD_TRANSPARENT);
}

std::int32_t PointKindImage(std::int32_t kind) {
  switch (kind) {
    case kPointAirport: return 5;
    case kPointNavaid: return 0;
    case kPointIntersection: return 3;
    case kPointUserWaypoint: return 4;
    default: return -1;
  }
}

}  // namespace cumulor
