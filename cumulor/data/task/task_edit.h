// Editing the task lists: the task page's operations on a slot and its rows, and the quick task
// entry's buffer (the whole task in flying order with the number of achieved points).
#pragma once

#include <cstdint>

#include "cumulor/app/base/dyn_array.h"
#include "cumulor/data/task/task_point.h"

namespace cumulor {

// Slot operations of the task page ("TASK..." menu).
// Copies the slot into slot 0 under the task lock, gives up the direct target, empties the achieved
// list and navigates to the first point.
void ActivateTaskSlot(std::int32_t slot);
// Empties the slot and the achieved list and navigates to the home point.
void DeleteTaskSlot(std::int32_t slot);
// Copies the slot into another (0 to 24, not itself; into 0 also empties the achieved list);
// false when nothing was copied.
bool CopyTaskSlot(std::int32_t from, std::int32_t to);
// Puts the achieved points back in front of the active task in flying order, empties the achieved
// list and navigates to the start; nothing when no point was achieved.
void ApplyEditedTask();
// ApplyEditedTask, then the gates are recomputed, the start navigated to and the flight
// statistics reset.
void RestartTask();

// Row operations of the task page ("WPT..." menu); each answers whether it changed the slot.
// After a change of row 0 of slot 0 the first point is navigated to (an emptied active task goes
// to the home point when it is valid); the gates are recomputed.
bool InsertTaskPoint(std::int32_t slot, std::int32_t row, const TaskPoint& point);
bool DeleteTaskPoint(std::int32_t slot, std::int32_t row);
bool MoveTaskPoint(std::int32_t slot, std::int32_t row, bool up);
// After a row's point was edited in place (its area): the same navigation and gates as above.
void TaskRowChanged(std::int32_t slot, std::int32_t row);

// The quick task entry's buffer.
struct TaskEditBuffer {
  DynArray<TaskPoint> points;  // achieved points (oldest first), then the active task
  std::int32_t split = 0;      // the number of points before the active task
  bool changed = false;
};
void BuildTaskEditBuffer(TaskEditBuffer& buffer);
// Rebuilds the achieved list and the active task from the buffer and navigates (nothing when the
// buffer did not change).
void ApplyTaskEditBuffer(const TaskEditBuffer& buffer);

}  // namespace cumulor
