// Deleting user waypoints from the lists: every reference the program keeps (task slots, the
// navigation target, the home point, the go-to target, the team grid's reference) names the same
// waypoint as before, or nothing when it was the one removed; "DELETE ALL" clears them all.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "app_fixture.h"
#include "cumulor/app/core/map_layers_link.h"
#include "cumulor/data/points/point_db.h"
#include "cumulor/data/task/task_slots.h"
#include "cumulor/data/task/task_store.h"
#include "cumulor/data/waypoints/user_waypoint_remove.h"
#include "cumulor/data/waypoints/user_waypoint_store.h"
#include "cumulor/map/browser/waypoint_selection.h"
#include "cumulor/map/team/team_grid.h"

using namespace cumulor;
using cumulor_test::AppTest;

namespace {

TaskPoint UserPoint(std::int32_t index) {
  TaskPoint p;
  p.kind = kPointUserWaypoint;
  p.index = index;
  return p;
}

std::string NameOf(const TaskPoint& p) {
  if (p.kind != kPointUserWaypoint) return "(none)";
  const char* name = PointRefName(PointRef{p.kind, p.index});
  return name ? name : "(none)";
}

class WaypointDelete : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    ClearUserWaypoints();
    for (const char* name : {"ALPHA", "BRAVO", "CHARLIE", "DELTA"}) {
      WaypointRecord r;
      r.position = {11 * 36000 + static_cast<std::int32_t>(name[0]) * 100, 47 * 36000};
      r.flags = 1;
      std::strncpy(r.code, name, 5);
      AddOrReplaceUserWaypoint(r, name);
    }
    InstallMapLayerHooks(*app);
    Tasks().slot[0].SetSize(0);
    Tasks().slot[0].Append(UserPoint(2));
    Tasks().slot[0].Append(UserPoint(3));
    Tasks().slot[0].Append(UserPoint(4));
    app->navTarget = UserPoint(3);
    HomePoint() = UserPoint(1);
    TaskPoint target = UserPoint(4);
    SetGotoTarget(target);
    TeamGridState().referenceWaypoint = 3;
  }
  void TearDown() override {
    SetUserWaypointReferenceVisitor({});
    InvalidateGotoTarget();
    HomePoint() = TaskPoint{};
    TeamGridState() = TeamGrid{};
    ClearUserWaypoints();
    AppTest::TearDown();
  }
};

TEST_F(WaypointDelete, ReferencesKeepNamingTheSameWaypoint) {
  ASSERT_EQ(NameOf(app->navTarget), "CHARLIE");
  ASSERT_TRUE(RemoveUserWaypoint(2));  // BRAVO
  EXPECT_EQ(NameOf(Tasks().slot[0][0]), "(none)");
  EXPECT_EQ(NameOf(Tasks().slot[0][1]), "CHARLIE");
  EXPECT_EQ(NameOf(Tasks().slot[0][2]), "DELTA");
  EXPECT_EQ(NameOf(app->navTarget), "CHARLIE");
  EXPECT_EQ(NameOf(HomePoint()), "ALPHA");
  TaskPoint target;
  ASSERT_TRUE(GetGotoTarget(target));
  EXPECT_EQ(NameOf(target), "DELTA");
  EXPECT_EQ(TeamGridState().referenceWaypoint, 2);
  EXPECT_EQ(NameOf(UserPoint(TeamGridState().referenceWaypoint)), "CHARLIE");

  // The one removed: the go-to target and the team grid name nothing.
  ASSERT_TRUE(RemoveUserWaypoint(3));  // DELTA
  EXPECT_FALSE(GetGotoTarget(target));
  EXPECT_EQ(TeamGridState().referenceWaypoint, 2);
  ASSERT_TRUE(RemoveUserWaypoint(2));  // CHARLIE
  EXPECT_EQ(TeamGridState().referenceWaypoint, 0);
  EXPECT_EQ(app->navTarget.kind, 0);
  EXPECT_EQ(NameOf(HomePoint()), "ALPHA");
  EXPECT_FALSE(RemoveUserWaypoint(2));  // beyond the store
}

TEST_F(WaypointDelete, DeleteAllClearsEveryReference) {
  RemoveAllUserWaypoints();
  EXPECT_EQ(UserWaypoints().records.Size(), 1);
  for (const TaskPoint& p : Tasks().slot[0]) EXPECT_EQ(p.kind, 0);
  EXPECT_EQ(app->navTarget.kind, 0);
  EXPECT_EQ(HomePoint().kind, 0);
  TaskPoint target;
  EXPECT_FALSE(GetGotoTarget(target));
  EXPECT_EQ(TeamGridState().referenceWaypoint, 0);
  RemoveAllUserWaypoints();  // an empty store stays empty
  EXPECT_EQ(UserWaypoints().records.Size(), 1);
}

}  // namespace
