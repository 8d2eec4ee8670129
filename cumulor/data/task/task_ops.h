// The small operations on the task store: emptying, advancing and retreating along the active
// task, flying direct to a point and back to the task, reversing, and switching the start.
#pragma once

#include "cumulor/app/base/dyn_array.h"
#include "cumulor/data/task/task_point.h"

namespace cumulor {

void ClearAllTasks();
void ClearActiveTask();
// Moves the first active point to the head of the achieved list and navigates to the next one;
// with fewer than 2 active points only plays "Splat.wav".
void AdvanceTask();
// Moves the last achieved point back in front of the active task ("Splat.wav" when none).
void UndoAdvanceTask();
// Navigates directly to the point and keeps it as the direct target.
void GotoPoint(TaskPoint point);
// Gives up the direct target and navigates to the task's next point (or home without a task).
void GotoFirstTaskPoint();
// The source in reverse order into the destination.
void CopyTaskReversed(DynArray<TaskPoint>& destination, const DynArray<TaskPoint>& source);
void ReverseTask(DynArray<TaskPoint>& task);
// Exchanges the start's two alternative points (both must be valid) and starts from the new one.
void SwapStartPoints();

}  // namespace cumulor
