// Zoom layers of a map tile: which records each layer shows and what a layer hands to drawing.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "cumulor/data/kv3/map_objects.h"

namespace cumulor::kv3 {

inline constexpr std::int32_t kZoomLayers = 12;  // 0..8 tile layers, 9..11 overview layers

// The application's map settings the layers use.
struct MapLayerSettings {
  std::array<std::int32_t, kZoomLayers> layerValue{};  // V(L): vertex level and threshold bound
  std::array<std::int32_t, kZoomLayers> minSize{};     // S(L): least width and height
  bool contoursShown = true;
  bool vectorShown = true;
  std::int32_t contourStartGroup = 0;
};

// A line object from a record, keeping the vertices whose level is at least 5 x value.
MapLineObject MakeLineObject(const TileFeatureRecord& record, std::int32_t layerValue);

// Adds the contour groups' records to a layer's contour lists (boxes at least minSize wide and
// high), each object's value set to its group number.
void BuildContourLists(const std::array<ContourGroup, kContourGroups>& groups, MapLayer& layer,
                       std::int32_t layerValue, std::int32_t minSize);

// Fills tile layer layer (0..8) from the tile's records. Nothing for other layer numbers.
void BuildTileLayer(MapTile& tile, std::int32_t layer, const MapLayerSettings& settings);

// Appends the layer's drawable objects to out: contours from the start group to group 29 (when
// contours and the vector map are shown), then areas, lines and points whose threshold is above
// the layer value (when the vector map is shown). The number appended.
std::int32_t CollectTileLayer(const MapTile& tile, std::vector<const MapObject*>& out, std::int32_t layer,
                              const MapLayerSettings& settings);

}  // namespace cumulor::kv3
