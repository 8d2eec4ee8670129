#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "cumulor/data/dialogs/aero_airspace_draw.h"
#include "tests/cumulor/map/map_test_canvas.h"

namespace cumulor {
namespace {

using testing::kCentre;

class AeroAirspaceDraw : public testing::MapCanvasTest {};

TEST_F(AeroAirspaceDraw, TheLabelIsCentredUpToAZoomScaleOf100) {
  AeroAirspace a{};
  a.airspaceClass = 12;
  std::strcpy(a.shortName, "ED-R1");
  std::strcpy(a.longName, "RANGE");
  a.centre = kCentre;
  a.points.Append(GeoPoint{kCentre.lon - 600, kCentre.lat - 600});
  a.points.Append(GeoPoint{kCentre.lon + 600, kCentre.lat - 600});
  a.points.Append(GeoPoint{kCentre.lon, kCentre.lat + 600});
  Open(240, 320, 100);
  std::vector<POINT> points;   // grown by the drawing
  RECT label{1, 1, 1, 1};
  DrawAeroAirspace(a, dc, *view, points, 100, label, false, true);
  ASSERT_GE(points.size(), 3u);
  POINT centre{};
  MapWorldToScreen(*view, centre, kCentre);
  EXPECT_EQ(label.left, centre.x - 50);
  EXPECT_EQ(label.right, centre.x + 50);
  EXPECT_EQ(label.top, centre.y - 10);
  EXPECT_EQ(label.bottom, centre.y + 10);
  // The outline is drawn in the class colour.
  bool red = false;
  for (int x = 0; x < 240 && !red; ++x)
    for (int y = 0; y < 320 && !red; ++y) red = Pixel(x, y) == RGB(255, 0, 0);
  EXPECT_TRUE(red);

  DrawAeroAirspace(a, dc, *view, points, 101, label, true, true);
  EXPECT_EQ(label.left, 0);
  EXPECT_EQ(label.right, 0);
  EXPECT_EQ(label.top, 0);
  EXPECT_EQ(label.bottom, 0);
}

}  // namespace
}  // namespace cumulor
