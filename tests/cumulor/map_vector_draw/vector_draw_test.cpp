// The chain from files to pixels: a tiled map with terrain contours, a whole-file map and shape
// layers loaded into the store and the tile cache, the objects in view collected, and the frame
// drawn at 480 x 640 and saved as vector_map_480x640.png (in the test's build folder) for a look.
// Then each kind of object with its own style.
#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <map>
#include <memory>
#include <set>

#include "cumulor/data/aero/aero_ui.h"
#include "cumulor/data/aero/visible_data.h"
#include "cumulor/data/points/aero_tables.h"
#include "cumulor/map/draw/map_overlays.h"
#include "cumulor/map/draw/map_palette.h"
#include "cumulor/map/vector_draw/vector_draw.h"
#include "cumulor/map/view/map_view.h"
#include "platform/gdi/gdi.h"
#include "platform/gdi/gdi_seams.h"
#include "tests/cumulor/data_vector/vector_fixture.h"

namespace cumulor {
namespace {

constexpr std::int32_t kDeg = 36000;

class VectorDrawTest : public testing::VectorMapTest {
 protected:
  void SetUp() override {
    VectorMapTest::SetUp();
    view = std::make_unique<MapView>();
    MapInit(*view);
  }
  void TearDown() override {
    if (dc) {
      SelectObject(dc, oldBitmap);
      DeleteObject(bitmap);
      DeleteDC(dc);
    }
    MapTerm(*view);
    VectorMapTest::TearDown();
  }
  void Open(int width, int height, std::int32_t scale, const GeoPoint& centre) {
    dc = CreateCompatibleDC(nullptr);
    bitmap = CreateCompatibleBitmap(dc, width, height);
    oldBitmap = SelectObject(dc, bitmap);
    MapSetScreenRect(*view, RECT{0, 0, width, height});
    MapSetStyle(*view, scale < 200, 1, scale < 51, 8, u"m", width > 240 ? 1 : 0, 1);
    MapSetRegion(*view, GeoRect{5 * kDeg, 48 * kDeg, 10 * kDeg, 45 * kDeg}, centre);
    MapSetScale(*view, scale);
    MapSetView(*view, centre.lon, centre.lat, 0);
    view->dc = dc;
    MapFillBackground(*view, dc);
  }
  // How many pixels of each colour the picture holds.
  std::map<COLORREF, int> Colours(int width, int height) const {
    std::map<COLORREF, int> count;
    for (int y = 0; y < height; y += 2)
      for (int x = 0; x < width; x += 2) ++count[ce::gdi::BitmapPixel(bitmap, x, y)];
    return count;
  }

