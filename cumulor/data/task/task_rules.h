// The task rules. So far the turnpoint sector of the rules, which the turnpoint-sector test reads;
// the start, finish and on-task rules come with the task module.
#pragma once

#include <cstdint>

#include "cumulor/data/task/task_point.h"

namespace cumulor {

struct TaskRules {
  std::int32_t turnpointType = 0;    // 6: a cylinder that counts from 500 m and up to 10000 m
  std::int32_t sectorRadius = 0;     // metres
};

TaskRules& Rules();
// The most recent achieved point (task slot 25, first entry); false when none was achieved.
bool GetLastAchievedPoint(TaskPoint& out);

}  // namespace cumulor
