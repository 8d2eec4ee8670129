// A frame composed from the primitives at both screen sizes, saved as PNG for a person to look at
// (map_frame_240x320.png and map_frame_480x640.png in the test's build folder).
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "cumulor/data/airspace/airspace_shape.h"
#include "cumulor/data/task/task_point.h"
#include "cumulor/map/draw/map_aircraft.h"
#include "cumulor/map/draw/map_airspace_draw.h"
#include "cumulor/map/draw/map_flarm_draw.h"
#include "cumulor/map/draw/map_marks.h"
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

using MapFrameTest = MapCanvasTest;

AirspaceShape Polygon(std::initializer_list<GeoPoint> points, const char16_t* name) {
  AirspaceShape s;
  for (const GeoPoint& p : points) s.points.Append(p);
  s.points.Append(*points.begin());
  s.pointCount = s.points.Size();
  s.bounds = {points.begin()->lon, points.begin()->lat, points.begin()->lon, points.begin()->lat};
  for (const GeoPoint& p : points) {
    s.bounds.west = std::min(s.bounds.west, p.lon);
    s.bounds.east = std::max(s.bounds.east, p.lon);
    s.bounds.north = std::max(s.bounds.north, p.lat);
    s.bounds.south = std::min(s.bounds.south, p.lat);
  }
  for (int i = 0; name[i] && i < 47; ++i) s.name[i] = name[i];
  return s;
}

GeoPoint At(std::int32_t east, std::int32_t north) { return GeoPoint{kCentre.lon + east, kCentre.lat + north}; }

