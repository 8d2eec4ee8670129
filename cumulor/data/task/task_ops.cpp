#include "cumulor/data/task/task_ops.h"

#include "cumulor/data/points/point_db.h"
#include "cumulor/data/task/task_gates.h"
#include "cumulor/data/task/task_rules.h"
#include "cumulor/data/task/task_slots.h"
#include "cumulor/data/task/task_store.h"

namespace cumulor {

namespace {
bool IsValid(const TaskPoint& p) { return PointRefIsValid(PointRef{p.kind, p.index}); }
}  // namespace

void ClearAllTasks() {
  TaskListsGuard guard;
  for (DynArray<TaskPoint>& slot : Tasks().slot) slot.SetSize(0);
}

void ClearActiveTask() {
  TaskListsGuard guard;
  ActiveTask().SetSize(0);
}

void AdvanceTask() {
  TaskListsGuard guard;
  DynArray<TaskPoint>& task = ActiveTask();
  if (task.Size() < 2) {
    TaskPlaySound("Splat.wav");
    return;
  }
  const TaskPoint reached = task[0];
  task.RemoveAt(0);
  AchievedList().InsertAt(0, reached);
  TaskSetNavigationTarget(task[0], PointRefPosition(reached), 0);
  TaskSaveDocument();
}

void UndoAdvanceTask() {
  TaskListsGuard guard;
  TaskPoint last;
  TaskPointInit(last);
  if (!GetLastAchievedPoint(last)) {
    TaskPlaySound("Splat.wav");
    return;
  }
  if (!IsValid(last)) return;
  AchievedList().RemoveAt(0);
  ActiveTask().InsertAt(0, last);
  TaskSetNavigationTarget(last, PointRefPosition(last), 0);
}

void GotoPoint(TaskPoint point) {
  TaskListsGuard guard;
  TaskSetNavigationTarget(point, TaskOwnPosition(), 0);
  DirectTarget() = point;
}

void GotoFirstTaskPoint() {
  TaskListsGuard guard;
  TaskPointInit(DirectTarget());
  TaskPoint last;
  TargetOrigin() = GetLastAchievedPoint(last) ? PointRefPosition(last) : TaskOwnPosition();
  const DynArray<TaskPoint>& task = ActiveTask();
  TaskSetNavigationTarget(task.Empty() ? HomePoint() : task[0], TargetOrigin(), 0);
}

void CopyTaskReversed(DynArray<TaskPoint>& destination, const DynArray<TaskPoint>& source) {
  const std::int32_t count = source.Size();
  if (destination.SetSize(count) != S_OK) return;
  for (std::int32_t i = 0; i < count; ++i) destination[i] = source[count - 1 - i];
}

void ReverseTask(DynArray<TaskPoint>& task) {
  TaskListsGuard guard;
  const std::int32_t count = task.Size();
  for (std::int32_t i = 0; i < count - 1 - i; ++i) {
    const TaskPoint keep = task[i];
    task[i] = task[count - 1 - i];
    task[count - 1 - i] = keep;
  }
}

void SwapStartPoints() {
  TaskListsGuard guard;
  TaskRule& start = Rules().rule[kRuleStart];
  if (!IsValid(start.pointA) || !IsValid(start.pointB)) return;
  DynArray<TaskPoint>& task = ActiveTask();
  if (task.Empty()) {
    if (task.SetSize(1) != S_OK) return;
    task[0] = start.pointA;
    ComputeStartFinishGates();
    return;
  }
  const TaskPoint a = start.pointA;
  start.pointA = start.pointB;
  start.pointB = a;
  start.pointAPosition = PointRefPosition(start.pointA);
  start.pointBPosition = PointRefPosition(start.pointB);
  task[0] = start.pointA;
  TaskSetNavigationTarget(task[0], TaskOwnPosition(), 0);
  ComputeStartFinishGates();
}

}  // namespace cumulor
