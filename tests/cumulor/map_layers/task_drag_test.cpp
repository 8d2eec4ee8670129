// Drag-and-drop task editing through screen points, the FAI rule, and dialog 191.
#include <gtest/gtest.h>

#include <string>

#include "cumulor/data/task/task_fai.h"
#include "cumulor/data/waypoints/user_waypoint_remove.h"
#include "cumulor/map/layers/task_drag.h"
#include "cumulor/map/layers/task_draw.h"
#include "cumulor/nav/geo/geodesy.h"
#include "layers_fixture.h"
#include "platform/dialogs/dialogs.h"
#include "platform/display/display.h"
#include "cumulor/map/layers/trail_dialog.h"

namespace cumulor {
namespace {

using testing::At;
using testing::kCentre;
using testing::kDeg;

LRESULT PlainProc(HWND w, UINT m, WPARAM wp, LPARAM lp) { return DefWindowProcW(w, m, wp, lp); }

// 1297 units north is 3999 m by the flat distance; 1298 units the first step at 4000 m or more.
constexpr std::int32_t kUnder = 1297;
constexpr std::int32_t kOver = 1298;

class TaskDragTest : public testing::LayersTest {
 protected:
  void SetUp() override {
    LayersTest::SetUp();
    WNDCLASSW wc{};
    wc.lpfnWndProc = PlainProc;
    wc.lpszClassName = u"CumulorDrag";
    RegisterClassW(&wc);
    window = CreateWindowExW(0, u"CumulorDrag", u"Cumulor", 0, 0, 0, 240, 320, nullptr, nullptr, nullptr, nullptr);
    Open(240, 320, 20);
    TaskDragHooks hooks;
    hooks.view = view.get();
    hooks.window = window;
    hooks.setDialogActive = [this](bool on) { dialogActive = on; };
    hooks.redraw = [this] { ++redraws; };
    SetTaskDragHooks(hooks);
    DragOptions().alwaysSnap = false;
    ConeSerial() = 7;
    SetUserWaypointReferenceVisitor([this](const std::function<void(TaskPoint&)>& fix) { fix(navTarget); });
    TaskHooksInstalled().setNavigationTarget = nullptr;
    SetFlatDistanceScale(1.0);

    // Four waypoints 10 km apart around the centre; the task runs 1 -> 2 -> 3.
    wp[1] = AddWaypoint("Alpha", At(-12000, 0));
    wp[2] = AddWaypoint("Bravo", At(0, 3000));
    wp[3] = AddWaypoint("Charlie", At(12000, 0));
    wp[4] = AddWaypoint("Delta", At(0, -4000));
    for (int i = 1; i <= 3; ++i) ActiveTask().Append(Ref(kPointUserWaypoint, wp[i]));
    DrawLabels();
  }
  void TearDown() override {
    SetUserWaypointReferenceVisitor(nullptr);
    SetTaskDragHooks(TaskDragHooks{});
    DestroyWindow(window);
    UnregisterClassW(u"CumulorDrag", nullptr);
    LayersTest::TearDown();
  }
  void DrawLabels() {
    ComputeFaiSectors();
    LabelTextSettings text;
    text.labelLen = 8;
    DrawFaiTaskLabel(*view, dc, text);
  }
  POINT LabelOf(std::size_t row) const {
    const RECT r = TaskDrawing().labels.at(row);
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  }
  POINT ScreenOf(const GeoPoint& p) const {
    POINT s{};
    MapWorldToScreen(*view, s, p);
    return s;
  }
  // Drags row `row` with the pen to the screen point of `to`, then leaves the cone exactly at `to`
  // (the pen reaches whole pixels only) and releases.
  void Drag(std::size_t row, const GeoPoint& to) {
    ASSERT_TRUE(TaskDragStart(LabelOf(row)));
    EXPECT_TRUE(dialogActive);
    EXPECT_TRUE(TaskDragMove(ScreenOf(to)));
    const TaskPoint moving = ActiveTask()[static_cast<std::int32_t>(row)];
    ASSERT_EQ(moving.kind, kPointUserWaypoint);
    UserWaypoints().records[moving.index].position = to;
    TaskDragEnd();
    EXPECT_FALSE(dialogActive);
    EXPECT_FALSE(TaskDragActive());
    EXPECT_FALSE(TaskDragMove(POINT{10, 10}));  // the drag is over
  }
  static std::string Name(const TaskPoint& p) {
    const char* n = PointRefName(PointRef{p.kind, p.index});
    return n ? n : "";
  }

