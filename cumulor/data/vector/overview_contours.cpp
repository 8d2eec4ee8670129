#include "cumulor/data/vector/overview_contours.h"

#include <algorithm>

#include "cumulor/data/kv3/whole_file.h"
#include "cumulor/data/vector/map_clip.h"

namespace cumulor {

std::int32_t CollectOverviewContours(const kv3::OverviewMaps& overview, const GeoRect& view, std::int32_t layer,
                                     std::vector<const kv3::MapObject*>& out,
                                     std::vector<std::unique_ptr<kv3::MapLineObject>>& copies) {
  if (!overview.loaded) return 0;
  const std::int32_t slot = layer - overview.firstLayer;
  if (slot < 0 || slot >= overview.layerCount || slot >= kv3::kTileLayers) return 0;
  const kv3::MapLayer& l = overview.layers[static_cast<std::size_t>(slot)];
  const bool clip = layer < overview.firstLayer + 2;
  std::int32_t appended = 0;
  for (const auto& group : l.contours) {
    for (const kv3::MapLineObject& o : group) {
      const GeoRect box{o.west, o.north, o.east, o.south};
      if (clip) {
        if (!kv3::BoxesMeet(box, view)) continue;
        if (!kv3::BoxInside(box, view)) {
          std::unique_ptr<kv3::MapLineObject> cut = ClipPolygon(o, view);
          if (!cut || cut->points.empty()) continue;
          out.push_back(cut.get());
          copies.push_back(std::move(cut));
          ++appended;
          continue;
        }
      }
      out.push_back(&o);
      ++appended;
    }
  }
  return appended;
}

}  // namespace cumulor
