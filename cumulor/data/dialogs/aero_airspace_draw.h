// A database airspace on the map: its polygon in the pen of its class and its label.
#pragma once

#include <vector>

#include "cumulor/data/points/aero_records.h"
#include "platform/gdi/gdi.h"

namespace cumulor {

struct MapView;

// The text colour of a database airspace class (black outside 1..14).
COLORREF AeroAirspaceColour(std::int32_t airspaceClass);

// Projects the polygon into `points` (grown to the point count + 50 when short), draws it with the
// DC's brush in the class pen (the 3-pixel black pen when `selected`) and, at a zoom scale of 100
// or below, the label centred on the airspace's centre in a 100 x 20 box stored in `label`; above
// it `label` is emptied. `shortFirst`: the label is the short name, else the long name.
void DrawAeroAirspace(const AeroAirspace& airspace, HDC dc, const MapView& view, std::vector<POINT>& points,
                      std::int32_t zoomScale, RECT& label, bool selected, bool shortFirst);

}  // namespace cumulor
