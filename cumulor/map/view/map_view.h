// MapView: the map projection and drawing state of the application record. So far what the
// application core sets and reads: centre, rotation, scale, region, pan offsets, the visible world
// box, the screen rectangle and the point popup (whose kind 3 is the status line). Projection and
// the drawing primitives come with the map's own module.
#pragma once

#include <cstdint>

#include "cumulor/app/base/geo_point.h"
#include "platform/base/types.h"

namespace cumulor {

// {left, top, right, bottom} in 0.1 arc-second; top is the northern edge.
struct GeoRect {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t right = 0;
  std::int32_t bottom = 0;
};

inline bool GeoRectEmpty(const GeoRect& r) { return r.left == r.right && r.top == r.bottom; }

// The point popup; kind 3 with a text is the status line.
struct MapPopup {
  std::int32_t kind = 0;
  std::int32_t x = 0;          // 0: the default box
  std::int32_t y = 0;
  std::int32_t width = 0;      // in characters
  std::int32_t lines = 0;
  const WCHAR* text = nullptr;
};

inline constexpr std::int32_t kPopupStatusLine = 3;

struct MapView {
  HDC dc = nullptr;            // the back buffer's device context, when one exists
  GeoPoint centre;
  std::int32_t rotation = 0;   // degrees
  double scaleKm = 0.0;        // 240 pixels span this many kilometres north-south
  GeoRect region;
  GeoPoint regionCentre;
  std::int32_t panX = 0;
  std::int32_t panY = 0;
  GeoRect view;                // the visible world box
  RECT screen{0, 0, 240, 320};
  MapPopup popup;
  RECT popupBox{};             // where the popup was drawn last
};

void MapInit(MapView& view);
void MapTerm(MapView& view);
void MapSetScreenRect(MapView& view, const RECT& screen);
// Centre and rotation; the visible box follows from the scale and the screen's size.
void MapSetView(MapView& view, std::int32_t lon, std::int32_t lat, std::int32_t rotation);
void MapSetScale(MapView& view, double km);
void MapSetRegion(MapView& view, const GeoRect& region, const GeoPoint& centre);
// Copies the record; a kind-3 record uses the default box (its x is cleared).
void MapSetPopupTarget(MapView& view, const MapPopup& popup);
// Draws the popup: the default box is the screen rectangle inset by 5 left and right, 50 at the
// top and 30 at the bottom; a light grey rounded box with a black frame and the text centred with
// word breaks in `font` (none: the DC's). Nothing for an empty text.
void MapDrawPointPopup(MapView& view, HDC dc, HFONT font);

}  // namespace cumulor
