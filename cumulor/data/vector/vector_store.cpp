#include "cumulor/data/vector/vector_store.h"

#include <string>
#include <vector>

#include "cumulor/data/shapes/shape_layer.h"
#include "cumulor/data/vector/map_clip.h"
#include "cumulor/data/vector/vertex_words.h"
#include "platform/text/format.h"

namespace cumulor {
namespace {

// Half the zoom table's screen widths in km, one per zoom layer: tile vertices of a level below
// 5 x V(L) and store vertices ranked below 2 x V(L) (areas) or 3 x V(L) metres (lines) are left out.
constexpr std::int32_t kLayerValues[kv3::kZoomLayers] = {0, 1, 2, 5, 10, 25, 50, 75, 100, 250, 500, 1000};

std::vector<std::uint16_t> WordsOf(const std::vector<GeoPoint>& points) { return ComputeVertexWords(points); }

// A line crossing the load rectangle: its pieces inside, each ranked afresh.
void ClipLoadedLine(kv3::WholeFileObjects& into, const kv3::MapLineObject& line, const std::vector<std::uint16_t>&) {
  std::vector<std::unique_ptr<kv3::MapLineObject>> pieces;
  ClipPolyline(line, into.loadRect, pieces);
  for (auto& piece : pieces) {
    piece->flags = line.flags;
    piece->clipped = false;
    into.lineWords.push_back(ComputeVertexWords(piece->points));
    into.lines.push_back(std::move(*piece));
  }
}

// An area crossing the load rectangle: clipped in place, its words rebuilt.
void ClipLoadedArea(kv3::MapLineObject& area, std::vector<std::uint16_t>& words, const GeoRect& rect) {
  std::unique_ptr<kv3::MapLineObject> clipped = ClipPolygon(area, rect);
  area.points = clipped ? std::move(clipped->points) : std::vector<GeoPoint>{};
  words = ComputeVertexWords(area.points);
}

bool IsMapPath(const std::u16string& path) {
  return path.find(u".kv3") != std::u16string::npos || path.find(u".KV3") != std::u16string::npos;
}

GeoRect BoxOf(const kv3::MapObject& o) { return GeoRect{o.west, o.north, o.east, o.south}; }

bool SameBox(const GeoRect& a, const GeoRect& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// Whether the box lies wholly in the view (their intersection equals the box).
bool WhollyIn(const GeoRect& box, const GeoRect& view) {
  const GeoRect cut{std::max(box.left, view.left), std::min(box.top, view.top), std::min(box.right, view.right),
                    std::max(box.bottom, view.bottom)};
  return SameBox(cut, box);
}

}  // namespace

void DefaultLayerSettings(kv3::MapLayerSettings& layers) {
  for (std::int32_t l = 0; l < kv3::kZoomLayers; ++l) {
    layers.layerValue[static_cast<std::size_t>(l)] = kLayerValues[l];
    layers.minSize[static_cast<std::size_t>(l)] = 4 * kLayerValues[l];
  }
  layers.contoursShown = true;
  layers.vectorShown = true;
}

void EmptyDrawList(VectorMapStore& store) {
  std::lock_guard<std::recursive_mutex> guard(store.lock);
  store.drawList.clear();
  store.copies.clear();
  ++store.generation;
}

void InitVectorMapStore(VectorMapStore& store) {
  std::lock_guard<std::recursive_mutex> guard(store.lock);
  EmptyDrawList(store);
  store.objects = kv3::WholeFileObjects{};
  store.objects.clipLine = ClipLoadedLine;
  store.objects.clipArea = ClipLoadedArea;
  DefaultLayerSettings(store.layers);
  store.contours = ContourSettings{};
  ApplyContourSettings(store);
}

void ClearVectorMapStore(VectorMapStore& store) {
  std::lock_guard<std::recursive_mutex> guard(store.lock);
  EmptyDrawList(store);
  store.objects.points.clear();
  store.objects.lines.clear();
  store.objects.lineWords.clear();
  store.objects.areas.clear();
  store.objects.areaWords.clear();
}

void ApplyContourSettings(VectorMapStore& store) {
  std::lock_guard<std::recursive_mutex> guard(store.lock);
  ++store.generation;
  ContourSettingsClamp(store.contours);
  store.palette.offset = store.contours.offset;
  store.palette.step = store.contours.step;
  store.layers.contourStartGroup = store.contours.startGroup;
}

HRESULT LoadWholeFileMap(VectorMapStore& store, HANDLE file, const std::array<std::uint8_t, kv3::kHeaderBytes>& header,
                         const WCHAR* path, const std::function<void(const WCHAR*)>& status) {
  std::lock_guard<std::recursive_mutex> guard(store.lock);
  EmptyDrawList(store);
  const std::u16string name = path ? path : u"";
  const HRESULT hr = kv3::ReadWholeFile(store.objects, file, header, [&](std::int32_t percent) {
    if (status) status(ce::text::Format(u"%s:%d%%", name.c_str(), static_cast<int>(percent)).c_str());
  });
  if (status) status(u"");
  return hr;
}

HRESULT LoadStoreShapeLayer(VectorMapStore& store, const WCHAR* path) {
  std::lock_guard<std::recursive_mutex> guard(store.lock);
  ++store.generation;
  return LoadShapeLayer(store.objects, path, WordsOf);
}

void LoadVectorMaps(VectorMapStore& store, VectorLoadContext& context) {
  std::lock_guard<std::recursive_mutex> guard(store.lock);
  ClearVectorMapStore(store);
  // No block may stay listed under a handle that is closed here.
  if (context.index) context.index->ClearBlocks();
  if (context.overview) *context.overview = kv3::OverviewMaps{};
  auto show = [&](const WCHAR* text) {
    if (context.status) context.status(text);
  };
  // A file that could not be read whole is named to the pilot once the loading is done.
  std::vector<std::u16string> problems;
  if (context.maps) {
    kv3::CloseMapFiles(*context.maps);
    kv3::MapFileContext files;
    files.tiled.index = context.index;
    files.tiled.overview = context.overview;
    files.tiled.palette = &store.palette;
    files.tiled.settings = &store.layers;
    files.tiled.fileBox = context.fileBox;
    bool missing = false;
    files.showMissing = [&](const WCHAR* text) {
      missing = true;
      if (context.showMissing) context.showMissing(text);
    };
    for (std::int32_t i = 0; i < context.maps->Size(); ++i) {
      if (!context.fullPath) break;
      const WCHAR* full = context.fullPath((*context.maps)[i]);
      const std::u16string path = full ? full : u"";
      if (!IsMapPath(path)) continue;
      files.readWholeFile = [&](HANDLE file, const std::array<std::uint8_t, kv3::kHeaderBytes>& header) {
        return LoadWholeFileMap(store, file, header, path.c_str(), context.status);
      };
      show(path.c_str());
      missing = false;
      const HRESULT hr = kv3::LoadMapFile(files, *context.maps, path.c_str(), i);
      show(u"");
      if (hr != S_OK && !missing) problems.push_back(ce::text::Format(u"Map %s could not be read whole.", path.c_str()));
    }
  }
  if (context.shapes && context.fullPath) {
    for (std::int32_t i = 0; i < context.shapes->Size(); ++i) {
      const WCHAR* full = context.fullPath((*context.shapes)[i]);
      const std::u16string path = full ? full : u"";
      show(path.c_str());
      const HRESULT hr = LoadStoreShapeLayer(store, path.c_str());
      show(u"");
      if (hr == kShapeLayerNotInDegrees)
        problems.push_back(ce::text::Format(u"Shape layer %s is not in degrees: not loaded.", path.c_str()));
      else if (hr != S_OK)
        problems.push_back(ce::text::Format(u"Shape layer %s could not be read whole.", path.c_str()));
    }
  }
  for (const std::u16string& text : problems)
    if (context.showMissing) context.showMissing(text.c_str());
}

void RebuildVisibleMap(VectorMapStore& store, const GeoRect& view, std::int32_t layer) {
  std::lock_guard<std::recursive_mutex> guard(store.lock);
  EmptyDrawList(store);
  const std::int32_t l = layer < 0 ? 0 : layer >= kv3::kZoomLayers ? kv3::kZoomLayers - 1 : layer;
  const std::int32_t value = store.layers.layerValue[static_cast<std::size_t>(l)];
  kv3::WholeFileObjects& o = store.objects;
  auto list = [&](std::unique_ptr<kv3::MapLineObject> copy) {
    store.drawList.push_back(copy.get());
    store.copies.push_back(std::move(copy));
  };
  static const std::vector<std::uint16_t> kNoWords;
  for (std::size_t i = 0; i < o.areas.size(); ++i) {
    const kv3::MapLineObject& area = o.areas[i];
    if (!kv3::BoxesMeet(BoxOf(area), view)) continue;
    std::unique_ptr<kv3::MapLineObject> copy =
        CopyThinnedObject(area, i < o.areaWords.size() ? o.areaWords[i] : kNoWords, 2 * value);
    if (!copy) return;
    if (WhollyIn(BoxOf(*copy), view)) {
      list(std::move(copy));
      continue;
    }
    std::unique_ptr<kv3::MapLineObject> clipped = ClipPolygon(*copy, view);
    if (clipped && clipped->points.size() > 2) list(std::move(clipped));
  }
  for (std::size_t i = 0; i < o.lines.size(); ++i) {
    const kv3::MapLineObject& line = o.lines[i];
    if (!kv3::BoxesMeet(BoxOf(line), view)) continue;
    std::unique_ptr<kv3::MapLineObject> copy =
        CopyThinnedObject(line, i < o.lineWords.size() ? o.lineWords[i] : kNoWords, 3 * value);
    if (!copy) return;
    if (WhollyIn(BoxOf(*copy), view)) {
      list(std::move(copy));
      continue;
    }
    std::vector<std::unique_ptr<kv3::MapLineObject>> pieces;
    ClipPolyline(*copy, view, pieces);
    for (auto& piece : pieces) list(std::move(piece));
  }
  for (const kv3::MapPointObject& p : o.points) {
    if (p.points.empty()) continue;
    const GeoPoint& at = p.points.front();
    if (at.lon >= view.left && at.lon <= view.right && at.lat >= view.bottom && at.lat <= view.top)
      store.drawList.push_back(&p);
  }
}

void VisitDrawList(VectorMapStore& store, std::int32_t zoomValue, const std::function<void(const kv3::MapObject&)>& f) {
  std::lock_guard<std::recursive_mutex> guard(store.lock);
  for (const kv3::MapObject* o : store.drawList)
    if (o->threshold >= zoomValue) f(*o);
}

}  // namespace cumulor
