// A map view over a memory bitmap of a given size, with a recorder of the drawing calls.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "cumulor/map/draw/map_overlays.h"
#include "cumulor/map/draw/map_palette.h"
#include "cumulor/map/symbols/map_symbols.h"
#include "cumulor/map/view/map_view.h"
#include "platform/gdi/gdi.h"
#include "platform/gdi/gdi_seams.h"
#include "platform/testing/device_test.h"

namespace cumulor::testing {

inline constexpr std::int32_t kDeg = 36000;
// Around Innsbruck: the region's corner is 5 E 45 N.
inline const GeoRect kRegion{5 * kDeg, 48 * kDeg, 17 * kDeg, 45 * kDeg};
inline const GeoPoint kCentre{11 * kDeg + 24000, 47 * kDeg + 9600};

class MapCanvasTest : public ce::testing::DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    view = std::make_unique<MapView>();
    MapInit(*view);
    MapSymbolsAttachView(view.get());
  }
  void TearDown() override {
    if (dc) {
      ce::gdi::AttachRecorder(dc, nullptr);
      SelectObject(dc, oldBitmap);
      DeleteObject(bitmap);
      DeleteDC(dc);
    }
    MapSymbolsAttachView(nullptr);
    MapSymbolsTerm();
    MapTerm(*view);
    DeviceTest::TearDown();
  }
  // A white screen of width x height, the view at `scale` over the region, centred on kCentre.
  void Open(int width, int height, std::int32_t scale, std::int32_t rotation = 0) {
    dc = CreateCompatibleDC(nullptr);
    bitmap = CreateCompatibleBitmap(dc, width, height);
    oldBitmap = SelectObject(dc, bitmap);
    const bool large = width > 240 && height > 320;
    MapSymbolsInit(large);
    MapSetScreenRect(*view, RECT{0, 0, width, height});
    MapSetStyle(*view, scale < 200, 1, scale < 51, 8, u"ft", large ? 1 : 0, 1);
    MapSetRegion(*view, kRegion, kCentre);
    MapSetScale(*view, scale);
    MapSetView(*view, kCentre.lon, kCentre.lat, rotation);
    view->dc = dc;
    MapFillBackground(*view, dc);
    ce::gdi::AttachRecorder(dc, &calls);
  }
  COLORREF Pixel(int x, int y) const { return ce::gdi::BitmapPixel(bitmap, x, y); }
  bool Recorded(const std::string& call) const {
    for (const std::string& c : calls.calls)
      if (c == call) return true;
    return false;
  }

  std::unique_ptr<MapView> view;
  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
  HGDIOBJ oldBitmap = nullptr;
  ce::gdi::CallRecorder calls;
};

}  // namespace cumulor::testing
