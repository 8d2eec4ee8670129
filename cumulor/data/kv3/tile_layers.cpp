#include "cumulor/data/kv3/tile_layers.h"

namespace cumulor::kv3 {

namespace {

bool ValidTileLayer(std::int32_t layer) { return layer >= 0 && layer < kTileLayers; }

bool AtLeast(const TileFeatureRecord& r, std::int64_t size) {
  return static_cast<std::int64_t>(r.east) - r.west >= size && static_cast<std::int64_t>(r.north) - r.south >= size;
}

}  // namespace

MapLineObject MakeLineObject(const TileFeatureRecord& record, std::int32_t layerValue) {
  MapLineObject o;
  const std::int64_t least = 5 * static_cast<std::int64_t>(layerValue);
  for (const TileVertex& v : record.vertices)
    if (v.level >= least) o.points.push_back(GeoPoint{v.lon, v.lat});
  o.west = record.west;
  o.north = record.north;
  o.east = record.east;
  o.south = record.south;
  o.kind = record.kind;
  o.category = record.category;
  o.value = record.subtype;
  o.flags = record.group;
  o.threshold = record.threshold;
  return o;
}

void BuildContourLists(const std::array<ContourGroup, kContourGroups>& groups, MapLayer& layer,
                       std::int32_t layerValue, std::int32_t minSize) {
  for (std::int32_t g = 0; g < kContourGroups; ++g) {
    for (const TileFeatureRecord& r : groups[static_cast<std::size_t>(g)].records) {
      if (!AtLeast(r, minSize)) continue;
      MapLineObject o = MakeLineObject(r, layerValue);
      o.value = g;
      layer.contours[static_cast<std::size_t>(g)].push_back(std::move(o));
    }
  }
}

void BuildTileLayer(MapTile& tile, std::int32_t layer, const MapLayerSettings& settings) {
  if (!ValidTileLayer(layer)) return;
  MapLayer& out = tile.layers[static_cast<std::size_t>(layer)];
  MapLayerFree(out);
  out.built = true;
  const std::int32_t v = settings.layerValue[static_cast<std::size_t>(layer)];
  const std::int32_t s = settings.minSize[static_cast<std::size_t>(layer)];
  if (settings.contoursShown) BuildContourLists(tile.features.groups, out, v, s);
  for (const TileFeatureRecord& r : tile.features.areas)
    if (AtLeast(r, s / 2)) out.areas.push_back(MakeLineObject(r, v));
  for (const TileFeatureRecord& r : tile.features.lines) out.lines.push_back(MakeLineObject(r, v));
  for (const MapPointObject& p : tile.features.points) out.points.push_back(&p);
}

std::int32_t CollectTileLayer(const MapTile& tile, std::vector<const MapObject*>& out, std::int32_t layer,
                              const MapLayerSettings& settings) {
  if (!ValidTileLayer(layer)) return 0;
  const MapLayer& l = tile.layers[static_cast<std::size_t>(layer)];
  const std::size_t before = out.size();
  if (settings.contoursShown && settings.vectorShown) {
    for (std::int32_t g = settings.contourStartGroup < 0 ? 0 : settings.contourStartGroup; g < kContourGroups; ++g)
      for (const MapLineObject& o : l.contours[static_cast<std::size_t>(g)]) out.push_back(&o);
  }
  if (settings.vectorShown) {
    const std::int32_t v = settings.layerValue[static_cast<std::size_t>(layer)];
    for (const MapLineObject& o : l.areas)
      if (o.threshold > v) out.push_back(&o);
    for (const MapLineObject& o : l.lines)
      if (o.threshold > v) out.push_back(&o);
    for (const MapPointObject* p : l.points)
      if (p->threshold > v) out.push_back(p);
  }
  return static_cast<std::int32_t>(out.size() - before);
}

}  // namespace cumulor::kv3
