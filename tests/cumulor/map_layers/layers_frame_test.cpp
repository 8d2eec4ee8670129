// A frame of the map layers composed at both screen sizes and saved as PNG for a person to look
// at (layers_frame_240x320.png, layers_frame_480x640.png in the test's build folder), with the
// label list it leaves for the pen.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "cumulor/data/aero/visible_data.h"
#include "cumulor/map/draw/map_aircraft.h"
#include "cumulor/map/layers/point_labels_draw.h"
#include "cumulor/map/layers/task_draw.h"
#include "cumulor/map/layers/trail_dialog.h"
#include "cumulor/map/layers/trail_draw.h"
#include "cumulor/map/symbols/map_symbols.h"
#include "cumulor/data/trail/trail.h"
#include "cumulor/nav/olc/olc.h"
#include "cumulor/nav/polar/polar.h"
#include "layers_fixture.h"
#include "platform/dialogs/dialogs.h"

namespace cumulor {
namespace {

using testing::At;
using testing::kCentre;

class LayersFrameTest : public testing::LayersTest {
 protected:
  void SetUp() override {
    LayersTest::SetUp();
    MapSymbolsAttachView(view.get());
    SetOlcTargetSource(nullptr);
    TrailInit();
    FlightStateDefaults(flight);
    ComputePolar(flight);
    flight.altitude = 2200;
  }
  void TearDown() override {
    OlcSetShowRoute(false);
    TrailClear();
    MapSymbolsAttachView(nullptr);
    MapSymbolsTerm();
    LayersTest::TearDown();
  }
  FlightState flight;
};

// A flight from the south-west that circles twice and heads north-east past the centre.
void FlyTrail() {
  for (int i = 0; i < 60; ++i) {
    GpsFix f;
    f.position = At(-4500 + i * 120, -2600 + i * 110);
    if (i >= 20 && i < 40) {
      const double a = (i - 20) * 0.63;
      f.position = At(-2100 + static_cast<int>(500 * std::cos(a)), -400 + static_cast<int>(400 * std::sin(a)));
      f.verticalSpeed = 2.5f;
    }
    f.pressureAltitude = 1500 + i * 10;
    TrailAddFix(f, true);
    if (i == 10) TrailSetOlcStart();
  }
}

TEST_F(LayersFrameTest, FrameOfLabelsTrailAndTaskAtBothScreenSizes) {
  // Two airports, three user waypoints (one a cone), a database airspace, a task with an area.
  const std::int32_t lowi = AddAirport("Innsbruck", "LOWI", At(-2500, -1200), 1906);
  AddAirport("Kufstein", "LOIK", At(3500, 4800), 1620);
  const std::int32_t hafelekar = AddWaypoint("Hafelekar", At(-600, 4200), 1 | 2);
  const std::int32_t patscher = AddWaypoint("Patscherkofel", At(3000, -2000), 1);
  AddWaypoint("ConeTP2", At(4000, 1500), 0x104);
  auto space = std::make_unique<AeroAirspace>();
  *space = AeroAirspace{};
  const GeoPoint corners[] = {At(-4500, 5000), At(-1500, 5600), At(-1000, 2500), At(-4200, 1800), At(-4500, 5000)};
  for (const GeoPoint& p : corners) space->points.Append(p);
  space->west = At(-4500, 0).lon;
  space->east = At(-1000, 0).lon;
  space->north = At(0, 5600).lat;
  space->south = At(0, 1800).lat;
  space->centre = At(-2800, 3700);
  space->airspaceClass = 4;
  std::snprintf(space->shortName, sizeof space->shortName, "CTR LOWI");
  std::snprintf(space->longName, sizeof space->longName, "INNSBRUCK CTR");
  AeroData().airspaces.push_back(std::move(space));

  TaskPoint area = Ref(kPointUserWaypoint, patscher);
  area.maxRadius = 1500;
  area.minRadius = 0;
  ActiveTask().Append(Ref(kPointAirport, lowi));
  ActiveTask().Append(Ref(kPointUserWaypoint, hafelekar));
  ActiveTask().Append(area);
  ActiveTask().Append(Ref(kPointAirport, lowi));

  VisibleAeroObjects visible;
  visible.items[kTileAirports] = {1, 2};
  visible.items[kTileUserWaypoints] = {1, 2, 3, 9};  // 9: the visible list is older than the store
  visible.airspaces = {0};

  FlyTrail();
  TrailOptimize();
  OlcSetShowRoute(true);

  LabelList labels;
  for (const SIZE size : {SIZE{240, 320}, SIZE{480, 640}}) {
    const bool large = size.cx > 240;
    MapSymbolsInit(large);
    Open(size.cx, size.cy, large ? 10 : 20);  // the same area on both screens
    TrailSetMode(TrailBox{view->view.left, view->view.top, view->view.right, view->view.bottom}, 4, 20);
    LabelTextSettings text;
    text.labelLen = 10;
    text.labelsFlag = true;
    text.highResolution = large;
    PointLabelSources sources;
    sources.visible = &visible;
    sources.flight = &flight;
    sources.text = text;
    sources.own = kCentre;
    sources.displayFlags = kShowAeroAirspace;
    sources.drawTask = [&](HDC target) {
      ComputeFaiSectors();
      DrawActiveTask(*view, target, &labels, text);
    };
    DrawPointLabels(labels, *view, dc, 20, false, sources);
    TrailDrawSimplified(*view, dc, false);
    TrailDraw(*view, dc, nullptr, false);
    GpsFix fix;
    fix.position = kCentre;
    fix.pressureAltitude = 2200;
    POINT aircraft{};
    RECT windBox{};
    MapDrawGlider(*view, dc, 40.0, fix, &aircraft, MapWind{250, 20.0f}, true, &windBox, MapPens().solid[kBrushYellow]);
    MapDrawCompass(*view, dc, 0.0);
    MapDrawScaleBar(*view, dc, view->scale, RECT{0, 0, view->screen.right, large ? 50 : 32}, 5);

    const std::string name = "layers_frame_" + std::to_string(size.cx) + "x" + std::to_string(size.cy) + ".png";
    ASSERT_TRUE(ce::gdi::SaveBitmapPng(bitmap, name));
    EXPECT_GT(std::filesystem::file_size(name), 3000u);

    // The list holds the area point's marker, both airports and the three waypoints (the stale
    // visible entry is skipped); the pen finds them by their rectangles.
    ASSERT_EQ(labels.entries.Size(), 6) << size.cx;
    EXPECT_EQ(labels.scale, 20);
    EXPECT_EQ(labels.entries[0].maxRadius, 1500);
    EXPECT_EQ(labels.entries[1].kind, kPointAirport);
    EXPECT_EQ(labels.entries[3].kind, kPointUserWaypoint);
    const RECT r = labels.entries[2].rect;
    const LabelEntry* hit = LabelListHitTest(labels, POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2});
    ASSERT_NE(hit, nullptr);
    EXPECT_EQ(hit->index, 2);
    EXPECT_NE(LabelListFindVisible(labels, POINT{labels.entries[0].rect.left + 1, labels.entries[0].rect.top + 1}),
              nullptr);
    ASSERT_EQ(labels.airspaceRects.size(), 1u);
    EXPECT_EQ(OccupiedRectHitTest(labels, POINT{labels.airspaceRects[0].left + 2, labels.airspaceRects[0].top + 2}), 0);
    // The task's own labels: the three points without an area, the area point left empty.
    const std::vector<RECT>& task = TaskDrawing().labels;
    ASSERT_EQ(task.size(), 4u);
    EXPECT_EQ(task[2].right, task[2].left);
    EXPECT_GT(task[1].right, task[1].left);
  }
}

TEST_F(LayersFrameTest, TrailLineFollowsItsSwitchAndTheStopFlag) {
  Open(240, 320, 20);
  FlyTrail();
  TrailSetMode(TrailBox{view->view.left, view->view.top, view->view.right, view->view.bottom}, 0, 1);
  auto blue = [this] {
    int n = 0;
    for (int y = 0; y < 320; ++y)
      for (int x = 0; x < 240; ++x) n += Pixel(x, y) == 0xFF0000u;
    return n;
  };
  TrailDrawSimplified(*view, dc, true);
  EXPECT_EQ(blue(), 0);
  TrailSetShowLine(false);
  TrailDrawSimplified(*view, dc, false);
  EXPECT_EQ(blue(), 0);
  TrailSetShowLine(true);
  TrailDrawSimplified(*view, dc, false);
  EXPECT_GT(blue(), 100);
  // A trail of one point draws no line.
  TrailClear();
  MapFillBackground(*view, dc);
  GpsFix f;
  f.position = kCentre;
  TrailAddFix(f, false);
  TrailDrawSimplified(*view, dc, false);
  EXPECT_EQ(blue(), 0);
}

TEST_F(LayersFrameTest, TrailDialogSetsTheLine) {
  using namespace ce::scripted::steps;
  TrailSetShowLine(true);
  auto& user = ce::scripted::User::Get();
  user.AnswerDialog({Click(1327), Click(IDOK)});
  EXPECT_EQ(DialogBoxParamW(nullptr, MAKEINTRESOURCEW(161), nullptr, TrailDialogProc, 0), 1);
  EXPECT_FALSE(TrailShowLine());
  user.AnswerDialog({Click(1327), Click(1355)});
  EXPECT_EQ(DialogBoxParamW(nullptr, MAKEINTRESOURCEW(161), nullptr, TrailDialogProc, 0), 1);
  EXPECT_TRUE(TrailShowLine());
  // A hardware key ends it as OK.
  user.AnswerDialog({Key(194)});
  EXPECT_EQ(DialogBoxParamW(nullptr, MAKEINTRESOURCEW(161), nullptr, TrailDialogProc, 0), 1);
  EXPECT_TRUE(TrailShowLine());
  for (const auto& shown : user.shown()) EXPECT_TRUE(shown.scripted);
}

}  // namespace
}  // namespace cumulor
