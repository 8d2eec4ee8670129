// The task lists: 26 slots of TaskPoint, slot 0 the active task, slot 25 the points achieved
// (most recent first). A module global, built before the program's entry.
//
// So far only what the GPS input and the IGC log use: the points and their storage.
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

}  // namespace cumulor
