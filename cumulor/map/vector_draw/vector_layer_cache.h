// The map's background with the vector layers' lines and areas drawn over it, kept as a picture
// between frames. The point objects and their labels are not part of it: the frame places them
// with its other labels (`DrawVectorLayers` with `VectorPart::kPoints`).
//
// A frame whose draw list, zoom value, colouring, fonts, scale, DC state and projection are those
// of the kept picture takes the picture instead of drawing the layers again: the same calls on the
// same background would set the same pixels. Any change draws the whole picture again. (A moved
// picture would not serve: Cairo sets some pixels along edges that cross the screen's border
// otherwise once the drawing is moved.)
#pragma once

#include <cstdint>

#include "cumulor/data/vector/vector_store.h"
#include "cumulor/map/view/map_view.h"
#include "platform/gdi/gdi.h"

namespace cumulor {

class VectorLayerCache {
 public:
  VectorLayerCache() = default;
  ~VectorLayerCache();
  VectorLayerCache(const VectorLayerCache&) = delete;
  VectorLayerCache& operator=(const VectorLayerCache&) = delete;

  // Fills the view's screen in `dc` with the background (`MapFillBackground`) and draws the lines
  // and areas of the store's draw list at the zoom value over it (`DrawVectorLayers`), from the kept picture where
  // it serves. Takes the store's lock.
  void Draw(VectorMapStore& store, std::int32_t zoomValue, MapView& view, HDC dc, std::int32_t altitudeUnit);
  // Frees the picture; the next frame is drawn whole.
  void Clear();

  // What the last Draw did (for tests): the kept picture taken, or the layers drawn whole.
  enum class Use { kWhole, kKept };
  Use LastUse() const { return lastUse_; }

  // Everything but the projection's centre and shifts that the picture's pixels follow.
  struct Key {
    std::uint64_t generation = 0;
    const void* list = nullptr;
    std::size_t listSize = 0;
    std::int32_t zoomValue = 0, altitudeUnit = 0;
    ContourSettings contours;
    HFONT font = nullptr;
    LOGFONTW fontFace{};  // what the font is, not only its handle
    HBRUSH background = nullptr;
    std::int32_t xFactor = 0, yFactor = 0, originOffsetX = 0, originOffsetY = 0;
    std::int32_t rotation = 0, sine = 0, cosine = 0;
    RECT screen{};
    int bkMode = 0, rop2 = 0;
    COLORREF bkColour = 0, textColour = 0;
    UINT textAlign = 0;
  };

 private:
  void DrawWhole(VectorMapStore& store, std::int32_t zoomValue, MapView& view, HDC dc, std::int32_t altitudeUnit);
  bool Ready(HDC dc, int width, int height);
  void Keep(HDC dc, const RECT& screen);

  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ replaced_ = nullptr;
  int width_ = 0, height_ = 0;
  bool valid_ = false;
  Key key_;
  // The projection's centre and shifts of the kept picture.
  std::int32_t centreX_ = 0, centreY_ = 0, shiftX_ = 0, shiftY_ = 0;
  Use lastUse_ = Use::kWhole;
};

}  // namespace cumulor
