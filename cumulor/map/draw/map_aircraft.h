// The own aircraft with its wind arrow, a free wind arrow, and the compass.
#pragma once

#include <cstdint>

#include "platform/gdi/gdi.h"

namespace cumulor {

struct MapView;
struct GpsFix;

// A wind: the direction it blows from (degrees) and its speed (km/h).
struct MapWind {
  std::int16_t direction = 0;
  float speed = 0.0f;
};

// The current aircraft symbol turned by `angle` degrees at the fix (on its altitude stalk when the
// view has one), a ring of radius 20 in `ringBrush` when given, and the wind arrow above it with
// its speed (km/h with `unitKmh`, else knots). `screen` receives the symbol's point, `out` the wind
// text box grown by 10 pixels. Leaves the 1-pixel black pen selected.
void MapDrawGlider(MapView& view, HDC dc, double angle, const GpsFix& fix, POINT* screen, const MapWind& wind,
                   bool unitKmh, RECT* out, HBRUSH ringBrush);
// A wind arrow with its speed at `origin`.
void MapDrawWindArrow(MapView& view, HDC dc, POINT origin, const MapWind& wind, bool unitKmh);
// The north arrow turned by `angle` degrees, in the top-left corner.
void MapDrawCompass(MapView& view, HDC dc, double angle);

}  // namespace cumulor