  std::unique_ptr<MapView> view;
  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
  HGDIOBJ oldBitmap = nullptr;
};

TEST_F(VectorDrawTest, FilesToStoreToDrawListToPicture) {
  PutBytes("alps.kv3", kv3gen::WriteTiled(kv3gen::DemoArea(7, 46, 2, 1)));
  ASSERT_FALSE(WriteShapes(shapegen::Area{7.6, 46.2, 8.4, 46.8}, shapegen::LayerSizes{}).empty());
  SelectMap("alps.kv3");
  for (const char* layer : {"lakes", "rivers", "roads", "places", "borders"}) SelectShape(layer);
  LoadVectorMaps(store, context);

  const GeoPoint centre{8 * kDeg, 46 * kDeg + 18000};
  Open(480, 640, 100, centre);
  const std::int32_t layer = 6;  // 100 km
  const GeoRect box = view->view;
  AeroUi ui;
  VisibleAeroObjects visible;
  UpdateVisibleAeroData(AeroData(), tiles, visible, TileRange{box.left, box.top, box.right, box.bottom}, layer,
                        MapTileView{&store.layers, &overview}, ui);
  RebuildVisibleMap(store, box, layer);
  ASSERT_FALSE(visible.mapObjects.empty());
  ASSERT_FALSE(store.drawList.empty());

  // The frame's order: the tiles' objects of the visible list, then the store's draw list.
  VectorDrawContext context;
  context.contours = store.contours;
  for (const kv3::MapObject* o : visible.mapObjects)
    if (o->threshold >= 100) DrawMapObject(*view, dc, *o, context);
  DrawVectorLayers(store, 100, *view, dc, 1);
  ASSERT_TRUE(ce::gdi::SaveBitmapPng(bitmap, "vector_map_480x640.png"));

  const auto colours = Colours(480, 640);
  auto has = [&](COLORREF c) { return colours.count(c) ? colours.at(c) : 0; };
  // Terrain: the contour groups 1 to 3 in their palette slots (offset 0, step 1).
  for (int group : {1, 2, 3}) EXPECT_GT(has(kMapTerrainColours[group]), 50) << "contour group " << group;
  EXPECT_GT(has(0xFFFF99), 10) << "lakes";
  EXPECT_GT(has(0x0099FF), 10) << "roads";
  EXPECT_GT(has(0xFFCC66), 10) << "rivers";
}

TEST_F(VectorDrawTest, EachKindWithItsStyle) {
  const GeoPoint centre{8 * kDeg, 46 * kDeg + 18000};
  Open(240, 320, 20, centre);
  auto at = [&](std::int32_t east, std::int32_t north) { return GeoPoint{centre.lon + east, centre.lat + north}; };
  auto screen = [&](const GeoPoint& p) {
    POINT s{};
    MapWorldToScreen(*view, s, p);
    return s;
  };
  VectorDrawContext context;
  context.contours.offset = 2;
  context.contours.step = 2;

  struct Case {
    const char* what;
    std::int32_t kind, category, value;
    COLORREF inside;  // the fill at the area's middle (areas), or the colour under the line
  } cases[] = {
      {"water 2", 5, 1, 2, 0xFFFF99},
      {"glacier", 5, 1, 5, 0xDCF8FF},
      {"water of another value is hollow", 5, 1, 7, 0xFFFFFF},
      {"class 9", 5, 9, 0, 0x66CCFF},
      {"contour group 3 at slot 2 + 2 x 3", 5, 11, 3, kMapTerrainColours[8]},
      {"contour value -1 held at slot 0", 5, 11, -10, kMapTerrainColours[0]},
      {"contour value 40 held at slot 39", 5, 10, 40, 0xFFFFFF},
      {"area 17", 5, 17, 0, 0xDFDFDF},
      {"road 1", 3, 5, 1, 0x0099FF},
      {"river 1", 3, 3, 1, 0xFFCC66},
      {"other line", 3, 0, 0, 0x808080},
  };
  for (const Case& c : cases) {
    MapFillBackground(*view, dc);
    kv3::MapLineObject o;
    o.kind = c.kind;
    o.category = c.category;
    o.value = c.value;
    if (c.kind == 5)
      o.points = {at(-2000, -2000), at(2000, -2000), at(2000, 2000), at(-2000, 2000)};
    else
      o.points = {at(-2000, 0), at(2000, 0)};
    DrawMapObject(*view, dc, o, context);
    const POINT m = screen(at(0, 0));
    EXPECT_EQ(ce::gdi::BitmapPixel(bitmap, m.x, m.y), c.inside) << c.what;
  }

  // Points: a place with a name gets its dot, an empty one nothing; a spot height its pixel.
  MapFillBackground(*view, dc);
  kv3::MapPointObject place;
  place.category = 7;
  place.points = {at(0, 0)};
  DrawMapObject(*view, dc, place, context);
  POINT m = screen(at(0, 0));
  EXPECT_EQ(ce::gdi::BitmapPixel(bitmap, m.x, m.y), 0xFFFFFFu) << "an empty label draws no dot";
  place.label[0] = u'A';
  DrawMapObject(*view, dc, place, context);
  EXPECT_EQ(ce::gdi::BitmapPixel(bitmap, m.x, m.y), 0xC0C0C0u);
  kv3::MapPointObject spot;
  spot.category = 15;
  spot.points = {at(-1500, -1500)};
  DrawMapObject(*view, dc, spot, context);
  m = screen(at(-1500, -1500));
  EXPECT_EQ(ce::gdi::BitmapPixel(bitmap, m.x, m.y), 0x2D52A0u);
  // A line object whose file gave it the point kind is still drawn as a line.
  MapFillBackground(*view, dc);
  kv3::MapLineObject odd;
  odd.kind = 1;
  odd.category = 5;
  odd.value = 1;
  odd.points = {at(-2000, 0), at(2000, 0)};
  DrawMapObject(*view, dc, odd, context);
  m = screen(at(0, 0));
  EXPECT_EQ(ce::gdi::BitmapPixel(bitmap, m.x, m.y), 0x0099FFu);
}

TEST_F(VectorDrawTest, DrawingTakesTheObjectsAtTheZoomValue) {
  const GeoPoint centre{8 * kDeg, 46 * kDeg + 18000};
  Open(240, 320, 20, centre);
  kv3::MapLineObject low, high;
  for (kv3::MapLineObject* o : {&low, &high}) {
    o->kind = 3;
    o->category = 5;
    o->value = 1;
  }
  low.points = {GeoPoint{centre.lon - 2000, centre.lat + 1000}, GeoPoint{centre.lon + 2000, centre.lat + 1000}};
  high.points = {GeoPoint{centre.lon - 2000, centre.lat - 1000}, GeoPoint{centre.lon + 2000, centre.lat - 1000}};
  low.threshold = 19;
  high.threshold = 20;
  store.drawList = {&low, &high};
  DrawVectorLayers(store, 20, *view, dc, 1);
  POINT a{}, b{};
  MapWorldToScreen(*view, a, GeoPoint{centre.lon, centre.lat + 1000});
  MapWorldToScreen(*view, b, GeoPoint{centre.lon, centre.lat - 1000});
  EXPECT_EQ(ce::gdi::BitmapPixel(bitmap, a.x, a.y), 0xFFFFFFu) << "threshold below the zoom value";
  EXPECT_EQ(ce::gdi::BitmapPixel(bitmap, b.x, b.y), 0x0099FFu);
  store.drawList.clear();
}

TEST_F(VectorDrawTest, ObjectsBeyondTheScreenDrawNothingThoseReachingItAreDrawn) {
  const GeoPoint centre{8 * kDeg, 46 * kDeg + 18000};
  Open(240, 320, 20, centre);
  ce::gdi::CallRecorder calls;
  ce::gdi::AttachRecorder(dc, &calls);
  // Every vertex of these lies beyond the screen (a pixel is some 40 units here).
  const std::int32_t far = 40000;
  auto at = [&](std::int32_t east, std::int32_t north) { return GeoPoint{centre.lon + east, centre.lat + north}; };
  kv3::MapLineObject beyond, across, cover;
  beyond.kind = across.kind = 3;
  beyond.category = across.category = 5;
  beyond.value = across.value = 1;
  beyond.points = {at(-far, 0), at(-far, 2000), at(-far - 9000, 0)};
  across.points = {at(-far, 1000), at(far, 1000)};
  cover.kind = 5;
  cover.category = 9;
  cover.points = {at(-far, -far), at(far, -far), at(far, far), at(-far, far)};
  kv3::MapPointObject left;  // left of the screen: its name runs into it
  left.category = 7;
  const char16_t name[] = u"WWWWWWWWWWWWWWWWWWW";
  std::copy(std::begin(name), std::end(name), left.label.begin());
  for (kv3::MapObject* o : std::initializer_list<kv3::MapObject*>{&beyond, &across, &cover, &left}) o->threshold = 100000;
  VectorDrawContext context;

  DrawMapObject(*view, dc, beyond, context);
  EXPECT_EQ(calls.Count("Polyline"), 0);
  DrawMapObject(*view, dc, cover, context);
  DrawMapObject(*view, dc, across, context);
  EXPECT_EQ(calls.Count("Polygon"), 1);
  EXPECT_EQ(calls.Count("Polyline"), 1);
  POINT a{};
  MapWorldToScreen(*view, a, at(0, 1000));
  EXPECT_EQ(ce::gdi::BitmapPixel(bitmap, a.x, a.y), 0x0099FFu) << "the road across the screen";
  EXPECT_EQ(ce::gdi::BitmapPixel(bitmap, 5, 5), 0x66CCFFu) << "the area under the whole screen";
  // The place 30 pixels left of the screen: its label reaches in; 3000 pixels left it does not.
  POINT p{-30, 100};
  MapScreenToWorld(*view, left.points.emplace_back(), p);
  store.drawList = {&left};
  DrawVectorLayers(store, 20, *view, dc, 1);
  EXPECT_EQ(calls.Count("DrawTextW"), 1);
  p.x = -3000;
  MapScreenToWorld(*view, left.points.front(), p);
  DrawVectorLayers(store, 20, *view, dc, 1);
  EXPECT_EQ(calls.Count("DrawTextW"), 1);
  store.drawList.clear();
  ce::gdi::AttachRecorder(dc, nullptr);
}

}  // namespace
}  // namespace cumulor
