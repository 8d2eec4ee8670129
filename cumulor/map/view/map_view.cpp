#include "cumulor/map/view/map_view.h"

#include <cmath>

#include "platform/gdi/gdi.h"

namespace cumulor {

void MapInit(MapView& view) { view = MapView{}; }

void MapTerm(MapView& view) { view.popup = MapPopup{}; }

void MapSetScreenRect(MapView& view, const RECT& screen) { view.screen = screen; }

void MapSetView(MapView& view, std::int32_t lon, std::int32_t lat, std::int32_t rotation) {
  view.centre = {lon, lat};
  view.rotation = rotation;
  // Half the screen's height spans scale / 2 km at 240 pixels; widths follow the screen's shape.
  const double height = view.screen.bottom - view.screen.top;
  const double width = view.screen.right - view.screen.left;
  const double kmPerPixel = view.scaleKm / 240.0;
  const double unitsPerKm = kGeoUnitsPerDegree / 111.2;
  const double halfLat = height / 2 * kmPerPixel * unitsPerKm;
  const double cosLat = std::cos(lat / double(kGeoUnitsPerDegree) * M_PI / 180.0);
  const double halfLon = width / 2 * kmPerPixel * unitsPerKm / (cosLat > 0.01 ? cosLat : 0.01);
  auto clamp = [](double v) {
    return static_cast<std::int32_t>(v > 2e9 ? 2e9 : v < -2e9 ? -2e9 : v);
  };
  view.view = {clamp(lon - halfLon), clamp(lat + halfLat), clamp(lon + halfLon), clamp(lat - halfLat)};
}

void MapSetScale(MapView& view, double km) { view.scaleKm = km; }

void MapSetRegion(MapView& view, const GeoRect& region, const GeoPoint& centre) {
  view.region = region;
  view.regionCentre = centre;
}

void MapSetPopupTarget(MapView& view, const MapPopup& popup) {
  view.popup = popup;
  if (popup.kind == kPopupStatusLine) view.popup.x = 0;
}

void MapDrawPointPopup(MapView& view, HDC dc, HFONT font) {
  const MapPopup& p = view.popup;
  if (!dc || !p.text || !p.text[0]) return;
  RECT box{view.screen.left + 5, view.screen.top + 50, view.screen.right - 5, view.screen.bottom - 30};
  view.popupBox = box;
  HBRUSH fill = CreateSolidBrush(RGB(0xDF, 0xDF, 0xDF));
  HGDIOBJ oldBrush = SelectObject(dc, fill);
  HGDIOBJ oldPen = SelectObject(dc, GetStockObject(BLACK_PEN));
  RoundRect(dc, box.left, box.top - 3, box.right, box.bottom + 3, 10, 10);
  SelectObject(dc, oldPen);
  SelectObject(dc, oldBrush);
  DeleteObject(fill);
  HGDIOBJ oldFont = font ? SelectObject(dc, font) : nullptr;
  const int oldMode = SetBkMode(dc, TRANSPARENT);
  // Word-broken text centred vertically: measure it, then place it in the middle of the box.
  RECT measure = box;
  const int height = DrawTextW(dc, p.text, -1, &measure, DT_CENTER | DT_WORDBREAK | DT_CALCRECT);
  RECT text = box;
  text.top = box.top + ((box.bottom - box.top) - height) / 2;
  DrawTextW(dc, p.text, -1, &text, DT_CENTER | DT_WORDBREAK);
  SetBkMode(dc, oldMode);
  if (font) SelectObject(dc, oldFont);
}

}  // namespace cumulor
