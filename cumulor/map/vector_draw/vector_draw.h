// Drawing the vector map's objects: lines and areas with the pens and brushes of their category,
// contour areas in the terrain colours, and named places and spot heights with their labels.
#pragma once

#include <cstdint>
#include <vector>

#include "cumulor/data/kv3/map_objects.h"
#include "cumulor/data/vector/contour_settings.h"
#include "cumulor/data/vector/vector_store.h"
#include "cumulor/map/view/map_view.h"
#include "platform/gdi/gdi.h"

namespace cumulor {

// Which of the objects a drawing takes: all, the lines and areas only (the background), or the
// point objects only (places, spot heights and named points with their labels).
enum class VectorPart { kAll, kShapes, kPoints };

// What an object's drawing reads besides the view.
struct VectorDrawContext {
  VectorPart part = VectorPart::kAll;
  ContourSettings contours;        // terrain colouring of contour areas (categories 10 and 11)
  std::int32_t altitudeUnit = 1;   // 2: spot heights in feet, else metres
  std::vector<POINT> points;       // the screen point buffer, grown as needed
  // Objects whose drawing cannot reach the screen are passed over. A label is taken to reach at
  // most `labelWidth` pixels right of its point and `labelHeight` above and below its box.
  LONG labelWidth = 2048;
  LONG labelHeight = 256;
};

// Draws one object (point, line or area) of the context's part and puts back the pen, brush, font
// and text colour. With the view's label places a point object is drawn only where its label has a
// free place wholly on the screen (beside it on the right, the left, above or below) and its point
// meets nothing taken, else not at all.
void DrawMapObject(const MapView& view, HDC dc, const kv3::MapObject& object, VectorDrawContext& context);

// Under the store's lock draws each draw-list object whose threshold is at least the zoom value,
// in list order, with the store's terrain colouring; objects wholly beyond the screen draw nothing.
void DrawVectorLayers(VectorMapStore& store, std::int32_t zoomValue, const MapView& view, HDC dc,
                      std::int32_t altitudeUnit, VectorPart part = VectorPart::kAll);

}  // namespace cumulor
