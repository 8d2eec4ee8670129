// Screen overlays of the map: background, scale bar, the point popup and the "RESTORE" button.
#pragma once

#include <cstdint>

#include "platform/gdi/gdi.h"

namespace cumulor {

struct MapView;

inline constexpr std::int32_t kDistanceUnitKm = 5;

// Fills the screen rectangle with the view's white brush.
void MapFillBackground(MapView& view, HDC dc);
// The scale bar of one of the twelve zoom scales in the top-right corner of `rect`, in kilometres
// (unit 5) or statute miles (any other unit). Other scales draw nothing. False when nothing drawn.
bool MapDrawScaleBar(MapView& view, HDC dc, std::int32_t scale, const RECT& rect, std::int32_t distanceUnit);
// The bar's length in pixels and its text for a scale and unit; false for a scale without a bar.
bool MapScaleBarStep(std::int32_t scale, std::int32_t distanceUnit, std::int32_t* pixels, const WCHAR** text);
// Light grey, a raised edge and "RESTORE" centred.
void MapDrawRestoreButton(MapView& view, HDC dc, const RECT& rect);
// The popup of the view's popup record: its box (stored in view.popupBox), text and buttons (hit
// rectangles stored in the record).
void MapDrawPointPopup(MapView& view, HDC dc);

}  // namespace cumulor
