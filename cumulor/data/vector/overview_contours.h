// The overview contours of the tiled map files for the coarse zoom layers 9 to 11.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "cumulor/app/base/geo_point.h"
#include "cumulor/data/kv3/map_objects.h"
#include "cumulor/data/kv3/tiled_file.h"

namespace cumulor {

// Appends the overview objects of zoom layer `layer` that meet the view: below layer 11 an object
// wholly in the view as it is and one crossing its edge clipped (kept in `copies`, listed when not
// empty); layer 11 and above every object unclipped. Nothing before the overview is loaded or
// for layers below the first overview layer. The number appended.
std::int32_t CollectOverviewContours(const kv3::OverviewMaps& overview, const GeoRect& view, std::int32_t layer,
                                     std::vector<const kv3::MapObject*>& out,
                                     std::vector<std::unique_ptr<kv3::MapLineObject>>& copies);

}  // namespace cumulor
