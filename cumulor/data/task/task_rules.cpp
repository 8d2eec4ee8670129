#include "cumulor/data/task/task_rules.h"

#include "cumulor/data/task/task_slots.h"

namespace cumulor {

TaskRules& Rules() {
  static TaskRules rules;
  return rules;
}

bool GetLastAchievedPoint(TaskPoint& out) {
  const DynArray<TaskPoint>& achieved = Tasks().slot[kAchievedSlot];
  if (achieved.Empty()) return false;
  out = achieved[0];
  return true;
}

}  // namespace cumulor
