// Marks of points: the position marker, icon marks, thermal and wave marks, task point labels and
// the symbol of a user waypoint.
#pragma once

#include <cstdint>

#include "cumulor/app/base/geo_point.h"
#include "platform/gdi/gdi.h"

namespace cumulor {

struct MapView;
struct TaskPoint;

// A cross of strokes and a circle of the view's symbol size; blue when highlighted, else black;
// with a name, "M:<name>" in grey beside it.
void MapDrawMarker(MapView& view, HDC dc, const GeoPoint& position, bool highlight, const char* name);
// A circle of radius 25 in green, a 16 x 16 icon centred on the point and a text beside it.
void MapDrawIconMark(MapView& view, HDC dc, const GeoPoint& position, HICON icon, const WCHAR* text);
// A 32 x 32 icon at (x - 16, y - 22); its rectangle in `out` when asked.
void MapDrawPointIcon(MapView& view, HDC dc, const GeoPoint& position, HICON icon, RECT* out);
// A thermal database record: a wave (type 2) with a valid end point is a line from its drifted
// position to the end; anything else a plus mark at the drifted position with a line to its source.
void MapDrawThermalMark(MapView& view, HDC dc, std::int32_t type, const GeoPoint& source, const GeoPoint& drifted,
                        const GeoPoint& waveEnd);

// Receives the label of a task point drawn by MapDrawPointLabel: the point and its square.
using MapLabelSink = void (*)(void* context, const TaskPoint& point, const RECT& square);
// For an area point (maximum radius not 0): the marker with `name`; with the view's labels flag the
// label is handed to `sink` (may be null).
void MapDrawPointLabel(MapView& view, HDC dc, const TaskPoint& point, const char* name, bool highlight,
                       MapLabelSink sink, void* context);

// The square a point symbol at screen point `c` takes (mark and disc), which labels keep clear of.
RECT MapPointSymbolRect(const MapView& view, POINT c);

// The symbol of a user waypoint: flag word bit 0 a circle (with the range ring where allowed), bits 1
// and 3 a vertical stroke; mode 2 (within reach) a green disc and a boxed label. The rectangle the
// label (or the symbol) takes is returned in `out`. With the frame's label places the label goes
// beside the symbol where it meets no other label or symbol, and is left out when there is no such
// place.
void MapDrawPointSymbol(MapView& view, HDC dc, const GeoPoint& position, std::uint32_t flags, std::int32_t scale,
                        const WCHAR* label, RECT* out, int mode);

}  // namespace cumulor
