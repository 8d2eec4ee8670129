// Cutting the vector map's lines and areas to a rectangle {west, north, east, south}, and thinning
// them by their vertex words. Every result is a new object owned by its caller (flag word 1).
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "cumulor/app/base/geo_point.h"
#include "cumulor/data/kv3/map_objects.h"

namespace cumulor {

inline constexpr std::int32_t kOwnedCopy = 1;  // flag word of an object owned by a draw list

// Cohen-Sutherland outcode of a point: 1 west of the rectangle, 2 east, 4 south, 8 north.
std::uint32_t ClipOutcodeOf(const GeoRect& view, double lon, double lat);

// A copy with the object's kind, category, value, box and threshold keeping the first and the
// last vertex and each vertex between them whose word is at least limit. A word array shorter
// than the points keeps the vertices it does not rank.
std::unique_ptr<kv3::MapLineObject> CopyThinnedObject(const kv3::MapLineObject& object,
                                                      const std::vector<std::uint16_t>& words, std::int32_t limit);

// Cuts a polyline segment by segment into the pieces that lie in view; appends them to out and
// answers their number.
std::int32_t ClipPolyline(const kv3::MapObject& object, const GeoRect& view,
                          std::vector<std::unique_ptr<kv3::MapLineObject>>& out);

// Clips a polygon to view (Sutherland-Hodgman against the north, west, south and east edges; a
// point exactly on the north or the west edge is outside). Null for an object of fewer than 2
// points; otherwise the clipped object, which may hold fewer than 3 points.
std::unique_ptr<kv3::MapLineObject> ClipPolygon(const kv3::MapObject& object, const GeoRect& view);

}  // namespace cumulor
