#include "task_fixture.h"

namespace cumulor {
namespace {

TEST_F(TaskTest, AdvanceAndUndoMovePointsBetweenTheActiveTaskAndTheAchievedList) {
  const TaskPoint a = AddPoint("A", {0, 0});
  const TaskPoint b = AddPoint("B", {0, 3600});
  const TaskPoint c = AddPoint("C", {3600, 3600});
  ActiveTask().Append(a);
  AdvanceTask();  // one point: refused
  EXPECT_EQ(Recorder().sounds, std::vector<std::string>{"Splat.wav"});
  EXPECT_EQ(Indexes(ActiveTask()), std::vector<int>{a.index});
  EXPECT_TRUE(AchievedList().Empty());

  ActiveTask().Append(b);
  ActiveTask().Append(c);
  AdvanceTask();
  EXPECT_EQ(Indexes(ActiveTask()), (std::vector<int>{b.index, c.index}));
  EXPECT_EQ(Indexes(AchievedList()), std::vector<int>{a.index});
  ASSERT_EQ(Recorder().navigation.size(), 1u);
  EXPECT_EQ(Recorder().navigation[0].target.index, b.index);
  EXPECT_EQ(Recorder().navigation[0].origin, (GeoPoint{0, 0}));  // the reached point
  EXPECT_EQ(Recorder().saves, 1);
  AdvanceTask();
  EXPECT_EQ(Indexes(AchievedList()), (std::vector<int>{b.index, a.index}));  // most recent first

  UndoAdvanceTask();
  EXPECT_EQ(Indexes(ActiveTask()), (std::vector<int>{b.index, c.index}));
  EXPECT_EQ(Recorder().navigation.back().target.index, b.index);
  EXPECT_EQ(Recorder().navigation.back().origin, (GeoPoint{0, 3600}));
  EXPECT_EQ(Recorder().saves, 2);  // undo does not save
  UndoAdvanceTask();
  UndoAdvanceTask();  // nothing achieved any more
  EXPECT_EQ(Indexes(ActiveTask()), (std::vector<int>{a.index, b.index, c.index}));
  EXPECT_EQ(Recorder().sounds.size(), 2u);

  // An invalid head of the achieved list stays where it is.
  TaskPoint stale = a;
  stale.index = 99;
  AchievedList().Append(stale);
  UndoAdvanceTask();
  EXPECT_EQ(AchievedList().Size(), 1);
  EXPECT_EQ(ActiveTask().Size(), 3);
}

TEST_F(TaskTest, GotoPointAndBackToTheTask) {
  const TaskPoint a = AddPoint("A", {10, 10});
  const TaskPoint b = AddPoint("B", {20, 20});
  HomePoint() = AddPoint("HOME", {30, 30});
  GotoPoint(b);
  EXPECT_EQ(DirectTarget().index, b.index);
  EXPECT_EQ(Recorder().navigation.back().origin, Recorder().own);

  GotoFirstTaskPoint();  // no task: home, from the own position
  EXPECT_EQ(DirectTarget().kind, 0);
  EXPECT_EQ(Recorder().navigation.back().target.index, HomePoint().index);
  EXPECT_EQ(TargetOrigin(), Recorder().own);

  ActiveTask().Append(b);
  AchievedList().Append(a);
  GotoFirstTaskPoint();  // from the last achieved point to the task's next point
  EXPECT_EQ(Recorder().navigation.back().target.index, b.index);
  EXPECT_EQ(TargetOrigin(), (GeoPoint{10, 10}));
}

TEST_F(TaskTest, ReversingAndClearing) {
  struct Case {
    std::vector<int> in;
    std::vector<int> out;
  } cases[] = {{{}, {}}, {{1}, {1}}, {{1, 2}, {2, 1}}, {{1, 2, 3, 4}, {4, 3, 2, 1}}, {{1, 2, 3, 4, 5}, {5, 4, 3, 2, 1}}};
  for (const Case& c : cases) {
    DynArray<TaskPoint> list;
    for (int i : c.in) list.Append(TaskPoint{4, i});
    DynArray<TaskPoint> copy;
    copy.Append(TaskPoint{4, 77});  // sized to the source
    CopyTaskReversed(copy, list);
    EXPECT_EQ(Indexes(copy), c.out);
    ReverseTask(list);
    EXPECT_EQ(Indexes(list), c.out);
  }
  for (int s = 0; s < kTaskSlotCount; ++s) Tasks().slot[s].Append(TaskPoint{4, s});
  ClearActiveTask();
  EXPECT_TRUE(ActiveTask().Empty());
  EXPECT_EQ(Tasks().slot[1].Size(), 1);
  ClearAllTasks();
  for (const DynArray<TaskPoint>& slot : Tasks().slot) EXPECT_TRUE(slot.Empty());
}

TEST_F(TaskTest, SwapStartPointsNeedsBothPoints) {
  const TaskPoint a = AddPoint("NORTH", {0, 36000});
  const TaskPoint b = AddPoint("SOUTH", {0, -36000});
  const TaskPoint turn = AddPoint("TURN", {36000, 0});
  TaskRule& start = Rules().rule[kRuleStart];
  start.type = kGateTwoStarts;
  start.pointA = a;
  SwapStartPoints();  // point_b empty
  EXPECT_TRUE(ActiveTask().Empty());
  EXPECT_EQ(start.pointA.index, a.index);

  start.pointB = b;
  SwapStartPoints();  // empty task: only point_a goes in
  EXPECT_EQ(Indexes(ActiveTask()), std::vector<int>{a.index});
  EXPECT_EQ(start.pointA.index, a.index);
  EXPECT_TRUE(Recorder().navigation.empty());

  ActiveTask().Append(turn);
  SwapStartPoints();
  EXPECT_EQ(start.pointA.index, b.index);
  EXPECT_EQ(start.pointB.index, a.index);
  EXPECT_EQ(start.pointAPosition, (GeoPoint{0, -36000}));
  EXPECT_EQ(start.pointBPosition, (GeoPoint{0, 36000}));
  EXPECT_EQ(Indexes(ActiveTask()), (std::vector<int>{b.index, turn.index}));
  ASSERT_EQ(Recorder().navigation.size(), 1u);
  EXPECT_EQ(Recorder().navigation[0].origin, Recorder().own);
  // The other start is offered by name.
  EXPECT_EQ(std::u16string(AlternateStartText()), u"NORTH");
}

}  // namespace
}  // namespace cumulor
