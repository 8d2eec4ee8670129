#include "cumulor/data/task/task_edit.h"

#include "cumulor/data/points/point_db.h"
#include "cumulor/data/task/task_gates.h"
#include "cumulor/data/task/task_ops.h"
#include "cumulor/data/task/task_rules.h"
#include "cumulor/data/task/task_slots.h"
#include "cumulor/data/task/task_store.h"

namespace cumulor {

namespace {

constexpr std::int32_t kLastTaskSlot = 24;

bool IsValid(const TaskPoint& p) { return PointRefIsValid(PointRef{p.kind, p.index}); }
bool SlotInRange(std::int32_t slot) { return slot >= 0 && slot <= kLastTaskSlot; }

// The first point of the active task, or the home point when the task is empty and the home point
// is valid; otherwise the target is left for the target chooser.
void NavigateToFirstPoint(const GeoPoint& origin) {
  const DynArray<TaskPoint>& task = ActiveTask();
  if (!task.Empty()) {
    TaskSetNavigationTarget(task[0], origin, 0);
  } else if (IsValid(HomePoint())) {
    TaskSetNavigationTarget(HomePoint(), origin, 0);
  }
}

void AfterRowChange(std::int32_t slot, bool firstRowChanged) {
  if (slot == kActiveTaskSlot && firstRowChanged) {
    const GeoPoint origin = (TargetOrigin().lon != 0 || TargetOrigin().lat != 0) ? TargetOrigin() : TaskOwnPosition();
    NavigateToFirstPoint(origin);
  }
  ComputeStartFinishGates();
}

}  // namespace

void ActivateTaskSlot(std::int32_t slot) {
  TaskListsGuard guard;
  if (!SlotInRange(slot) || slot == kActiveTaskSlot || Tasks().slot[slot].Empty()) return;
  TaskLock();
  TaskPointInit(DirectTarget());
  ActiveTask() = Tasks().slot[slot];
  AchievedList().SetSize(0);
  TaskSetNavigationTarget(ActiveTask()[0], TaskOwnPosition(), 0);
  ComputeStartFinishGates();
  TaskUnlock();
}

void DeleteTaskSlot(std::int32_t slot) {
  TaskListsGuard guard;
  if (!SlotInRange(slot)) return;
  Tasks().slot[slot].SetSize(0);
  AchievedList().SetSize(0);
  TaskSetNavigationTarget(HomePoint(), TaskOwnPosition(), 0);
}

bool CopyTaskSlot(std::int32_t from, std::int32_t to) {
  TaskListsGuard guard;
  if (!SlotInRange(from) || !SlotInRange(to) || from == to) return false;
  Tasks().slot[to] = Tasks().slot[from];
  if (to == kActiveTaskSlot) AchievedList().SetSize(0);
  return true;
}

void ApplyEditedTask() {
  TaskListsGuard guard;
  if (AchievedList().Empty()) return;
  DynArray<TaskPoint> whole;
  CopyTaskReversed(whole, AchievedList());
  for (const TaskPoint& p : ActiveTask()) whole.Append(p);
  ActiveTask() = whole;
  AchievedList().SetSize(0);
  NavigateToFirstPoint(TaskOwnPosition());
}

void RestartTask() {
  TaskListsGuard guard;
  ApplyEditedTask();
  ComputeStartFinishGates();
  NavigateToFirstPoint(TaskOwnPosition());
  TaskResetStatistics();
}

bool InsertTaskPoint(std::int32_t slot, std::int32_t row, const TaskPoint& point) {
  TaskListsGuard guard;
  if (!SlotInRange(slot)) return false;
  DynArray<TaskPoint>& task = Tasks().slot[slot];
  if (row < 0 || row >= task.Size()) row = task.Size();
  if (task.InsertAt(row, point) != S_OK) return false;
  AfterRowChange(slot, row == 0);
  return true;
}

bool DeleteTaskPoint(std::int32_t slot, std::int32_t row) {
  TaskListsGuard guard;
  if (!SlotInRange(slot)) return false;
  DynArray<TaskPoint>& task = Tasks().slot[slot];
  if (row < 0 || row >= task.Size()) return false;
  task.RemoveAt(row);
  AfterRowChange(slot, row == 0);
  return true;
}

bool MoveTaskPoint(std::int32_t slot, std::int32_t row, bool up) {
  TaskListsGuard guard;
  if (!SlotInRange(slot)) return false;
  DynArray<TaskPoint>& task = Tasks().slot[slot];
  const std::int32_t other = up ? row - 1 : row + 1;
  if (row < 0 || row >= task.Size() || other < 0 || other >= task.Size()) return false;
  const TaskPoint keep = task[row];
  task[row] = task[other];
  task[other] = keep;
  AfterRowChange(slot, row == 0 || other == 0);
  return true;
}

void TaskRowChanged(std::int32_t slot, std::int32_t row) {
  TaskListsGuard guard;
  if (!SlotInRange(slot) || row < 0 || row >= Tasks().slot[slot].Size()) return;
  AfterRowChange(slot, row == 0);
}

void BuildTaskEditBuffer(TaskEditBuffer& buffer) {
  CopyTaskReversed(buffer.points, AchievedList());
  buffer.split = buffer.points.Size();
  for (const TaskPoint& p : ActiveTask()) buffer.points.Append(p);
  buffer.changed = false;
}

void ApplyTaskEditBuffer(const TaskEditBuffer& buffer) {
  TaskListsGuard guard;
  if (!buffer.changed) return;
  if (IsValid(DirectTarget())) GotoFirstTaskPoint();
  const std::int32_t count = buffer.points.Size();
  const std::int32_t split = buffer.split < 0 ? 0 : buffer.split > count ? count : buffer.split;
  TaskLock();
  DynArray<TaskPoint>& achieved = AchievedList();
  achieved.SetSize(0);
  for (std::int32_t i = split - 1; i >= 0; --i) achieved.Append(buffer.points[i]);
  DynArray<TaskPoint>& active = ActiveTask();
  active.SetSize(0);
  for (std::int32_t i = split; i < count; ++i) active.Append(buffer.points[i]);
  TaskUnlock();
  if (split == 0) TaskResetStatistics();
  TaskPoint last;
  const GeoPoint origin = GetLastAchievedPoint(last) ? PointRefPosition(last) : TaskOwnPosition();
  NavigateToFirstPoint(origin);
  if (achieved.Empty()) ComputeStartFinishGates();
}

}  // namespace cumulor
