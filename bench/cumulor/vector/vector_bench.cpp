// The vector map at 480 x 640: a generated shapefile layer set of realistic size (about 5,000
// shapes and 200,000 vertices over the area) and the tiles of a tiled map with terrain contours,
// loaded through the store and the tile cache. Measured: the draw list's rebuild for a view
// (views/s) and the frame's vector map step (frames/s: the tiles' objects in view and the store's
// draw list drawn through the objects' drawing) beside plain Cairo filling and stroking the same
// screen paths (already projected) on an image surface of the same size.
#include <cairo.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <vector>

#include "bench/support/side_by_side.h"
#include "cumulor/data/aero/aero_ui.h"
#include "cumulor/data/aero/tile_cache.h"
#include "cumulor/data/aero/visible_data.h"
#include "cumulor/data/files/data_files.h"
#include "cumulor/data/points/aero_tables.h"
#include "cumulor/map/draw/map_overlays.h"
#include "cumulor/map/draw/map_palette.h"
#include "cumulor/data/vector/vector_store.h"
#include "cumulor/map/vector_draw/vector_draw.h"
#include "cumulor/map/view/map_view.h"
#include "platform/gdi/gdi.h"
#include "platform/kernel/device_folder.h"
#include "tools/kv3gen/kv3_writer.h"
#include "tools/shapegen/shape_writer.h"

namespace {

using namespace cumulor;

constexpr int kW = 480, kH = 640;
constexpr std::int32_t kDeg = 36000;
constexpr std::int32_t kScale = 100;  // km across: zoom layer 6
constexpr std::int32_t kLayer = 6;
const GeoPoint kCentre{8 * kDeg, 46 * kDeg + 18000};

// The map data of the run, loaded once into a device folder of its own.
struct MapData {
  std::filesystem::path folder;
  VectorMapStore store;
  TileCache tiles;
  kv3::OverviewMaps overview;
  PathList maps, shapes;
  std::size_t shapeCount = 0, vertexCount = 0;

