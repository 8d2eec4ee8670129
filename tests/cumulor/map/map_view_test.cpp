// The map projection: placement of the centre, rotation, the visible box, the grid origin, the
// round trip over wide regions and the pan.
#include "cumulor/map/view/map_view.h"

#include <gtest/gtest.h>

#include <cmath>

#include <cstdlib>
#include <memory>

#include "platform/kernel/system_info.h"
#include "platform/testing/device_test.h"

namespace cumulor {
namespace {

constexpr std::int32_t kDeg = 36000;

class MapViewTest : public ce::testing::DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    view_ = std::make_unique<MapView>();
    MapInit(*view_);
  }
  void TearDown() override {
    MapTerm(*view_);
    DeviceTest::TearDown();
  }
  // A 240x320 screen over a region with the given corner, centred on `centre`.
  MapView& Setup(const GeoRect& region, GeoPoint centre, std::int32_t scale, std::int32_t rotation = 0) {
    MapSetScreenRect(*view_, RECT{0, 0, 240, 320});
    MapSetRegion(*view_, region, centre);
    MapSetScale(*view_, scale);
    MapSetView(*view_, centre.lon, centre.lat, rotation);
    return *view_;
  }
  std::unique_ptr<MapView> view_;
};

const GeoRect kAlps{5 * kDeg, 48 * kDeg, 17 * kDeg, 45 * kDeg};
const GeoPoint kInnsbruck{11 * kDeg + 24000, 47 * kDeg + 9600};

TEST_F(MapViewTest, CentreLandsAtTwoThirdsOfTheHeightAndRotationTurnsAboutIt) {
  struct Case {
    std::int32_t rotation;
    GeoPoint offset;  // from the centre, GeoPoint units
    int dxSign, dySign;  // expected side of the centre on screen
  } cases[] = {
      {0, {0, 0}, 0, 0},
      {0, {0, 1000}, 0, -1},      // north: straight above
      {0, {1000, 0}, 1, 0},       // east: right
      {90, {0, 1000}, -1, 0},     // north at rotation 90: left, on the centre's row
      {180, {0, 1000}, 0, 1},     // north at rotation 180: below
  };
  for (const Case& c : cases) {
    MapView& v = Setup(kAlps, kInnsbruck, 10, c.rotation);
    POINT p{};
    MapWorldToScreen(v, p, GeoPoint{kInnsbruck.lon + c.offset.lon, kInnsbruck.lat + c.offset.lat});
    auto sign = [](long d) { return d > 0 ? 1 : (d < 0 ? -1 : 0); };
    EXPECT_EQ(sign(p.x - 120), c.dxSign) << "rotation " << c.rotation;
    EXPECT_EQ(sign(p.y - 213), c.dySign) << "rotation " << c.rotation;
  }
  POINT centre{};
  MapWorldToScreen(*view_, centre, kInnsbruck);
  EXPECT_EQ(centre.x, 120);
  EXPECT_EQ(centre.y, 213);
}

TEST_F(MapViewTest, FactorsRingAndArcStepFollowTheScale) {
  MapView& v = Setup(kAlps, kInnsbruck, 10);
  EXPECT_EQ(v.yFactor, 742);
  EXPECT_EQ(v.cosLatFactor, 6785);  // cos(47.27 degrees)
  EXPECT_EQ(v.xFactor, 503);
  EXPECT_EQ(v.ringRadius, 11);      // 500 m
  EXPECT_NEAR(v.arcStep, (10 / 51.0 + 1) * 0.0174532925, 1e-9);
  // A scale of 0 or below is refused: the projection stays as it was.
  MapSetScale(v, 0);
  MapSetScale(v, -5);
  EXPECT_EQ(v.scale, 10);
  EXPECT_EQ(v.yFactor, 742);
}

// At the first start the region comes after the scale (made with no known position): a circle is
// round at once, not only after the next zoom change.
TEST_F(MapViewTest, ANewRegionKeepsCirclesRoundWithoutAScaleChange) {
  Setup(GeoRect{-kDeg, kDeg, kDeg, -kDeg}, GeoPoint{0, 0}, 10);
  const GeoPoint centre{6 * kDeg, 51 * kDeg};
  MapSetRegion(*view_, GeoRect{5 * kDeg, 52 * kDeg, 7 * kDeg, 50 * kDeg}, centre);
  MapSetView(*view_, centre.lon, centre.lat, 0);
  POINT middle{}, north{}, east{};
  MapWorldToScreen(*view_, middle, centre);
  // 2 km to the north and to the east (the east offset widened by 1 / cos(51 degrees)).
  const std::int32_t units = 2000 * 36000 / 111195;
  MapWorldToScreen(*view_, north, GeoPoint{centre.lon, centre.lat + units});
  MapWorldToScreen(*view_, east, GeoPoint{centre.lon + static_cast<std::int32_t>(units / std::cos(51 * 0.0174532925)), centre.lat});
  EXPECT_NEAR(east.x - middle.x, middle.y - north.y, 1);
}