void ComposeFrame(MapView& view, HDC dc) {
  const MapPalette& p = MapPens();
  MapFillBackground(view, dc);
  MapDrawGrid(view, dc);

  // A restricted area filled with its pattern in XOR mode and outlined, a Class C area likewise,
  // and a terrain outline (class 14) that is never filled.
  AirspaceShape restricted = Polygon({At(-5000, 2500), At(-1000, 3500), At(-500, 800), At(-4500, 300)}, u"R 52");
  AirspaceShape classC = Polygon({At(1500, -400), At(5200, -300), At(5400, -3600), At(1800, -3000)}, u"C LOWI");
  AirspaceShape terrain = Polygon({At(-4800, -1200), At(-1500, -900), At(-2500, -3800)}, u"TO");
  SelectObject(dc, p.red[1]);
  SelectObject(dc, p.pattern[0]);
  SetROP2(dc, R2_XORPEN);
  MapDrawLabelledPolygon(view, dc, 8, restricted, true, true, false);
  SelectObject(dc, p.classColour[2]);
  SelectObject(dc, p.pattern[1]);
  MapDrawLabelledPolygon(view, dc, 3, classC, true, true, false);
  SetROP2(dc, R2_COPYPEN);
  SelectObject(dc, p.black[1]);
  MapDrawLabelledPolygon(view, dc, 14, terrain, true, false, true);

  // A task: a leg line, a cylinder turnpoint, an area with two radials, a start sector.
  TaskPoint cylinder;
  cylinder.lon = At(3000, 2500).lon;
  cylinder.lat = At(3000, 2500).lat;
  cylinder.maxRadius = 700;
  cylinder.startRadial = cylinder.endRadial = 0;
  TaskPoint area = cylinder;
  area.lon = At(-2800, -2000).lon;
  area.lat = At(-2800, -2000).lat;
  area.maxRadius = 1800;
  area.minRadius = 600;
  area.startRadial = 200;
  area.endRadial = 300;
  MapDrawLine(view, dc, GeoPoint{cylinder.lon, cylinder.lat}, GeoPoint{area.lon, area.lat}, true);
  MapDrawTaskZone(view, dc, cylinder, true, false);
  MapDrawTaskZone(view, dc, area, false, true);
  {
    SelectObject(dc, p.green[2]);
    SelectObject(dc, p.hollow);
    MapDrawSector(view, dc, At(3000, 2500), 1500, 3.9, 1.5707963);
  }
  MapDrawMarker(view, dc, At(3000, 2500), false, "TP1");

  // The own aircraft heading 30 degrees with a 25 km/h wind from 250 degrees, a free wind arrow,
  // the compass and the scale bar.
  GpsFix fix;
  fix.position = kCentre;
  fix.pressureAltitude = 1800;
  POINT aircraft{};
  RECT windBox{};
  MapDrawGlider(view, dc, 30.0, fix, &aircraft, MapWind{250, 25.0f}, true, &windBox, p.solid[kBrushYellow]);
  const bool large = view.largeScreen != 0;
  MapDrawWindArrow(view, dc, POINT{view.screen.right - (large ? 60 : 30), view.screen.bottom - (large ? 120 : 60)},
                   MapWind{70, 18.0f}, true);
  MapDrawCompass(view, dc, -15.0);
  MapDrawScaleBar(view, dc, view.scale, RECT{0, 0, view.screen.right, large ? 50 : 32}, 5);

  // FLARM: the alarm target (type 3, level 3) and two targets of the traffic table.
  FlarmStatus alarm;
  alarm.position = At(1300, 900);
  alarm.alarmLevel = 3;
  alarm.alarmType = 3;
  alarm.relativeVertical = 60;
  alarm.relativeDistance = 620;
  alarm.relativeBearing = 35;
  MapDrawFlarmTarget(view, dc, alarm);
  FlarmTarget circling;
  circling.positionCount = 3;
  circling.turnRate = 12.0f;
  circling.climbRate = 2.4f;
  circling.relativeVertical = -150;
  circling.alarmLevel = 0;
  const char id1[] = "DD8F12";
  for (int i = 0; i < 6; ++i) circling.id[i] = id1[i];
  for (int i = 0; i < 3; ++i) {
    POINT s{};
    MapWorldToScreen(view, s, At(-1800 + 150 * i, 1500 + 120 * i));
    circling.screen[i] = {s.x, s.y};
  }
  MapDrawFlarmInfo(view, dc, circling, -1);
  FlarmTarget cruising = circling;
  cruising.turnRate = 0.0f;
  cruising.track = 120;
  cruising.alarmLevel = 1;
  cruising.relativeVertical = 240;
  const char id2[] = "3E4A01";
  for (int i = 0; i < 6; ++i) cruising.id[i] = id2[i];
  for (int i = 0; i < 3; ++i) {
    POINT s{};
    MapWorldToScreen(view, s, At(900 - 200 * i, -1500 + 100 * i));
    cruising.screen[i] = {s.x, s.y};
  }
  MapDrawFlarmInfo(view, dc, cruising, 1);

  // The go-to popup of a point.
  MapPopup popup;
  popup.shown = 1;
  popup.kind = 2;
  popup.state = 3;
  popup.x = view.screen.right / 8;
  popup.y = large ? 70 : 35;
  popup.width = 16;
  popup.lines = 2;
  popup.text = u"LOWI Innsbruck\n1907 ft";
  MapSetPopupTarget(view, popup);
  MapDrawPointPopup(view, dc);
}

TEST_F(MapFrameTest, FrameIsComposedAtBothScreenSizes) {
  for (const SIZE size : {SIZE{240, 320}, SIZE{480, 640}}) {
    if (dc) {
      ce::gdi::AttachRecorder(dc, nullptr);
      SelectObject(dc, oldBitmap);
      DeleteObject(bitmap);
      DeleteDC(dc);
      dc = nullptr;
    }
    Open(size.cx, size.cy, size.cx > 240 ? 10 : 20);  // the same area on both screens
    ComposeFrame(*view, dc);
    const std::string name = "map_frame_" + std::to_string(size.cx) + "x" + std::to_string(size.cy) + ".png";
    ASSERT_TRUE(ce::gdi::SaveBitmapPng(bitmap, name));
    EXPECT_GT(std::filesystem::file_size(name), 2000u);
    // The aircraft sits at the map centre (two thirds down) in its ring.
    const int cx = size.cx / 2;
    const int cy = static_cast<int>(size.cy * (2.0f / 3.0f));
    int dark = 0, ring = 0;
    for (int y = cy - 20; y <= cy + 20; ++y) {
      for (int x = cx - 20; x <= cx + 20; ++x) {
        dark += Pixel(x, y) == 0 ? 1 : 0;
        ring += Pixel(x, y) == 0x66FFFFu ? 1 : 0;
      }
    }
    EXPECT_GT(dark, 8) << size.cx;
    EXPECT_GT(ring, 200) << size.cx;
  }
}

}  // namespace
}  // namespace cumulor
