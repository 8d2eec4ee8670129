// The GPS reader thread extends the trail while the thread rendering the frame rebuilds the drawn
// list and draws it: the trail lock keeps the two apart.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "cumulor/map/draw/map_overlays.h"
#include "cumulor/map/layers/trail_draw.h"
#include "cumulor/data/trail/trail.h"
#include "cumulor/map/view/map_view.h"
#include "cumulor/nav/olc/olc.h"
#include "platform/gdi/gdi.h"
#include "platform/testing/device_test.h"
#include "tests/cumulor/trail_lists.h"

namespace cumulor {
namespace {

constexpr std::int32_t kDeg = 36000;

using TrailDrawThreads = ce::testing::DeviceTest;

TEST_F(TrailDrawThreads, ReaderAddsFixesWhileTheFrameIsRebuiltAndDrawn) {
  SetOlcTargetSource(nullptr);
  TrailSetSimulating(false);
  TrailInit();
  MapView view;
  MapInit(view);
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(dc, 240, 320);
  HGDIOBJ old = SelectObject(dc, bitmap);
  const GeoPoint centre{11 * kDeg, 47 * kDeg};
  MapSetScreenRect(view, RECT{0, 0, 240, 320});
  MapSetRegion(view, GeoRect{10 * kDeg, 48 * kDeg, 12 * kDeg, 46 * kDeg}, centre);
  MapSetScale(view, 20);
  MapSetView(view, centre.lon, centre.lat, 0);
  const TrailBox box{view.view.left, view.view.top, view.view.right, view.view.bottom};

  // The reader appends a fixed number of fixes (ranking a stretch every 97) and ends; the frame
  // loop runs a fixed number of rebuilds and draws. Neither waits for the other.
  constexpr int kFixes = 600;
  constexpr int kFrames = 60;
  std::thread reader([&] {
    for (int i = 0; i < kFixes; ++i) {
      GpsFix f;
      f.position = GeoPoint{centre.lon + (i % 7) * 30, centre.lat + i * 20};
      f.verticalSpeed = static_cast<float>(i % 5) - 2.0f;
      TrailAddFix(f, true);
    }
  });
  for (int frame = 0; frame < kFrames; ++frame) {
    TrailSetMode(box, frame % 3 == 0 ? 0 : 6, frame % 3 == 0 ? 1 : 100);
    MapFillBackground(view, dc);
    TrailDrawSimplified(view, dc, false);
  }
  reader.join();
  TrailSetMode(box, 0, 1);
  EXPECT_EQ(FullTrail().size(), static_cast<std::size_t>(kFixes));
  EXPECT_FALSE(DrawnTrail().empty());
  TrailClear();
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
  MapTerm(view);
}

}  // namespace
}  // namespace cumulor
