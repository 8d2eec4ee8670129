#include "cumulor/data/task/task_slots.h"

namespace cumulor {

TaskSlots& Tasks() {
  static TaskSlots slots;
  return slots;
}

}  // namespace cumulor
