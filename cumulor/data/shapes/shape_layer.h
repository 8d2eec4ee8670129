// Shape layers: shapefiles read through shapelib into the vector map's objects. A layer's category
// comes from the attribute columns of its table; each point becomes a point object, each part of
// a line or area its own line object with its vertex words. Coordinates are decimal degrees,
// truncated to GeoPoint units. Files are opened by their device path.
#pragma once

#include <cstdint>
#include <vector>

#include "cumulor/app/base/geo_point.h"
#include "cumulor/data/kv3/map_objects.h"
#include "cumulor/data/kv3/whole_file.h"
#include "platform/base/errors.h"
#include "platform/base/types.h"

namespace cumulor {

// Shape types of the shapefile format used here.
inline constexpr std::int32_t kShapePoint = 1;
inline constexpr std::int32_t kShapeArc = 3;
inline constexpr std::int32_t kShapePolygon = 5;

// Degrees to GeoPoint units, truncated toward zero.
std::int32_t DegreesToUnits(double degrees);

// A layer's bounds as a box whose east and north edges lie one unit beyond the truncated maxima.
GeoRect ShapeBoundsBox(double minX, double minY, double maxX, double maxY);

// A line or area object from the vertices of one shape part. E_FAIL for a part without points,
// one whose box does not meet view, or a terrain area (category 11) whose width plus height is
// below 2000 units; else 0.
HRESULT LineObjectFromPart(kv3::MapLineObject& object, std::int32_t kind, const double* x, const double* y,
                           std::int32_t count, std::int32_t category, std::int32_t value, const GeoRect& view);
// A point object at the first vertex given.
void PointObjectFromShape(kv3::MapPointObject& object, double x, double y, std::int32_t category, std::int32_t value);

// The category of a layer and the columns that give its value and name (-1: none).
struct ShapeCategory {
  std::int32_t category = 0;
  std::int32_t valueField = -1;
  std::int32_t nameField = -1;
  bool usable = true;  // false: a point layer without a name column contributes nothing
};
// Chooses from the table's columns by the shape type; `table` may be null (no table).
ShapeCategory ChooseShapeCategory(void* table, std::int32_t shapeType);

// The rank of every vertex of a part (one word per point).
using VertexWordsFn = std::vector<std::uint16_t> (*)(const std::vector<GeoPoint>& points);

// Results of LoadShapeLayer besides 0 and E_FAIL.
inline constexpr HRESULT kShapeLayerIncomplete = 1;   // records that could not be read were passed over
inline constexpr HRESULT kShapeLayerNotInDegrees = 2;  // bounds beyond degrees (a projected system): nothing read
// Reads the layer at the device path (without or with its extension) into `into`, keeping what
// meets its load rectangle. 0; kShapeLayerIncomplete when records could not be read (the others
// are kept); kShapeLayerNotInDegrees when the layer's bounds are no longitudes and latitudes;
// E_FAIL when the layer cannot be opened or holds a shape of another type than its layer (objects
// added before stay). Null and empty shapes are skipped.
HRESULT LoadShapeLayer(kv3::WholeFileObjects& into, const WCHAR* path, VertexWordsFn words);

}  // namespace cumulor
