// The wind history: the ring, the slices' means, the view's taps and its paints.
#include <gtest/gtest.h>

#include <memory>

#include "cumulor/map/windview/wind_profile.h"
#include "platform/gdi/gdi.h"
#include "platform/gdi/gdi_seams.h"
#include "platform/testing/device_test.h"

namespace cumulor {
namespace {

class WindProfileTest : public ce::testing::DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    view = std::make_unique<WindProfileView>();
    InitWindProfileView(*view);
    closed = 0;
    shownFlag = 1;
    SetupWindProfileView(*view, false, false, &shownFlag, [] { ++closed; });
    LayoutWindProfileView(*view, RECT{0, 0, 240, 320}, 24);
  }
  void TearDown() override {
    if (dc) {
      SelectObject(dc, old);
      DeleteObject(bitmap);
      DeleteDC(dc);
    }
    DeviceTest::TearDown();
  }
  void Push(std::uint16_t altitude, std::int16_t direction, float speed) {
    PushWindSample(*view, WindSample{0, altitude, direction, speed});
  }
  HDC Canvas() {
    if (!dc) {
      dc = CreateCompatibleDC(nullptr);
      bitmap = CreateCompatibleBitmap(dc, 240, 320);
      old = SelectObject(dc, bitmap);
    }
    return dc;
  }
  POINT Middle(WindButton b) const {
    const RECT& r = view->button[b];
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  }
  std::int32_t Tap(WindButton b, UINT message = 513) {
    const POINT p = Middle(b);
    return WindProfileTap(*view, p.x, p.y, message);
  }

  std::unique_ptr<WindProfileView> view;
  static inline int closed = 0;
  std::int32_t shownFlag = 1;
  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
  HGDIOBJ old = nullptr;
};

TEST_F(WindProfileTest, SlicesKeepTheMeanOfTheirFourNewestSamples) {
  // Oldest first; the first one falls out of the slice's four.
  Push(50, 90, 100.0f);
  Push(60, 10, 10.0f);
  Push(70, 10, 20.0f);
  Push(80, 10, 30.0f);
  Push(90, 10, 40.0f);
  FillWindSlices(*view, false);  // 200 m slices
  const WindSlice& s = view->slices[0];
  EXPECT_EQ(s.count, 4);
  EXPECT_EQ(s.direction, 10);
  EXPECT_DOUBLE_EQ(WindSliceSpeed(s, false), 25.0);
  EXPECT_NEAR(WindSliceSpeed(s, true), 25.0 * 0.539968, 1e-9);

  // Across north the mean moves by the short way round: newest 350, then 10.
  Push(400, 10, 10.0f);
  Push(410, 350, 10.0f);
  FillWindSlices(*view, false);
  EXPECT_EQ(view->slices[2].direction, 0);
  // Feet: 410 m is 1345 ft, slice 2 of 600 ft.
  FillWindSlices(*view, true);
  EXPECT_EQ(view->slices[2].count, 2);
}

TEST_F(WindProfileTest, TheRingKeepsTheNewest512) {
  // Sample i at altitude 10 * i: the first lands in slice 0 (0..199 m) alone once 512 more follow.
  for (int i = 0; i < 513; ++i) Push(static_cast<std::uint16_t>(i == 0 ? 0 : 200 + i), 0, 5.0f);
  EXPECT_EQ(view->sampleCount, 513);
  FillWindSlices(*view, false);
  EXPECT_EQ(view->slices[0].count, 0) << "the oldest sample was overwritten";
  EXPECT_GT(view->slices[1].count, 0);
  ResetWindHistory(*view);
  EXPECT_EQ(view->sampleCount, 0);
  FillWindSlices(*view, false);
  for (const WindSlice& s : view->slices) EXPECT_EQ(s.count, 0);
}

TEST_F(WindProfileTest, TapsOnTheButtons) {
  view->step = 3;
  EXPECT_EQ(Tap(kWindSliceUp), 1);
  EXPECT_EQ(view->step, 3);
  EXPECT_EQ(Tap(kWindSliceDown), 1);
  EXPECT_EQ(view->step, 2);
  view->step = 0;
  view->scroll = 4;
  EXPECT_EQ(Tap(kWindSliceDown), 1);
  EXPECT_EQ(view->step, 0);
  EXPECT_EQ(view->scroll, 0);

  view->moreAbove = false;
  EXPECT_EQ(Tap(kWindUp), 0) << "nothing above: Up is not there";
  view->moreAbove = true;
  EXPECT_EQ(Tap(kWindUp), 1);
  EXPECT_EQ(view->scroll, 1);
  EXPECT_TRUE(view->held);
  EXPECT_EQ(Tap(kWindUp, 514), 1);
  EXPECT_FALSE(view->held);
  EXPECT_EQ(Tap(kWindDown), 1);
  EXPECT_EQ(Tap(kWindDown), 1);
  EXPECT_EQ(view->scroll, 0);
  EXPECT_EQ(WindProfileTap(*view, 200, 100, 513), 0);

  EXPECT_EQ(Tap(kWindOk), 1);
  EXPECT_EQ(shownFlag, 0);
  EXPECT_EQ(closed, 1);
}

TEST_F(WindProfileTest, AnEmptyViewClosesItselfAtTheFourthPaint) {
  const WindProfileUnits units;
  for (int i = 0; i < 3; ++i) PaintWindProfileView(*view, Canvas(), units);
  EXPECT_EQ(shownFlag, 1);
  PaintWindProfileView(*view, Canvas(), units);
  EXPECT_EQ(shownFlag, 0);
  EXPECT_EQ(closed, 1);
}

TEST_F(WindProfileTest, ButtonsShowOnlyWhereTheyAct) {
  Push(100, 270, 30.0f);
  const WindProfileUnits units;
  const COLORREF white = RGB(255, 255, 255);
  struct {
    std::int32_t step;
    bool sliceUp, sliceDown;
  } cases[] = {{0, true, false}, {1, true, true}, {3, false, true}};
  for (const auto& c : cases) {
    view->step = c.step;
    PaintWindProfileView(*view, Canvas(), units);
    const POINT up = Middle(kWindSliceUp), down = Middle(kWindSliceDown);
    EXPECT_EQ(ce::gdi::BitmapPixel(bitmap, 2, up.y) != white, c.sliceUp) << c.step;
    EXPECT_EQ(ce::gdi::BitmapPixel(bitmap, 2, down.y) != white, c.sliceDown) << c.step;
  }
}

// The simulator's demonstration history as a picture (wind_profile.png) for a look.
TEST_F(WindProfileTest, DemonstrationAsPicture) {
  SetupWindProfileView(*view, false, true, &shownFlag, nullptr);
  WindProfileUnits units;
  units.altitude = 420.0;
  PaintWindProfileView(*view, Canvas(), units);
  EXPECT_TRUE(view->moreAbove);
  EXPECT_TRUE(ce::gdi::SaveBitmapPng(bitmap, "wind_profile.png"));
}

}  // namespace
}  // namespace cumulor
