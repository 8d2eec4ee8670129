// Airports on the map: the disc, the icon or the runways (as lines or true-width polygons) by
// scale, and the name label.
#pragma once

#include <cstdint>
#include <functional>

#include "cumulor/data/points/aero_records.h"
#include "cumulor/map/view/map_view.h"
#include "platform/gdi/gdi.h"

namespace cumulor {

struct AirportSymbolStyle {
  bool noDisc = false;                 // the map's no-disc option
  bool highlight = false;              // the map's highlight option (green label boxes)
  HFONT labelFont = nullptr;           // font role 1
  HFONT boxFont = nullptr;             // font role 0
  // Draws icon n of the point image list with its top left corner at (x, y).
  std::function<void(HDC, std::int32_t icon, int x, int y)> drawIcon;
  std::int32_t windDirection = 0;      // degrees, from
  double windSpeed = 0;
};

// The icon of an airport at a map rotation (eighths of a turn): the runway-direction icon turned
// with the map when the airport has one, else icon 5.
std::int32_t AirportIconFor(std::uint32_t flags, std::int32_t rotation);

// The square the airport's icon and disc take around its screen point, which labels keep clear of.
RECT AirportSymbolRect(POINT at);

// Draws the airport; label receives the rectangle of its name label. With the frame's label
// places the name goes beside the airport where it meets no other label or symbol, and is left
// out when there is no such place.
void DrawAirportSymbol(AirportRecord& airport, HDC dc, const MapView& view, std::int32_t zoomScale,
                       const WCHAR* name, RECT& label, std::int32_t rotation, std::int32_t discMode, bool runwaysOnly,
                       const AirportSymbolStyle& style);

// Each designator centred on a point `distance` metres beyond its end along the runway; highlight
// 1 or 2 frames that end's designator.
void DrawRunwayEnds(const RunwayRecord& runway, HDC dc, const MapView& view, double course, std::uint32_t distance,
                    std::int32_t highlight);
// The runway as a polygon of its true width (given in feet).
void DrawRunwayPolygon(const RunwayRecord& runway, HDC dc, const MapView& view, std::int32_t zoomScale);

}  // namespace cumulor
