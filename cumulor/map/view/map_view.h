// MapView: the projection and drawing record of the moving map.
//
// Positions in GeoPoint units are shifted to the region's south-west corner, scaled by two factors
// in pixels per 10000 units (the east-west one carries cos(latitude)), turned about the map centre
// by a sine and cosine times 1000 and placed so that the centre falls at the middle of the screen
// width and at the vertical centre fraction of its height. Every product is computed in 64 bits:
// the results equal those of 32-bit arithmetic wherever that did not wrap, and stay right for
// regions of any width. Screen points handed to drawing are clamped to +-kMapCoordLimit.
//
// The view is used under the application's main lock only; it has no lock of its own.
#pragma once

#include <cstddef>
#include <cstdint>

#include "cumulor/app/base/geo_point.h"
#include "platform/gdi/gdi.h"

namespace cumulor {

struct LabelPlacer;

inline constexpr std::int32_t kMapWorldLon = 6480000;  // 180 degrees
inline constexpr std::int32_t kMapWorldLat = 3240000;  // 90 degrees
inline constexpr std::int32_t kMapPointBufferSize = 2100;
inline constexpr std::int32_t kMapCoordLimit = 1 << 28;  // screen coordinates handed to drawing

// The point popup: kind 1 enable/disable button, 2 go-to and task buttons, 3 a status text (the
// status line) in the default box, others no button. `shown` is the record's first word; `kind`
// its second; `x` its fifth (0: the default box).
struct MapPopup {
  std::int32_t shown = 0;
  std::int32_t kind = 0;
  std::int32_t pointKind = 0;          // the point the popup is about
  std::int32_t pointIndex = 0;
  std::int32_t x = 0;
  std::int32_t y = 0;
  std::int32_t width = 0;              // in characters
  std::int32_t lines = 0;
  RECT buttons[3] = {};                // hit rectangles of the buttons drawn
  std::int32_t state = 0;              // kind 1: 1 shows "Enable"; kind 2: 3 shows "GoTo"
  const WCHAR* text = nullptr;         // line-feed separated lines; may be null
};

inline constexpr std::int32_t kPopupStatusLine = 3;

// The text metrics MapMeasureFont takes.
struct MapFontMetrics {
  std::int32_t labelCharWidth = 6;
  std::int32_t labelHeight = 11;
  std::int32_t popupCharWidth = 7;
  std::int32_t popupHeight = 13;
};

struct MapView {
  HDC dc = nullptr;                    // the back buffer the frame is drawn into
  HWND window = nullptr;

  GeoRect region;
  GeoRect regionCopy;
  std::int32_t originOffsetX = 0;      // -west
  std::int32_t originOffsetY = 0;      // -south
  std::int32_t centreX = 0;            // the centre in scaled units
  std::int32_t centreY = 0;
  float centreFraction = 2.0f / 3.0f;  // vertical place of the centre, from the top
  std::int32_t rotation = 0;
  std::int32_t sine = 0;               // x 1000
  std::int32_t cosine = 1000;
  std::int32_t shiftY = 0;
  std::int32_t shiftX = 0;
  std::int32_t cosLatFactor = 10000;   // cos(centre latitude) x 10000
  std::int32_t scale = 0;
  double arcStep = 0.0;                // radians
  std::int32_t gridOriginX = 0;
  std::int32_t gridOriginY = 0;
  GeoRect view;                        // the visible world box
  std::int32_t screenWidth = 0;
  std::int32_t screenHeight = 0;
  RECT screen = {};
  std::int32_t screenExtent = 0;
  MapFontMetrics metrics;

  POINT points[kMapPointBufferSize] = {};  // arcs and polygons
  std::int32_t pointCount = 0;

  std::int32_t panX = 0;               // GeoPoint units added to the centre
  std::int32_t panY = 0;

  HPEN blackPen1 = nullptr;
  HPEN blackPen2 = nullptr;
  HPEN blackPen4 = nullptr;
  HPEN greyPen1 = nullptr;
  HBRUSH blackBrush = nullptr;
  HBRUSH lightGreyBrush = nullptr;
  HBRUSH whiteBrush = nullptr;
  HBRUSH hollowBrush = nullptr;

