// The kept picture of the map's background and vector layers: a frame that takes it has every pixel
// of a full drawing of the same view; a move, a change of the list, the zoom or the turn draws it
// whole.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>

#include "cumulor/map/draw/map_overlays.h"
#include "cumulor/map/vector_draw/vector_draw.h"
#include "cumulor/map/vector_draw/vector_layer_cache.h"
#include "cumulor/map/view/map_view.h"
#include "platform/gdi/gdi.h"
#include "tests/cumulor/data_vector/vector_fixture.h"

namespace cumulor {
namespace {

constexpr std::int32_t kDeg = 36000;
constexpr int kW = 240, kH = 320;

// A 32-bit top-down DIB section selected into a memory DC: its pixels read directly.
struct Canvas {
  Canvas() {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = kW;
    info.bmiHeader.biHeight = -kH;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    dc = CreateCompatibleDC(nullptr);
    void* raw = nullptr;
    bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &raw, nullptr, 0);
    bits = static_cast<const std::uint32_t*>(raw);
    old = SelectObject(dc, bitmap);
  }
  ~Canvas() {
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
  }
  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
  HGDIOBJ old = nullptr;
  const std::uint32_t* bits = nullptr;
};

// The pixels (colour bytes) that differ between two canvases.
int Differing(const Canvas& a, const Canvas& b) {
  GdiFlush();
  int n = 0;
  for (int i = 0; i < kW * kH; ++i) n += ((a.bits[i] ^ b.bits[i]) & 0xFFFFFFu) != 0;
  return n;
}

class VectorLayerCacheTest : public testing::VectorMapTest {
 protected:
  void SetUp() override {
    VectorMapTest::SetUp();
    view = std::make_unique<MapView>();
    MapInit(*view);
  }
  void TearDown() override {
    cache.Clear();
    MapTerm(*view);
    VectorMapTest::TearDown();
  }
  std::unique_ptr<MapView> view;
  VectorLayerCache cache;
};

TEST_F(VectorLayerCacheTest, KeptPicturesHaveTheFullDrawingsPixels) {
  PutBytes("alps.kv3", kv3gen::WriteTiled(kv3gen::DemoArea(7, 46, 2, 1)));
  shapegen::LayerSizes sizes;
  sizes.rivers *= 6;
  sizes.roads *= 6;
  sizes.lakes *= 6;
  sizes.places *= 6;
  sizes.contours *= 6;
  ASSERT_FALSE(WriteShapes(shapegen::Area{7.7, 46.3, 8.3, 46.7}, sizes).empty());
  SelectMap("alps.kv3");
  for (const char* layer : {"lakes", "rivers", "roads", "places", "borders", "contours"}) SelectShape(layer);
  LoadVectorMaps(store, context);

  const GeoPoint centre{8 * kDeg, 46 * kDeg + 18000};
  constexpr std::int32_t kScale = 20, kLayer = 4;
  MapSetScreenRect(*view, RECT{0, 0, kW, kH});
  MapSetStyle(*view, 1, 1, 1, 8, u"m", 0, 1);
  MapSetRegion(*view, GeoRect{5 * kDeg, 48 * kDeg, 10 * kDeg, 45 * kDeg}, centre);
  MapSetScale(*view, kScale);
  MapSetView(*view, centre.lon, centre.lat, 0);
  RebuildVisibleMap(store, view->view, kLayer);
  ASSERT_GT(store.drawList.size(), 100u);

  Canvas cached, full;
  using Use = VectorLayerCache::Use;
  struct Step {
    const char* what;
    std::int32_t east, north, rotation;  // the centre from `centre`, in GeoPoint units; degrees
    bool rebuild;
    std::int32_t zoomValue;
    Use use;
  } steps[] = {
      {"the first frame", 0, 0, 0, false, kScale, Use::kWhole},
      {"the same view", 0, 0, 0, false, kScale, Use::kKept},
      {"east by pixels", 700, 0, 0, false, kScale, Use::kWhole},
      {"that view again", 700, 0, 0, false, kScale, Use::kKept},
      {"the list rebuilt", 700, 0, 0, true, kScale, Use::kWhole},
      {"another zoom value", 700, 0, 0, false, 150, Use::kWhole},
      {"turned", 700, 0, 30, false, 150, Use::kWhole},
      {"turned, the same view", 700, 0, 30, false, 150, Use::kKept},
      {"turned and moved", 0, 0, 30, false, 150, Use::kWhole},
  };
  for (const Step& s : steps) {
    MapSetView(*view, centre.lon + s.east, centre.lat + s.north, s.rotation);
    if (s.rebuild) RebuildVisibleMap(store, view->view, kLayer);
    cache.Draw(store, s.zoomValue, *view, cached.dc, 1);
    EXPECT_EQ(cache.LastUse(), s.use) << s.what;
    MapFillBackground(*view, full.dc);
    DrawVectorLayers(store, s.zoomValue, *view, full.dc, 1, VectorPart::kShapes);
    EXPECT_EQ(Differing(cached, full), 0) << s.what;
  }
}

}  // namespace
}  // namespace cumulor