TEST_F(MapViewTest, VisibleBoxClampsAtThePolesAndTheDateLine) {
  struct Case {
    GeoPoint centre;
    std::int32_t scale;
    GeoRect expectedClamps;  // 0: not clamped on that side
  } cases[] = {
      {{179 * kDeg + 30000, 0}, 200, {0, 0, 6480000, 0}},
      {{-179 * kDeg - 30000, 0}, 200, {-6480000, 0, 0, 0}},
      {{0, 89 * kDeg + 30000}, 200, {0, 3240000, 0, 0}},
      {{0, -89 * kDeg - 30000}, 200, {0, 0, 0, -3240000}},
      {{0, 0}, 2000, {-6480000, 3240000, 6480000, -3240000}},  // 2000 km/240 px: not quite
  };
  for (const Case& c : cases) {
    MapView& v = Setup(GeoRect{c.centre.lon - kDeg, c.centre.lat + kDeg, c.centre.lon + kDeg, c.centre.lat - kDeg},
                       c.centre, c.scale);
    const std::int64_t h = (320LL * 50000) / (v.yFactor * 6LL);
    auto expect = [&](std::int32_t clamp, std::int32_t got, std::int64_t unclamped) {
      if (clamp != 0 && std::llabs(unclamped) > std::llabs(static_cast<long long>(clamp))) {
        EXPECT_EQ(got, clamp);
      } else {
        EXPECT_EQ(got, unclamped);
      }
    };
    expect(c.expectedClamps.left, v.view.left, static_cast<std::int64_t>(c.centre.lon) - h);
    expect(c.expectedClamps.top, v.view.top, static_cast<std::int64_t>(c.centre.lat) + h);
    expect(c.expectedClamps.right, v.view.right, static_cast<std::int64_t>(c.centre.lon) + h);
    expect(c.expectedClamps.bottom, v.view.bottom, static_cast<std::int64_t>(c.centre.lat) - h);
  }
  // The first four reach past the edge they clamp at.
  MapView& v = Setup(GeoRect{179 * kDeg, kDeg, 180 * kDeg, -kDeg}, GeoPoint{179 * kDeg + 30000, 0}, 200);
  EXPECT_EQ(v.view.right, 6480000);
}

TEST_F(MapViewTest, GridOriginTruncatesTowardZero) {
  struct Case {
    std::int32_t west, south, gridX, gridY;
  } cases[] = {
      {-54000, 45 * kDeg + 100, -36000, 45 * kDeg},  // -1.5 degrees -> -1
      {54000, -54000, 36000, -36000},
      {-10, 10, 0, 0},
  };
  for (const Case& c : cases) {
    MapSetRegion(*view_, GeoRect{c.west, c.south + kDeg, c.west + kDeg, c.south}, GeoPoint{c.west, c.south});
    EXPECT_EQ(view_->gridOriginX, c.gridX);
    EXPECT_EQ(view_->gridOriginY, c.gridY);
    EXPECT_EQ(view_->originOffsetX, -c.west);
    EXPECT_EQ(view_->originOffsetY, -c.south);
  }
}

