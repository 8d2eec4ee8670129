#include <gtest/gtest.h>

#include "cumulor/data/task/task_edit.h"
#include "task_fixture.h"

namespace cumulor {
namespace {

using Ints = std::vector<int>;

class TaskEdit : public TaskTest {
 protected:
  void SetUp() override {
    TaskTest::SetUp();
    for (int i = 1; i <= 5; ++i) points[i] = AddPoint(("P" + std::to_string(i)).c_str(), GeoPoint{i * 3600, 47 * 36000});
    TaskHooksInstalled().resetStatistics = [] { ++Recorder().saves; };  // counted beside the saves
  }
  static void Fill(int slot, Ints indexes) {
    Tasks().slot[slot].SetSize(0);
    for (int i : indexes) Tasks().slot[slot].Append(TaskPoint{kPointUserWaypoint, i});
  }
  TaskPoint points[6];
};

TEST_F(TaskEdit, SlotOperationsOfTheTaskMenu) {
  Fill(3, {2, 3, 4});
  Fill(25, {1});
  DirectTarget() = points[5];
  ActivateTaskSlot(3);
  EXPECT_EQ(Indexes(ActiveTask()), (Ints{2, 3, 4}));
  EXPECT_TRUE(AchievedList().Empty());
  EXPECT_EQ(DirectTarget().kind, 0);
  ASSERT_EQ(Recorder().navigation.size(), 1u);
  EXPECT_EQ(Recorder().navigation[0].target.index, 2);
  EXPECT_EQ(Recorder().navigation[0].origin.lon, 100);

  // COPY: to 25, to itself, below 0: nothing; to 0 empties the achieved list.
  Fill(25, {1});
  EXPECT_FALSE(CopyTaskSlot(3, 25));
  EXPECT_FALSE(CopyTaskSlot(3, 3));
  EXPECT_FALSE(CopyTaskSlot(3, -1));
  EXPECT_EQ(Indexes(AchievedList()), (Ints{1}));
  EXPECT_TRUE(CopyTaskSlot(3, 24));
  EXPECT_EQ(Indexes(Tasks().slot[24]), (Ints{2, 3, 4}));
  Fill(4, {5});
  EXPECT_TRUE(CopyTaskSlot(4, 0));
  EXPECT_EQ(Indexes(ActiveTask()), (Ints{5}));
  EXPECT_TRUE(AchievedList().Empty());

  // DELETE empties the slot and the achieved list and goes home.
  HomePoint() = points[1];
  Fill(25, {2});
  DeleteTaskSlot(3);
  EXPECT_TRUE(Tasks().slot[3].Empty());
  EXPECT_TRUE(AchievedList().Empty());
  EXPECT_EQ(Recorder().navigation.back().target.index, 1);
}

TEST_F(TaskEdit, RestartPutsTheAchievedPointsBackInFlyingOrder) {
  Fill(0, {3, 4});
  Fill(25, {2, 1});  // most recent first: 1 then 2 were flown
  RestartTask();
  EXPECT_EQ(Indexes(ActiveTask()), (Ints{1, 2, 3, 4}));
  EXPECT_TRUE(AchievedList().Empty());
  EXPECT_EQ(Recorder().navigation.back().target.index, 1);
  EXPECT_EQ(Recorder().saves, 1);  // the statistics reset
}

TEST_F(TaskEdit, RowOperationsNavigateWhenTheFirstPointChanges) {
  Fill(0, {2, 3});
  EXPECT_TRUE(InsertTaskPoint(0, 0, points[1]));
  EXPECT_EQ(Indexes(ActiveTask()), (Ints{1, 2, 3}));
  EXPECT_EQ(Recorder().navigation.back().target.index, 1);
  EXPECT_TRUE(InsertTaskPoint(0, -1, points[5]));  // no row: appended, no navigation
  EXPECT_EQ(Recorder().navigation.size(), 1u);
  EXPECT_TRUE(MoveTaskPoint(0, 1, true));
  EXPECT_EQ(Indexes(ActiveTask()), (Ints{2, 1, 3, 5}));
  EXPECT_EQ(Recorder().navigation.back().target.index, 2);
  EXPECT_FALSE(MoveTaskPoint(0, 0, true));
  EXPECT_FALSE(MoveTaskPoint(0, 3, false));
  EXPECT_FALSE(DeleteTaskPoint(0, 4));

  // Deleting the only point of the active task: home when valid, otherwise no target is set.
  Fill(0, {4});
  const std::size_t before = Recorder().navigation.size();
  EXPECT_TRUE(DeleteTaskPoint(0, 0));
  EXPECT_EQ(Recorder().navigation.size(), before);
  Fill(0, {4});
  HomePoint() = points[5];
  EXPECT_TRUE(DeleteTaskPoint(0, 0));
  EXPECT_EQ(Recorder().navigation.back().target.index, 5);
}

TEST_F(TaskEdit, QuickEntryBufferRebuildsTheAchievedAndActiveLists) {
  Fill(0, {3, 4});
  Fill(25, {2, 1});
  TaskEditBuffer buffer;
  BuildTaskEditBuffer(buffer);
  EXPECT_EQ(Indexes(buffer.points), (Ints{1, 2, 3, 4}));
  EXPECT_EQ(buffer.split, 2);
  ApplyTaskEditBuffer(buffer);  // unchanged: nothing happens
  EXPECT_TRUE(Recorder().navigation.empty());

  struct Case {
    Ints points;
    int split;
    Ints achieved, active;
    int navigatedTo;  // -1: no navigation
    int resets;
  } cases[] = {
      {{1, 2, 5, 4}, 3, {5, 2, 1}, {4}, 4, 0},
      {{1, 2, 3}, 0, {}, {1, 2, 3}, 1, 1},
      {{1, 2}, 2, {2, 1}, {}, -1, 0},
      {{}, 0, {}, {}, -1, 1},
  };
  for (const Case& c : cases) {
    Recorder().navigation.clear();
    Recorder().saves = 0;
    Fill(0, {3});
    Fill(25, {2});
    TaskEditBuffer b;
    for (int i : c.points) b.points.Append(TaskPoint{kPointUserWaypoint, i});
    b.split = c.split;
    b.changed = true;
    ApplyTaskEditBuffer(b);
    EXPECT_EQ(Indexes(AchievedList()), c.achieved);
    EXPECT_EQ(Indexes(ActiveTask()), c.active);
    if (c.navigatedTo < 0) {
      EXPECT_TRUE(Recorder().navigation.empty());
    } else {
      ASSERT_EQ(Recorder().navigation.size(), 1u);
      EXPECT_EQ(Recorder().navigation[0].target.index, c.navigatedTo);
    }
    EXPECT_EQ(Recorder().saves, c.resets);
  }
  // An empty buffer with a valid home point goes home.
  HomePoint() = points[5];
  Recorder().navigation.clear();
  TaskEditBuffer empty;
  empty.changed = true;
  ApplyTaskEditBuffer(empty);
  ASSERT_EQ(Recorder().navigation.size(), 1u);
  EXPECT_EQ(Recorder().navigation[0].target.index, 5);
}

}  // namespace
}  // namespace cumulor