  POINT* polyline = nullptr;           // grown by MapDrawPolyline
  std::int32_t polylineCapacity = 0;

  std::int32_t firstDistance = 2000;   // metres
  std::int32_t ringDistance = 500;     // metres: the drawn range ring
  std::int32_t angleLimit = 360;       // the point symbols draw their ring only while this is 360
  // Display switches of the map (bit 4: airspace labels by their short name); setting up the point
  // image list switches bits 0, 3, 5 and 6 on.
  std::uint32_t displayFlags = 0;
  std::int32_t ringRadius = 0;         // pixels

  // Style (MapSetStyle).
  std::int32_t detail = 0;
  std::int32_t labels = 0;
  std::int32_t ring = 0;
  std::int32_t labelLen = 0;
  HFONT mapFont0 = nullptr;
  HFONT mapFont1 = nullptr;
  std::int32_t smallMarker = 6;
  std::int32_t largeMarker = 7;
  std::int32_t symbolSize = 25;
  std::int32_t colourScreen = 1;
  std::int32_t largeScreen = 0;
  const WCHAR* altitudeUnit = nullptr;

  std::int32_t altitudeStalk = 0;      // the aircraft stands on a line of (altitude - base) / 60 px
  std::int32_t stalkBase = 0;
  std::int32_t versionFlag = 0;        // major version >= 2 and minor version >= 11

  MapPopup popup;
  RECT popupBox = {};                  // the popup's box as last drawn, for the pen's hit test

  // The frame's label places (set by the frame for its drawing): labels drawn with it go where
  // they meet no other text or symbol and stay on the screen. Null: labels at their own places.
  LabelPlacer* labelPlacer = nullptr;

  std::int32_t yFactor = 0;            // pixels per 10000 units north-south
  std::int32_t xFactor = 0;            // pixels per 10000 units east-west
};

void MapInit(MapView& view);
void MapTerm(MapView& view);
void MapSetScreenRect(MapView& view, const RECT& rect);
// Stores the window and the metrics of font roles 12 and 13 measured on its DC.
void MapMeasureFont(MapView& view, int ignored, HWND window);
// The view has no reference to the application record, so its colour-screen flag comes here too.
void MapSetStyle(MapView& view, int detail, int labels, int ring, int labelLen, const WCHAR* altitudeUnit,
                 int largeScreen, int colourScreen = 1);
void MapSetRegion(MapView& view, const GeoRect& region, const GeoPoint& centre);
// s: 240 pixels span s kilometres north-south. A scale of 0 or below is refused (nothing changes).
void MapSetScale(MapView& view, std::int32_t s);
void MapProjectDistance(MapView& view, std::int32_t firstDistance, std::int32_t ringDistance);
void MapSetView(MapView& view, std::int32_t lon, std::int32_t lat, std::int32_t rotation);
void MapSetViewCentred(MapView& view, std::int32_t lon, std::int32_t lat, std::int32_t rotation, const RECT& rect);
void MapWorldToScreen(const MapView& view, POINT& out, const GeoPoint& position);
// Whether a drawing through these screen points can leave a pixel in `area` (a part of the screen):
// false when their bounding box, grown by `margin` pixels (pen width, marks), lies wholly beyond it.
bool MapPointsReach(const RECT& area, const POINT* points, std::size_t count, LONG margin);
// 1, or 0 (out untouched) while either scale factor is 0.
int MapScreenToWorld(const MapView& view, GeoPoint& out, const POINT& screen);
void MapPanByPixels(MapView& view, std::int32_t dx, std::int32_t dy);
// Copies the record; a kind-3 record loses its x so that it is shown in the default box.
void MapSetPopupTarget(MapView& view, const MapPopup& record);

// Radius in pixels of a distance in metres at the current scale.
std::int32_t MapMetresToPixels(const MapView& view, std::int64_t metres);

}  // namespace cumulor
