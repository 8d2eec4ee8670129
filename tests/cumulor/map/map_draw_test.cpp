// The map primitives on pixels and recorded calls: scale bar, zones, airspace fills, FLARM
// markers, the popup, and what bad shapes and long outlines do to the point buffer.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "cumulor/data/airspace/airspace_shape.h"
#include "cumulor/data/task/task_point.h"
#include "cumulor/map/draw/map_airspace_draw.h"
#include "cumulor/map/draw/map_flarm_draw.h"
#include "cumulor/map/draw/map_geometry.h"
#include "cumulor/map/draw/map_overlays.h"
#include "cumulor/map/draw/map_shapes.h"
#include "cumulor/nav/flarm/flarm_traffic.h"
#include "cumulor/nav/gps/gps_fix.h"
#include "map_test_canvas.h"

namespace cumulor {
namespace {

using testing::kCentre;
using testing::kDeg;
using testing::MapCanvasTest;

using MapDrawTest = MapCanvasTest;

std::string Utf8(const WCHAR* text) {
  std::string s;
  for (; *text; ++text) s.push_back(static_cast<char>(*text));
  return s;
}

TEST_F(MapDrawTest, ScaleBarLengthAndTextFollowScaleAndUnit) {
  struct Case {
    std::int32_t scale, unit;
    const char* text;
    std::int32_t pixels;
  } cases[] = {
      {5, 8, "1sm", 77},   {10, 8, "1sm", 39},      {5, 5, "1km", 48},      {1, 6, "1000ft", 73},
      {150, 8, "20sm", 51}, {2000, 5, "500km", 60}, {3, 5, nullptr, 0},     {0, 5, nullptr, 0},
  };
  Open(240, 320, 10);
  for (const Case& c : cases) {
    MapFillBackground(*view, dc);
    calls.Clear();
    const bool drawn = MapDrawScaleBar(*view, dc, c.scale, RECT{0, 0, 240, 32}, c.unit);
    EXPECT_EQ(drawn, c.text != nullptr) << c.scale;
    if (!c.text) {
      EXPECT_TRUE(calls.calls.empty());
      continue;
    }
    std::int32_t pixels = 0;
    const WCHAR* text = nullptr;
    ASSERT_TRUE(MapScaleBarStep(c.scale, c.unit, &pixels, &text));
    EXPECT_EQ(pixels, c.pixels);
    EXPECT_EQ(Utf8(text), c.text);
    EXPECT_EQ(calls.Count("Polyline"), 1);
    // The bar at y 15 ends 5 pixels from the right, with a tick at each end.
    const int x0 = 240 - c.pixels - 5;
    EXPECT_EQ(Pixel(x0, 15), 0x000000u) << c.scale;
    EXPECT_EQ(Pixel(x0 + c.pixels - 1, 15), 0x000000u) << c.scale;
    EXPECT_EQ(Pixel(x0 - 1, 15), 0xFFFFFFu) << c.scale;
    EXPECT_EQ(Pixel(x0, 18), 0x000000u) << c.scale;
    EXPECT_EQ(Pixel(x0 + c.pixels, 11), 0x000000u) << c.scale;
  }
}

TEST_F(MapDrawTest, ZoneWithEqualRadialsIsAFullCircle) {
  Open(240, 320, 10);
  TaskPoint zone;
  zone.lon = kCentre.lon;
  zone.lat = kCentre.lat;
  zone.maxRadius = 3000;
  zone.minRadius = 500;
  zone.startRadial = zone.endRadial = 45;
  MapDrawTaskZone(*view, dc, zone, false, false);
  // 360 degrees in steps of (10 / 51 + 1) degrees, then the end point; no inner arc.
  EXPECT_TRUE(Recorded("Polygon(301)"));
  const int r = MapMetresToPixels(*view, 3000);
  EXPECT_EQ(Pixel(120, 213), 0xDFDFDFu);          // the centre is inside the filled circle
  EXPECT_EQ(Pixel(120, 213 - r + 4), 0xDFDFDFu);  // and so is every side
  EXPECT_EQ(Pixel(120 + r - 4, 213), 0xDFDFDFu);
  EXPECT_EQ(Pixel(120 - r + 4, 213), 0xDFDFDFu);
  EXPECT_EQ(Pixel(120, 213 + r + 4), 0xFFFFFFu);

  // Different radials: outer arc and inner arc back; the centre (inside the inner radius) stays
  // white, highlighted in blue.
  MapFillBackground(*view, dc);
  calls.Clear();
  zone.startRadial = 0;
  zone.endRadial = 90;
  MapDrawTaskZone(*view, dc, zone, true, true);
  ASSERT_EQ(calls.Count("Polygon"), 1);
  EXPECT_EQ(Pixel(120, 213), 0xFFFFFFu);
  EXPECT_EQ(Pixel(120, 213 - r), 0xFF0000u);  // north end of the outer arc, blue
}

AirspaceShape Square(std::int32_t halfSide, std::int32_t points = 5) {
  AirspaceShape s;
  const GeoPoint c = kCentre;
  const GeoPoint corners[5] = {{c.lon - halfSide, c.lat + halfSide},
                               {c.lon + halfSide, c.lat + halfSide},
                               {c.lon + halfSide, c.lat - halfSide},
                               {c.lon - halfSide, c.lat - halfSide},
                               {c.lon - halfSide, c.lat + halfSide}};
  for (std::int32_t i = 0; i < points; ++i) s.points.Append(corners[i % 5]);
  s.pointCount = points;
  s.bounds = {c.lon - halfSide, c.lat + halfSide, c.lon + halfSide, c.lat - halfSide};
  const char16_t name[] = u"CTR TEST";
  for (int i = 0; name[i]; ++i) s.name[i] = name[i];
  return s;
}

TEST_F(MapDrawTest, OutlineOnlyClassIsNeverFilledAndPatternedFillsCombineWithXor) {
  Open(240, 320, 10);
  const MapPalette& p = MapPens();
  HBRUSH oldBrush = static_cast<HBRUSH>(SelectObject(dc, p.pattern[0]));  // black and 0xFFFF00
  HPEN oldPen = static_cast<HPEN>(SelectObject(dc, p.red[1]));
  SetROP2(dc, R2_XORPEN);

  AirspaceShape shape = Square(1200);
  MapDrawLabelledPolygon(*view, dc, 14, shape, false, true, false);
  EXPECT_EQ(calls.Count("Polygon"), 0);
  EXPECT_EQ(calls.Count("Polyline"), 1);
  EXPECT_EQ(Pixel(130, 223), 0xFFFFFFu);  // inside, untouched

  // A patterned class over a grey background: each pixel is the background XOR the pattern's
  // colour, and the outline drawn again in copy mode is the pen's own colour.
  RECT grey{0, 0, 240, 320};
  HBRUSH greyBrush = CreateSolidBrush(0x404040);
  FillRect(dc, &grey, greyBrush);
  DeleteObject(greyBrush);
  calls.Clear();
  MapDrawLabelledPolygon(*view, dc, 8, shape, true, true, false);
  EXPECT_EQ(calls.Count("Polygon"), 1);
  const COLORREF a = Pixel(130, 222);
  const COLORREF b = Pixel(131, 222);
  EXPECT_TRUE((a == 0x404040u && b == (0x404040u ^ 0xFFFF00u)) || (b == 0x404040u && a == (0x404040u ^ 0xFFFF00u)))
      << std::hex << a << " " << b;
  POINT corner{};
  MapWorldToScreen(*view, corner, shape.points[0]);
  EXPECT_EQ(Pixel(corner.x + 10, corner.y), 0x0000FFu);  // top edge, red, copied
  EXPECT_EQ(SetROP2(dc, R2_COPYPEN), R2_XORPEN);          // the caller's mode is kept
  // One label at the middle of the bounds, its rectangle stored.
  EXPECT_EQ(shape.labelCount, 1);
  EXPECT_TRUE(Recorded("DrawTextW(\"CTR TEST\",293)"));
  EXPECT_LT(shape.labelRects[0].left, 120);
  EXPECT_GT(shape.labelRects[0].right, 120);
  SelectObject(dc, oldBrush);
  SelectObject(dc, oldPen);
}

TEST_F(MapDrawTest, BadShapesAreCutOrSkipped) {
  Open(240, 320, 10);
  struct Case {
    std::int32_t points, declared;
    int polygonCalls;
    const char* polygon;
  } cases[] = {
      {0, 0, 0, nullptr},           // no points: nothing
      {0, 40, 0, nullptr},          // a count without points behind it
      {3000, 3000, 1, "Polygon(2100)"},
      {10, 4000, 1, "Polygon(10)"},  // the count says more than the array holds
  };
  for (const Case& c : cases) {
    calls.Clear();
    AirspaceShape shape = Square(1000, c.points);
    shape.pointCount = c.declared;
    MapDrawLabelledPolygon(*view, dc, 3, shape, true, false, false);
    EXPECT_EQ(calls.Count("Polygon"), c.polygonCalls) << c.points;
    if (c.polygon) {
      EXPECT_TRUE(Recorded(c.polygon)) << c.points;
    } else {
      EXPECT_TRUE(calls.calls.empty());
    }
  }
}

TEST_F(MapDrawTest, ArcBuffersNeverHoldMoreThan2100Points) {
  Open(240, 320, 1);
  for (int i = 0; i < 8; ++i) MapBuildArc(*view, 1, 10, 10, kCentre, 5000 + 100 * i, i > 0);
  EXPECT_EQ(view->pointCount, kMapPointBufferSize);
  // A span of 90 degrees counter-clockwise: (start - end) in steps, then the end point.
  MapBuildArc(*view, -1, 90, 0, kCentre, 1000, false);
  const int steps = static_cast<int>(90 * 0.01745329251994328 / view->arcStep);
  EXPECT_EQ(view->pointCount, steps + 1);
  // A sector starts at its centre.
  MapBuildSector(*view, kCentre, 2000, 0.0, 1.0, true);
  EXPECT_EQ(view->points[0].x, 120);
  EXPECT_EQ(view->points[0].y, 213);
}

// Arcs and sectors built again come out as when first built on a thread of their own, whatever
// changed since: the same inputs, the radius, the bearings, the centre, the zoom, the view and the
// direction, each in turn; every change moves the points.
TEST_F(MapDrawTest, ArcsAndSectorsBuiltAgainFollowEveryChange) {
  Open(240, 320, 10);
  struct Build {
    const char* what;
    int kind;  // 0: a sector; 1, -1: an arc that way
    GeoPoint centre;
    std::uint32_t radius;
    double from, to;  // radians for a sector, degrees for an arc
    std::int32_t scale;
    GeoPoint view;
  };
  const GeoPoint east{kCentre.lon + 900, kCentre.lat};
  const Build builds[] = {
      {"a sector", 0, kCentre, 3000, 0.5, 2.0, 10, kCentre},
      {"the same again", 0, kCentre, 3000, 0.5, 2.0, 10, kCentre},
      {"a larger radius", 0, kCentre, 3500, 0.5, 2.0, 10, kCentre},
      {"other bearings", 0, kCentre, 3500, 0.7, 2.4, 10, kCentre},
      {"another centre", 0, east, 3500, 0.7, 2.4, 10, kCentre},
      {"another zoom", 0, east, 3500, 0.7, 2.4, 20, kCentre},
      {"the view moved", 0, east, 3500, 0.7, 2.4, 20, east},
      {"an arc", 1, east, 3500, 30, 120, 20, east},
      {"the other way", -1, east, 3500, 30, 120, 20, east},
      {"the first sector again", 0, kCentre, 3000, 0.5, 2.0, 10, kCentre},
  };
  auto build = [&](const Build& b) {
    MapSetScale(*view, b.scale);
    MapSetView(*view, b.view.lon, b.view.lat, 0);
    if (b.kind == 0) {
      MapBuildSector(*view, b.centre, b.radius, b.from, b.to, true);
    } else {
      MapBuildArc(*view, b.kind, static_cast<std::int32_t>(b.from), static_cast<std::int32_t>(b.to), b.centre,
                  b.radius, false);
    }
    std::vector<std::pair<LONG, LONG>> points;
    for (std::int32_t i = 0; i < view->pointCount; ++i) points.emplace_back(view->points[i].x, view->points[i].y);
    return points;
  };
  std::vector<std::pair<LONG, LONG>> before;
  for (const Build& b : builds) {
    const auto again = build(b);
    std::vector<std::pair<LONG, LONG>> first;
    std::thread([&] { first = build(b); }).join();
    EXPECT_EQ(again, first) << b.what;
    EXPECT_GT(again.size(), 10u) << b.what;
    if (&b != &builds[1]) {
      EXPECT_NE(again, before) << b.what;
    }
    before = again;
  }
}

TEST_F(MapDrawTest, PolylineOfFixesNeedsTwoAndGrowsItsBuffer) {
  Open(240, 320, 10);
  std::vector<GpsFix> fixes(40);
  for (int i = 0; i < 40; ++i) fixes[i].position = GeoPoint{kCentre.lon + i * 30, kCentre.lat + i * 10};
  MapDrawPolyline(*view, dc, fixes.data(), 1, 3, true);
  EXPECT_TRUE(calls.calls.empty());
  MapDrawPolyline(*view, dc, fixes.data(), 40, 0, true);
  EXPECT_TRUE(Recorded("Polyline(40)"));
  EXPECT_GE(view->polylineCapacity, 40);
}

TEST_F(MapDrawTest, FlarmAlarmOfTypeThreeIsASquareAtEveryLevel) {
  Open(240, 320, 10);
  for (int level = 0; level <= 4; ++level) {
    for (int type : {2, 3}) {
      calls.Clear();
      FlarmStatus status;
      status.position = kCentre;
      status.alarmLevel = level;
      status.alarmType = type;
      status.relativeVertical = -120;
      status.relativeDistance = 450;
      status.relativeBearing = 30;
      MapDrawFlarmTarget(*view, dc, status);
      const int r = level == 0 ? 4 : level == 1 ? 6 : level == 2 ? 8 : level == 3 ? 10 : 6;
      const std::string box = "(" + std::to_string(120 - r) + "," + std::to_string(213 - r) + "," +
                              std::to_string(120 + r) + "," + std::to_string(213 + r) + ")";
      EXPECT_TRUE(Recorded((type == 3 ? "Rectangle" : "Ellipse") + box)) << level << "/" << type;
      EXPECT_EQ(calls.Count(type == 3 ? "Ellipse" : "Rectangle"), 0);
      EXPECT_TRUE(Recorded("DrawTextW(\"-120/450m\"," + std::to_string(DT_SINGLELINE | DT_NOCLIP) + ")")) << level;
    }
  }
}

TEST_F(MapDrawTest, PopupOfKindThreeUsesTheDefaultBox) {
  Open(240, 320, 10);
  MapPopup popup;
  popup.kind = kPopupStatusLine;
  popup.x = 30;
  popup.y = 40;
  popup.width = 10;
  popup.lines = 2;
  popup.text = u"Starting Simulator...";
  MapSetPopupTarget(*view, popup);
  MapDrawPointPopup(*view, dc);
  EXPECT_TRUE(Recorded("RoundRect(5,47,235,293,10,10)"));
  EXPECT_EQ(view->popupBox.left, 5);
  EXPECT_EQ(view->popupBox.bottom, 290);
  EXPECT_EQ(calls.Count("DrawTextW"), 2);  // measured, then drawn

  // An empty text: the box and no text. Kind 2 at a place: two buttons below the box.
  calls.Clear();
  popup.text = nullptr;
  MapSetPopupTarget(*view, popup);
  MapDrawPointPopup(*view, dc);
  EXPECT_EQ(calls.Count("RoundRect"), 1);
  EXPECT_EQ(calls.Count("DrawTextW"), 0);
  calls.Clear();
  popup.kind = 2;
  popup.state = 3;
  popup.text = u"LOWI\nInnsbruck";
  MapSetPopupTarget(*view, popup);
  MapDrawPointPopup(*view, dc);
  EXPECT_TRUE(Recorded("DrawTextW(\"GoTo\",37)"));
  EXPECT_TRUE(Recorded("DrawTextW(\"->Task\",37)"));
  EXPECT_EQ(view->popup.buttons[0].top, view->popupBox.bottom + 3 - 20);
}

}  // namespace
}  // namespace cumulor
