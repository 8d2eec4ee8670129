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
// The labels alone (the label rectangles and count stored in the shape), drawn where the frame's
// label places allow when the view has them: the frame draws every area first and then the
// labels, so that no area is filled over another's label.
void MapDrawAirspaceLabels(MapView& view, HDC dc, AirspaceShape& shape);

}  // namespace cumulor