// At the closest zoom a point 20 degrees from the region's corner is about 530000 pixels away:
// far past what 32-bit products hold. It projects where the arithmetic says and converts back. (At
// quarter turns the integer sine and cosine are exact; other angles scale by up to 0.2 per cent.)
TEST_F(MapViewTest, WideRegionsProjectAndConvertBackAtTheClosestZoom) {
  const GeoRect region{0, 20 * kDeg, 20 * kDeg, 0};
  const GeoPoint corner{0, 0};
  const GeoPoint far{20 * kDeg, 20 * kDeg};
  for (std::int32_t rotation : {0, 90, 180, 270}) {
    MapView& v = Setup(region, GeoPoint{10 * kDeg, 10 * kDeg}, 1, rotation);
    for (const GeoPoint& p : {corner, far, GeoPoint{19 * kDeg + 12345, 3 * kDeg + 777}}) {
      POINT s{};
      MapWorldToScreen(v, s, p);
      GeoPoint back{};
      ASSERT_EQ(MapScreenToWorld(v, back, s), 1);
      // One pixel is 10000 / factor units; truncation on each side may lose one more.
      EXPECT_LE(std::abs(back.lon - p.lon), 2 * 10000 / v.xFactor + 2) << rotation;
      EXPECT_LE(std::abs(back.lat - p.lat), 2 * 10000 / v.yFactor + 2) << rotation;
    }
  }
  // Rotation 0: the far corner lies where the unwrapped products put it.
  MapView& v = Setup(region, GeoPoint{10 * kDeg, 10 * kDeg}, 1);
  POINT s{};
  MapWorldToScreen(v, s, far);
  const long long x = (20LL * kDeg * v.xFactor) / 10000 - (10LL * kDeg * v.xFactor) / 10000 + 120;
  EXPECT_EQ(s.x, x);
  EXPECT_GT(s.x, 240000);
  EXPECT_LT(s.y, -200000);
}

TEST_F(MapViewTest, ScreenPointsAreClampedForDrawing) {
  MapView& v = Setup(GeoRect{-180 * kDeg, 90 * kDeg, 180 * kDeg, -90 * kDeg}, GeoPoint{0, 0}, 1);
  // A corrupt position far outside the world.
  POINT s{};
  MapWorldToScreen(v, s, GeoPoint{2000000000, -2000000000});
  EXPECT_EQ(s.x, kMapCoordLimit);
  EXPECT_EQ(s.y, kMapCoordLimit);
}

TEST_F(MapViewTest, ScreenToWorldRefusesWithoutScale) {
  MapSetScreenRect(*view_, RECT{0, 0, 240, 320});
  GeoPoint out{7, 8};
  EXPECT_EQ(MapScreenToWorld(*view_, out, POINT{10, 10}), 0);
  EXPECT_EQ(out.lon, 7);
  EXPECT_EQ(out.lat, 8);
  // Before any scale the view can still be set (the visible box is then the whole world).
  MapSetView(*view_, 0, 0, 0);
  EXPECT_EQ(view_->view.left, -kMapWorldLon);
  EXPECT_EQ(view_->view.top, kMapWorldLat);
}

TEST_F(MapViewTest, PanMovesByPixelsInEitherOrientation) {
  struct Case {
    std::int32_t scale, rotation, dx, dy;
    std::int32_t panX, panY;
  } cases[] = {
      {10, 0, 5, 0, 100, 0},                 // v = 20 units a pixel
      {10, 0, 0, 5, 0, 60},                  // u = 10 x 6494 / 5000 = 12
      {10, 90, 5, 0, 0, -100},
      {2000, 0, 600, 0, 2400000, 0},         // 1000 x 4000 x 600 wraps in 32 bits
  };
  for (const Case& c : cases) {
    MapView& v = Setup(GeoRect{0, 50 * kDeg, 10 * kDeg, 49 * kDeg}, GeoPoint{5 * kDeg, 49 * kDeg + 18000}, c.scale,
                       c.rotation);
    v.panX = v.panY = 0;
    MapPanByPixels(v, c.dx, c.dy);
    EXPECT_EQ(v.panX, c.panX) << c.scale << "/" << c.rotation;
    EXPECT_EQ(v.panY, c.panY) << c.scale << "/" << c.rotation;
  }
}

TEST_F(MapViewTest, PopupOfKindThreeUsesTheDefaultBox) {
  MapPopup r;
  r.shown = 1;
  r.kind = 3;
  r.x = 40;
  r.y = 50;
  MapSetPopupTarget(*view_, r);
  EXPECT_EQ(view_->popup.x, 0);
  EXPECT_EQ(view_->popup.y, 50);
  r.kind = 2;
  MapSetPopupTarget(*view_, r);
  EXPECT_EQ(view_->popup.x, 40);
}

TEST_F(MapViewTest, VersionFlagFollowsTheDeviceVersion) {
  struct Case {
    DWORD major, minor;
    int flag;
  } cases[] = {{5, 2, 0}, {2, 11, 1}, {6, 12, 1}, {1, 20, 0}};
  for (const Case& c : cases) {
    ASSERT_TRUE(ce::kernel::SetDeviceOsVersion({c.major, c.minor, 100}));
    MapView v;
    MapInit(v);
    EXPECT_EQ(v.versionFlag, c.flag) << c.major << "." << c.minor;
    MapTerm(v);
  }
}

}  // namespace
}  // namespace cumulor