  HWND window = nullptr;
  bool dialogActive = false;
  int redraws = 0;
  std::int32_t wp[5] = {};
  TaskPoint navTarget;
};

TEST(FaiTest, LegSharesDecide) {
  struct {
    std::uint32_t a, b, c;
    bool fai;
  } cases[] = {
      {90000, 110000, 100000, true},    // 30, 36.7, 33.3 %
      {80000, 120000, 100000, false},   // 26.7 % is below 28
      {200000, 300000, 300000, true},   // 25, 37.5, 37.5 % from 750 km on
      {190000, 310000, 300000, false},  // 23.75 %
      {150000, 200000, 400000, false},  // 53.3 % is above 45
      {33000, 33000, 33000, false},     // 99 km is never FAI
  };
  for (const auto& c : cases) {
    const std::uint32_t legs[3] = {c.a, c.b, c.c};
    EXPECT_EQ(FaiTriangle(legs, c.a + c.b + c.c), c.fai) << c.a << " " << c.b << " " << c.c;
  }
}

TEST_F(TaskDragTest, ClosedTaskOfEqualLegsIsFai) {
  // A triangle of about 100 km legs, closed on its first point.
  const std::int32_t a = AddWaypoint("TriA", GeoPoint{11 * kDeg, 47 * kDeg});
  const std::int32_t b = AddWaypoint("TriB", GeoPoint{11 * kDeg + 47300, 47 * kDeg});
  const std::int32_t c = AddWaypoint("TriC", GeoPoint{11 * kDeg + 23650, 47 * kDeg + 28000});
  ActiveTask().SetSize(0);
  for (std::int32_t i : {a, b, c, a}) ActiveTask().Append(Ref(kPointUserWaypoint, i));
  FaiTask task;
  ComputeFaiSectors(task);
  EXPECT_TRUE(task.isFai);
  EXPECT_GT(task.length, 270000u);
  EXPECT_EQ(task.legs.size(), 4u);
  // Not closed on the same point: no FAI.
  ActiveTask()[3] = Ref(kPointUserWaypoint, wp[1]);
  ComputeFaiSectors(task);
  EXPECT_FALSE(task.isFai);
}

TEST_F(TaskDragTest, ShortDragPutsThePointBackAndEndsTheDrag) {
  const std::int32_t count = UserWaypoints().records.Size();
  Drag(1, GeoPoint{At(0, 3000).lon, At(0, 3000).lat + kUnder});
  EXPECT_EQ(ActiveTask()[1].kind, kPointUserWaypoint);
  EXPECT_EQ(ActiveTask()[1].index, wp[2]);
  EXPECT_EQ(UserWaypoints().records.Size(), count);  // the cone made for the drag is gone
  EXPECT_EQ(redraws, 1);
  EXPECT_EQ(ConeSerial(), 8);
}

TEST_F(TaskDragTest, ShortDragOfAnExistingConePutsTheConeBack) {
  const std::int32_t cone = AddWaypoint("ConeTP1", At(2000, 5000), kConeFlags);
  ActiveTask()[1] = Ref(kPointUserWaypoint, cone);
  DrawLabels();
  Drag(1, GeoPoint{At(2000, 5000).lon + 200, At(2000, 5000).lat + 1000});
  EXPECT_EQ(ActiveTask()[1].index, cone);
  EXPECT_EQ(UserWaypoints().records[cone].position.lon, At(2000, 5000).lon);
  EXPECT_EQ(UserWaypoints().records[cone].position.lat, At(2000, 5000).lat);
}

TEST_F(TaskDragTest, LongDragOverEmptyGroundKeepsTheConeUnlessSnapIsOn) {
  const std::int32_t count = UserWaypoints().records.Size();
  const GeoPoint dropped{At(0, 3000).lon, At(0, 3000).lat + kOver};
  Drag(1, dropped);
  const TaskPoint moved = ActiveTask()[1];
  ASSERT_EQ(moved.kind, kPointUserWaypoint);
  ASSERT_EQ(moved.index, count);
  const WaypointRecord& cone = UserWaypoints().records[moved.index];
  EXPECT_EQ(cone.flags, kConeFlags);
  EXPECT_STREQ(cone.code, "UC_7");
  EXPECT_STREQ(UserWaypoints().names[moved.index].text, "ConeTP1");
  EXPECT_EQ(cone.position.lat, dropped.lat);

  // With "Always Snap to Turnpoint" the same drop of the other point is given up.
  DragOptions().alwaysSnap = true;
  DrawLabels();
  Drag(2, GeoPoint{At(12000, 0).lon, At(12000, 0).lat + kOver});
  EXPECT_EQ(ActiveTask()[2].index, wp[3]);
  EXPECT_EQ(UserWaypoints().records.Size(), count + 1);  // only the first cone stays
}

TEST_F(TaskDragTest, SnappingRemovesTheConeAndKeepsEveryReference) {
  // The task's middle point is a cone; stored task 5 and the target name waypoints above it.
  const std::int32_t cone = AddWaypoint("ConeTP1", At(3000, 8000), kConeFlags);
  const std::int32_t echo = AddWaypoint("Echo", At(-3000, 9000));
  ActiveTask().SetSize(0);
  for (std::int32_t i : {wp[1], cone, wp[3]}) ActiveTask().Append(Ref(kPointUserWaypoint, i));
  Tasks().slot[5].Append(Ref(kPointUserWaypoint, echo));
  Tasks().slot[5].Append(Ref(kPointUserWaypoint, cone));
  HomePoint() = Ref(kPointUserWaypoint, echo);
  navTarget = Ref(kPointUserWaypoint, echo);
  DrawLabels();
  ASSERT_GT(cone, wp[4]);
  ASSERT_GT(echo, cone);

  // Dropped within the snap box of "Delta".
  Drag(1, GeoPoint{At(0, -4000).lon + 300, At(0, -4000).lat - 200});
  EXPECT_EQ(Name(ActiveTask()[0]), "Alpha");
  EXPECT_EQ(Name(ActiveTask()[1]), "Delta");
  EXPECT_EQ(Name(ActiveTask()[2]), "Charlie");
  EXPECT_EQ(UserWaypoints().records.Size(), echo);  // the cone is gone, Echo moved down
  EXPECT_EQ(Name(Tasks().slot[5][0]), "Echo");
  EXPECT_EQ(Tasks().slot[5][1].kind, 0);             // the removed cone is no longer named
  EXPECT_EQ(Name(HomePoint()), "Echo");
  EXPECT_EQ(Name(navTarget), "Echo");
  EXPECT_EQ(FindUserWaypoint("Echo"), echo - 1);
  bool echoInTile = false;
  AeroTiles().ForEach([&](TileRecord& t) {
    for (std::uint32_t item : t.items[kTileUserWaypoints]) echoInTile |= item == static_cast<std::uint32_t>(echo - 1);
  });
  EXPECT_TRUE(echoInTile);
}

TEST_F(TaskDragTest, FirstPointSnappedToAnAirportBecomesTheTarget) {
  const std::int32_t airport = AddAirport("Innsbruck", "LOWI", At(-5000, -9000), 1906);
  TaskPoint target;
  static TaskPoint* sink = nullptr;
  sink = &target;
  TaskHooksInstalled().setNavigationTarget = [](const TaskPoint& t, const GeoPoint&, std::uint8_t) { *sink = t; };
  Drag(0, At(-5000, -9000));
  EXPECT_EQ(ActiveTask()[0].kind, kPointAirport);
  EXPECT_EQ(ActiveTask()[0].index, airport);
  EXPECT_EQ(target.kind, kPointAirport);
  EXPECT_EQ(target.index, airport);
  TaskHooksInstalled().setNavigationTarget = nullptr;
}

TEST_F(TaskDragTest, ADragOnAStaleLabelListDoesNothing) {
  const std::int32_t count = UserWaypoints().records.Size();
  const POINT third = LabelOf(2);
  ActiveTask().SetSize(2);  // the task lost a point after the labels were drawn
  EXPECT_FALSE(TaskDragStart(third));
  EXPECT_FALSE(dialogActive);
  EXPECT_FALSE(TaskDragActive());
  EXPECT_FALSE(TaskDragMove(POINT{100, 100}));
  TaskDragEnd();
  EXPECT_EQ(UserWaypoints().records.Size(), count);
  EXPECT_EQ(ConeSerial(), 7);
  EXPECT_EQ(redraws, 0);
  // A tap away from every label starts nothing either.
  EXPECT_FALSE(TaskDragStart(POINT{2, 2}));
  // The window's DC was given back: a new drag works.
  DrawLabels();
  EXPECT_TRUE(TaskDragStart(LabelOf(1)));
  TaskDragEnd();
}

TEST_F(TaskDragTest, DialogSetsBothOptions) {
  using namespace ce::scripted::steps;
  std::int32_t cones = 0;
  DragOptions().coneEnabled = &cones;
  auto& user = ce::scripted::User::Get();
  user.AnswerDialog({Click(1244), Click(1246), Click(IDOK)});
  EXPECT_EQ(DialogBoxParamW(nullptr, MAKEINTRESOURCEW(kTaskDragDialog), nullptr, TaskDragDialogProc, 0), 1);
  EXPECT_EQ(cones, 1);
  EXPECT_TRUE(ConesEnabled());
  EXPECT_TRUE(DragOptions().alwaysSnap);
  user.AnswerDialog({Click(1245), Click(1247), Click(1355)});
  EXPECT_EQ(DialogBoxParamW(nullptr, MAKEINTRESOURCEW(kTaskDragDialog), nullptr, TaskDragDialogProc, 0), 1);
  EXPECT_EQ(cones, 0);
  EXPECT_FALSE(DragOptions().alwaysSnap);
  for (const auto& shown : user.shown()) EXPECT_TRUE(shown.scripted);
  static std::int32_t ownFlag = 0;
  DragOptions().coneEnabled = &ownFlag;
}

// Both dialogs as pictures in the test's folder (task_drag_dialog.png, trail_dialog.png) for a look.
TEST_F(TaskDragTest, DialogsAsPictures) {
  struct {
    int id;
    DLGPROC proc;
    const char* file;
  } dialogs[] = {{kTaskDragDialog, TaskDragDialogProc, "task_drag_dialog.png"},
                 {kTrailDialog, TrailDialogProc, "trail_dialog.png"}};
  for (const auto& d : dialogs) {
    HWND dialog = CreateDialogParamW(nullptr, MAKEINTRESOURCEW(d.id), nullptr, d.proc, 0);
    ASSERT_NE(dialog, nullptr) << d.id;
    ShowWindow(dialog, SW_SHOW);
    for (MSG m; PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE);) DispatchMessageW(&m);
    RECT r{};
    GetWindowRect(dialog, &r);
    EXPECT_TRUE(ce::display::SaveScreenshot(d.file, &r)) << d.file;
    DestroyWindow(dialog);
  }
}

}  // namespace
}  // namespace cumulor
