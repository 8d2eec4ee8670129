#include "cumulor/map/vector_draw/vector_layer_cache.h"

#include <cstring>
#include <mutex>

#include "cumulor/map/draw/map_overlays.h"
#include "cumulor/map/vector_draw/vector_draw.h"
#include "cumulor/map/view/map_fonts.h"

namespace cumulor {
namespace {

constexpr int kPointFontRole = 11;  // the font of the point objects' labels

VectorLayerCache::Key KeyOf(const VectorMapStore& store, std::int32_t zoomValue, const MapView& view, HDC dc,
                            std::int32_t altitudeUnit) {
  VectorLayerCache::Key k;
  k.generation = store.generation;
  k.list = store.drawList.data();
  k.listSize = store.drawList.size();
  k.zoomValue = zoomValue;
  k.altitudeUnit = altitudeUnit;
  k.contours = store.contours;
  k.font = MapFont(kPointFontRole);
  // A font made again after its settings changed may come back at the freed one's address.
  if (!k.font || GetObjectW(k.font, sizeof k.fontFace, &k.fontFace) != static_cast<int>(sizeof k.fontFace))
    k.fontFace = LOGFONTW{};
  k.background = view.whiteBrush;
  k.xFactor = view.xFactor;
  k.yFactor = view.yFactor;
  k.originOffsetX = view.originOffsetX;
  k.originOffsetY = view.originOffsetY;
  k.rotation = view.rotation;
  k.sine = view.sine;
  k.cosine = view.cosine;
  k.screen = view.screen;
  k.bkMode = GetBkMode(dc);
  k.rop2 = GetROP2(dc);
  k.bkColour = GetBkColor(dc);
  k.textColour = GetTextColor(dc);
  k.textAlign = GetTextAlign(dc);
  return k;
}

bool SameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

bool SameContours(const ContourSettings& a, const ContourSettings& b) {
  return a.word0 == b.word0 && a.offset == b.offset && a.startGroup == b.startGroup && a.step == b.step &&
         a.word4 == b.word4;
}

bool SameKey(const VectorLayerCache::Key& a, const VectorLayerCache::Key& b) {
  return a.generation == b.generation && a.list == b.list && a.listSize == b.listSize && a.zoomValue == b.zoomValue &&
         a.altitudeUnit == b.altitudeUnit && SameContours(a.contours, b.contours) && a.font == b.font &&
         std::memcmp(&a.fontFace, &b.fontFace, sizeof a.fontFace) == 0 &&
         a.background == b.background && a.xFactor == b.xFactor && a.yFactor == b.yFactor &&
         a.originOffsetX == b.originOffsetX && a.originOffsetY == b.originOffsetY && a.rotation == b.rotation &&
         a.sine == b.sine && a.cosine == b.cosine && SameRect(a.screen, b.screen) && a.bkMode == b.bkMode &&
         a.rop2 == b.rop2 && a.bkColour == b.bkColour && a.textColour == b.textColour && a.textAlign == b.textAlign;
}

}  // namespace

VectorLayerCache::~VectorLayerCache() { Clear(); }

void VectorLayerCache::Clear() {
  if (dc_) {
    if (replaced_) SelectObject(dc_, replaced_);
    DeleteDC(dc_);
  }
  if (bitmap_) DeleteObject(bitmap_);
  dc_ = nullptr;
  bitmap_ = nullptr;
  replaced_ = nullptr;
  width_ = height_ = 0;
  valid_ = false;
}

bool VectorLayerCache::Ready(HDC dc, int width, int height) {
  if (dc_ && width_ == width && height_ == height) return true;
  Clear();
  dc_ = CreateCompatibleDC(dc);
  bitmap_ = dc_ ? CreateCompatibleBitmap(dc, width, height) : nullptr;
  if (!bitmap_) {
    Clear();
    return false;
  }
  replaced_ = SelectObject(dc_, bitmap_);
  width_ = width;
  height_ = height;
  return true;
}

void VectorLayerCache::Keep(HDC dc, const RECT& screen) {
  valid_ = BitBlt(dc_, 0, 0, width_, height_, dc, screen.left, screen.top, SRCCOPY) != FALSE;
}

void VectorLayerCache::DrawWhole(VectorMapStore& store, std::int32_t zoomValue, MapView& view, HDC dc,
                                 std::int32_t altitudeUnit) {
  MapFillBackground(view, dc);
  DrawVectorLayers(store, zoomValue, view, dc, altitudeUnit, VectorPart::kShapes);
  lastUse_ = Use::kWhole;
  valid_ = false;
  const RECT& s = view.screen;
  if (s.right > s.left && s.bottom > s.top && Ready(dc, s.right - s.left, s.bottom - s.top)) Keep(dc, s);
}

void VectorLayerCache::Draw(VectorMapStore& store, std::int32_t zoomValue, MapView& view, HDC dc,
                            std::int32_t altitudeUnit) {
  if (!dc) return;
  std::lock_guard<std::recursive_mutex> guard(store.lock);
  const Key key = KeyOf(store, zoomValue, view, dc, altitudeUnit);
  const RECT s = view.screen;
  const int w = s.right - s.left, h = s.bottom - s.top;

  // North up, a screen point is the scaled position plus the shifts; turned, the centre counts too.
  const bool northUp = view.sine == 0 && view.cosine == 1000;
  const bool same = valid_ && w == width_ && h == height_ && SameKey(key, key_) && view.shiftX == shiftX_ &&
                    view.shiftY == shiftY_ && (northUp || (view.centreX == centreX_ && view.centreY == centreY_));
  if (same) {
    BitBlt(dc, s.left, s.top, w, h, dc_, 0, 0, SRCCOPY);
    lastUse_ = Use::kKept;
  } else {
    DrawWhole(store, zoomValue, view, dc, altitudeUnit);
  }
  key_ = key;
  centreX_ = view.centreX;
  centreY_ = view.centreY;
  shiftX_ = view.shiftX;
  shiftY_ = view.shiftY;
}

}  // namespace cumulor
