// Helpers shared by the map primitives (not part of the map's interface).
#pragma once

#include <string>

#include "cumulor/app/base/geo_point.h"
#include "cumulor/map/view/map_view.h"
#include "platform/gdi/gdi.h"

namespace cumulor::mapdraw {

// Selects objects into a DC and puts the previous ones back when it goes out of scope.
class Selection {
 public:
  explicit Selection(HDC dc) : dc_(dc) {}
  ~Selection() {
    if (pen_) SelectObject(dc_, pen_);
    if (brush_) SelectObject(dc_, brush_);
    if (font_) SelectObject(dc_, font_);
  }
  Selection(const Selection&) = delete;
  Selection& operator=(const Selection&) = delete;
  void Pen(HGDIOBJ pen) { Keep(pen_, SelectObject(dc_, pen)); }
  void Brush(HGDIOBJ brush) { Keep(brush_, SelectObject(dc_, brush)); }
  void Font(HGDIOBJ font) { Keep(font_, SelectObject(dc_, font)); }

 private:
  static void Keep(HGDIOBJ& slot, HGDIOBJ old) {
    if (!slot) slot = old;
  }
  HDC dc_;
  HGDIOBJ pen_ = nullptr;
  HGDIOBJ brush_ = nullptr;
  HGDIOBJ font_ = nullptr;
};

inline POINT Project(const MapView& view, const GeoPoint& p) {
  POINT s{};
  MapWorldToScreen(view, s, p);
  return s;
}

inline void Line(HDC dc, LONG x0, LONG y0, LONG x1, LONG y1) {
  MoveToEx(dc, x0, y0, nullptr);
  LineTo(dc, x1, y1);
}

// Text drawn twice: white one pixel right and down, then in `colour` in place.
inline void ShadowText(HDC dc, const std::u16string& text, RECT box, UINT format, COLORREF colour = 0) {
  const COLORREF old = SetTextColor(dc, 0xFFFFFF);
  RECT shadow{box.left + 1, box.top + 1, box.right + 1, box.bottom + 1};
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &shadow, format);
  SetTextColor(dc, colour);
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &box, format);
  SetTextColor(dc, old);
}

inline LONG Clamp(std::int64_t v) {
  return static_cast<LONG>(v < -kMapCoordLimit ? -kMapCoordLimit : (v > kMapCoordLimit ? kMapCoordLimit : v));
}

}  // namespace cumulor::mapdraw
