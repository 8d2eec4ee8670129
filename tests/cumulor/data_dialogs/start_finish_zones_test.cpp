#include <gtest/gtest.h>

#include "cumulor/data/dialogs/start_finish_zones.h"
#include "cumulor/data/points/point_db.h"
#include "cumulor/data/task/task_gates.h"
#include "cumulor/data/task/task_ops.h"
#include "cumulor/data/task/task_rules.h"
#include "cumulor/data/task/task_slots.h"
#include "tests/cumulor/map/map_test_canvas.h"

namespace cumulor {
namespace {

using testing::kCentre;

class StartFinishZones : public testing::MapCanvasTest {
 protected:
  void SetUp() override {
    MapCanvasTest::SetUp();
    UserWaypointTable& table = UserWaypoints();
    table.records.SetSize(3);
    table.names.SetSize(3);
    table.records[1].position = kCentre;
    table.records[2].position = GeoPoint{kCentre.lon, kCentre.lat + 600 * 10};  // 10' north
    ClearAllTasks();
    Rules() = TaskRules{};
  }
  void TearDown() override {
    ClearAllTasks();
    UserWaypoints().records.SetSize(0);
    UserWaypoints().names.SetSize(0);
    MapCanvasTest::TearDown();
  }
  int Inked() const {
    int n = 0;
    for (int y = 0; y < 320; ++y)
      for (int x = 0; x < 240; ++x)
        if (Pixel(x, y) != Pixel(0, 0)) ++n;
    return n;
  }
};

TEST_F(StartFinishZones, EachRuleTypeDrawsItsZoneAndNoneDrawsNothing) {
  ActiveTask().Append(TaskPoint{kPointUserWaypoint, 1});
  ActiveTask().Append(TaskPoint{kPointUserWaypoint, 2});
  struct Case {
    std::int32_t type;
    bool drawn;
  } cases[] = {{kGateNone, false}, {kGateSector90, true}, {kGateCylinder, true}, {kGateTwoStarts, true}, {kGateLine, true},
               {kGateBearingLine, true}, {kGateDaecSector, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.type);
    Open(240, 320, 100);
    const int before = Inked();
    TaskRule& rule = Rules().rule[kRuleStart];
    rule.type = c.type;
    rule.width = 3000;
    rule.bearing = 90;
    ComputeStartFinishGates();
    DrawStartFinishZones(*view, dc, false);
    EXPECT_EQ(Inked() > before, c.drawn);
    TearDown();
    SetUp();
    ActiveTask().Append(TaskPoint{kPointUserWaypoint, 1});
    ActiveTask().Append(TaskPoint{kPointUserWaypoint, 2});
  }
  // Once the start is behind: the finish by its rule (a two-starts rule draws no finish).
  AchievedList().Append(TaskPoint{kPointUserWaypoint, 1});
  AchievedList().Append(TaskPoint{kPointUserWaypoint, 2});
  ActiveTask().SetSize(0);
  for (std::int32_t type : {kGateCylinder, kGateTwoStarts}) {
    Open(240, 320, 100);
    const int before = Inked();
    Rules().rule[kRuleFinish].type = type;
    Rules().rule[kRuleFinish].width = 3000;
    DrawStartFinishZones(*view, dc, true);
    EXPECT_EQ(Inked() > before, type == kGateCylinder) << type;
    TearDown();
    SetUp();
    AchievedList().Append(TaskPoint{kPointUserWaypoint, 1});
    AchievedList().Append(TaskPoint{kPointUserWaypoint, 2});
  }
}

}  // namespace
}  // namespace cumulor
