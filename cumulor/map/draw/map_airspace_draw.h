// An airspace polygon with its labels.
#pragma once

#include <cstdint>

#include "platform/gdi/gdi.h"

namespace cumulor {

struct MapView;
struct AirspaceShape;

inline constexpr int kAirspaceOutlineOnlyClass = 14;

// Projects at most 2100 of the shape's points and fills them with the DC's brush and raster
// operation (the frame renderer fills patterned classes in XOR mode); class 14 is only outlined,
// and with `outline` every other class is outlined again in copy mode. A shape switched off for
// the day is drawn hollow in grey; `thick` selects the 2-pixel black pen. With `labels` the name is
// centred on each label point (or on the middle of the bounds) and the label rectangles and count
// are stored in the shape. A shape without points draws nothing.
void MapDrawLabelledPolygon(MapView& view, HDC dc, int classNumber, AirspaceShape& shape, bool labels, bool outline,
                            bool thick);

}  // namespace cumulor