  MapData() {
    folder = std::filesystem::temp_directory_path() / ("cumulor_vector_bench_" + std::to_string(getpid()));
    std::filesystem::create_directories(folder / "root" / "maps");
    ce::SetDeviceFolder(folder);
    const std::string host = (folder / "root" / "maps").string();
    auto bytes = kv3gen::WriteTiled(kv3gen::DemoArea(7, 45, 2, 2));
    std::ofstream(host + "/alps.kv3", std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    shapegen::LayerSizes sizes;
    const int scale = 44;
    sizes.rivers *= scale;
    sizes.roads *= scale;
    sizes.lakes *= scale;
    sizes.places *= scale;
    sizes.borders *= scale;
    sizes.contours *= scale;
    sizes.verticesPerLine = 55;
    for (const auto& layer : shapegen::WriteLayers(host, shapegen::Area{7.2, 45.6, 8.8, 46.9}, sizes, 11)) {
      shapeCount += static_cast<std::size_t>(layer.shapes);
      vertexCount += static_cast<std::size_t>(layer.vertices);
      shapes.Append(Entry(layer.name));
    }
    maps.Append(Entry("alps.kv3"));
    InitVectorMapStore(store);
    VectorLoadContext context;
    context.index = &tiles;
    context.overview = &overview;
    context.maps = &maps;
    context.shapes = &shapes;
    context.fullPath = [](const DataFileEntry& e) { return GetDataFileFullPath(e); };
    LoadVectorMaps(store, context);
  }
  ~MapData() {
    tiles.FreeMaps();
    kv3::CloseMapFiles(maps);
    ce::SetDeviceFolder({});
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
  }
  static DataFileEntry Entry(const std::string& name) {
    DataFileEntry e = NewDataFileEntry();
    const std::u16string n(name.begin(), name.end());
    SetEntryText(e.name, n.c_str());
    SetEntryText(e.folder, u"\\maps");
    return e;
  }
};

MapData& Data() {
  static MapData data;
  return data;
}

std::unique_ptr<MapView> MakeView() {
  auto view = std::make_unique<MapView>();
  MapInit(*view);
  MapSetScreenRect(*view, RECT{0, 0, kW, kH});
  MapSetStyle(*view, 1, 0, 0, 8, u"m", 1, 1);
  MapSetRegion(*view, GeoRect{5 * kDeg, 48 * kDeg, 10 * kDeg, 44 * kDeg}, kCentre);
  MapSetScale(*view, kScale);
  MapSetView(*view, kCentre.lon, kCentre.lat, 0);
  return view;
}

void BM_VectorMapRebuild(benchmark::State& state) {
  MapData& data = Data();
  auto view = MakeView();
  bench::SideBySide side(state, "views/s");
  for (auto _ : state) side.Ours(1, [&] { RebuildVisibleMap(data.store, view->view, kLayer); });
  state.counters["shapes"] = static_cast<double>(data.shapeCount);
  state.counters["vertices"] = static_cast<double>(data.vertexCount);
  state.counters["listed"] = static_cast<double>(data.store.drawList.size());
  MapTerm(*view);
}
BENCH(BM_VectorMapRebuild);

void BM_VectorMapFrame(benchmark::State& state) {
  MapData& data = Data();
  auto view = MakeView();
  const GeoRect box = view->view;
  AeroUi ui;
  VisibleAeroObjects visible;
  UpdateVisibleAeroData(AeroData(), data.tiles, visible, TileRange{box.left, box.top, box.right, box.bottom}, kLayer,
                        MapTileView{&data.store.layers, &data.overview}, ui);
  RebuildVisibleMap(data.store, box, kLayer);

  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(dc, kW, kH);
  HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
  view->dc = dc;

  // The peer's paths: the same objects, projected once; areas filled and stroked, lines stroked.
  struct Path {
    std::vector<POINT> points;
    bool area;
  };
  std::vector<Path> paths;
  std::size_t vertices = 0;
  auto add = [&](const kv3::MapObject& o) {
    if (o.pointObject || o.points.empty()) return;
    Path p{std::vector<POINT>(o.points.size()), o.kind == 5};
    for (std::size_t i = 0; i < o.points.size(); ++i) MapWorldToScreen(*view, p.points[i], o.points[i]);
    vertices += o.points.size();
    paths.push_back(std::move(p));
  };
  for (const kv3::MapObject* o : visible.mapObjects)
    if (o->threshold >= kScale) add(*o);
  for (const kv3::MapObject* o : data.store.drawList)
    if (o->threshold >= kScale) add(*o);

  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kW, kH);
  cairo_t* cr = cairo_create(surface);
  cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
  cairo_set_line_width(cr, 1);

  VectorDrawContext context;
  context.contours = data.store.contours;
  bench::SideBySide side(state, "frames/s");
  for (auto _ : state) {
    side.Ours(1, [&] {
      MapFillBackground(*view, dc);
      for (const kv3::MapObject* o : visible.mapObjects)
        if (o->threshold >= kScale) DrawMapObject(*view, dc, *o, context);
      DrawVectorLayers(data.store, kScale, *view, dc, 1);
    });
    side.Peer(1, [&] {
      cairo_set_source_rgb(cr, 1, 1, 1);
      cairo_paint(cr);
      for (const Path& p : paths) {
        cairo_move_to(cr, p.points[0].x, p.points[0].y);
        for (std::size_t k = 1; k < p.points.size(); ++k) cairo_line_to(cr, p.points[k].x, p.points[k].y);
        if (p.area) {
          cairo_close_path(cr);
          cairo_set_source_rgb(cr, 0.6, 1, 1);
          cairo_fill_preserve(cr);
        }
        cairo_set_source_rgb(cr, 0.4, 0.6, 1);
        cairo_stroke(cr);
      }
      cairo_surface_flush(surface);
    });
  }
  state.counters["paths"] = static_cast<double>(paths.size());
  state.counters["path_vertices"] = static_cast<double>(vertices);
  cairo_destroy(cr);
  cairo_surface_destroy(surface);
  view->dc = nullptr;
  SelectObject(dc, oldBitmap);
  DeleteObject(bitmap);
  DeleteDC(dc);
  MapTerm(*view);
}
BENCH(BM_VectorMapFrame);

}  // namespace
