#include "cumulor/data/task/task_fai.h"

#include "cumulor/data/points/point_db.h"
#include "cumulor/data/task/task_slots.h"
#include "cumulor/nav/geo/geodesy.h"

namespace cumulor {

bool FaiTriangle(const std::uint32_t legs[3], std::uint32_t length) {
  if (length < 100000) return false;
  for (int k = 0; k < 3; ++k) {
    const float share = static_cast<float>(legs[k]) * 100.0f / static_cast<float>(length);
    if (length < 750000) {
      if (share < 28.0f) return false;
    } else if (share < 25.0f || share > 45.0f) {
      return false;
    }
  }
  return true;
}

void ComputeFaiSectors(FaiTask& task) {
  const DynArray<TaskPoint>& active = ActiveTask();
  const std::int32_t n = active.Size();
  task.legs.assign(n > 0 ? static_cast<std::size_t>(n) : 0u, 0u);
  std::uint64_t sum = 0;
  for (std::int32_t k = n - 1; k >= 1; --k) {
    task.legs[k] = GeoDistance(PointRefPosition(active[k - 1]), PointRefPosition(active[k]));
    sum += task.legs[k];
  }
  task.length = sum > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<std::uint32_t>(sum);
  task.isFai = false;
  if (n != 4 || active[0].kind != active[3].kind || active[0].index != active[3].index) return;
  const std::uint32_t legs[3] = {task.legs[1], task.legs[2], task.legs[3]};
  task.isFai = FaiTriangle(legs, task.length);
}

}  // namespace cumulor
