// The task lists: 26 slots of TaskPoint, slot 0 the active task, slot 25 the points achieved
// (most recent first), slots 1 to 24 stored tasks. A module global, built before the program's entry.
#pragma once

#include <cstdint>

#include "cumulor/app/base/dyn_array.h"
#include "cumulor/data/task/task_point.h"

namespace cumulor {

inline constexpr std::int32_t kTaskSlotCount = 26;
inline constexpr std::int32_t kActiveTaskSlot = 0;
inline constexpr std::int32_t kAchievedSlot = 25;

struct TaskSlots {
  DynArray<TaskPoint> slot[kTaskSlotCount];
};

TaskSlots& Tasks();
inline DynArray<TaskPoint>& ActiveTask() { return Tasks().slot[kActiveTaskSlot]; }
inline DynArray<TaskPoint>& AchievedList() { return Tasks().slot[kAchievedSlot]; }

}  // namespace cumulor
