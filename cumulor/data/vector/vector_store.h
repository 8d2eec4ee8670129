// The vector map store: the map objects that do not come in tiles (whole-file .kv3 maps and
// shapefile layers), with a vertex word per vertex of every line and area, and the draw list of
// what meets the current view. One lock guards it; it is taken after the main lock.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "cumulor/app/base/geo_point.h"
#include "cumulor/data/kv3/map_file.h"
#include "cumulor/data/kv3/map_objects.h"
#include "cumulor/data/kv3/tile_layers.h"
#include "cumulor/data/kv3/tiled_file.h"
#include "cumulor/data/kv3/whole_file.h"
#include "cumulor/data/vector/contour_settings.h"
#include "platform/base/types.h"

namespace cumulor {

struct VectorMapStore {
  // What meets the view, in drawing order: areas, lines, points. Entries whose flag word is 1 are
  // the copies held in `copies`; the others point into `objects`.
  std::vector<const kv3::MapObject*> drawList;
  std::vector<std::unique_ptr<kv3::MapLineObject>> copies;
  // Areas, lines (each with its vertex words) and points; the load rectangle; the last header.
  kv3::WholeFileObjects objects;
  // The per-layer values V(L) and sizes S(L), the two display switches and the contour start
  // group, and the terrain colouring (the palette's offset and step follow `contours`).
  kv3::MapLayerSettings layers;
  kv3::TerrainPalette palette;
  ContourSettings contours;
  std::recursive_mutex lock;
  // Counts the changes of the objects, the draw list and the colouring: a picture of the layers
  // drawn at one count stays that picture while the count is the same.
  std::uint64_t generation = 0;
};

// The default per-layer values: V(L) half the zoom table's screen width in km (0 for 1 km), S(L)
// four times that in GeoPoint units.
void DefaultLayerSettings(kv3::MapLayerSettings& layers);

// Builds the empty store: default layers, the contour settings' defaults, the load rectangle.
void InitVectorMapStore(VectorMapStore& store);
// Empties the draw list (under the lock).
void EmptyDrawList(VectorMapStore& store);
// Empties the draw list and every object (under the lock).
void ClearVectorMapStore(VectorMapStore& store);
// After a change of `contours`: holds them within their ranges and hands offset, step and the
// start group to the palette and the layer settings.
void ApplyContourSettings(VectorMapStore& store);

// What loading the maps needs from the application.
struct VectorLoadContext {
  kv3::TileBlockIndex* index = nullptr;       // where tiled files list their blocks
  kv3::OverviewMaps* overview = nullptr;      // the overview contours of every tiled file
  PathList* maps = nullptr;                   // the selected "Terrain" files
  PathList* shapes = nullptr;                 // the selected "Shape" files
  std::function<const WCHAR*(const DataFileEntry&)> fullPath;
  std::function<void(const WCHAR* text)> status;       // an empty text ends the status message
  // "File %s NOT FOUND.", and a file that could not be read whole or was refused (each with its wait)
  std::function<void(const WCHAR* text)> showMissing;
  std::function<void(const GeoRect& box)> fileBox;     // the box of each tiled file
};

// Under the lock: empties the store, drops every listed tile block and the overview, closes the
// kept map file handles, then loads each selected map file whose path contains ".kv3" or ".KV3"
// and each selected shapefile layer. A file that fails is passed over; once all are loaded, each
// one that could not be read whole, or a shape layer that is not in degrees, is named through
// showMissing.
void LoadVectorMaps(VectorMapStore& store, VectorLoadContext& context);

// Reads one whole-file map from an open file into the store (the status shows "%s:%d%%").
HRESULT LoadWholeFileMap(VectorMapStore& store, HANDLE file, const std::array<std::uint8_t, kv3::kHeaderBytes>& header,
                         const WCHAR* path, const std::function<void(const WCHAR*)>& status);
// Adds the shape layer at the device path to the store.
HRESULT LoadStoreShapeLayer(VectorMapStore& store, const WCHAR* path);

// Rebuilds the draw list for a view at zoom layer `layer` (V(L) of the store's layers): areas
// thinned at 2 x V(L) and lines at 3 x V(L), clipped where they cross the view's edge; areas
// clipped to fewer than 3 points are left out; points in the view by pointer. A copy that cannot
// be made ends the rebuild with what was listed.
void RebuildVisibleMap(VectorMapStore& store, const GeoRect& view, std::int32_t layer);

// The draw-list objects whose threshold is at least the zoom value, in list order, under the lock.
void VisitDrawList(VectorMapStore& store, std::int32_t zoomValue, const std::function<void(const kv3::MapObject&)>& f);

}  // namespace cumulor
