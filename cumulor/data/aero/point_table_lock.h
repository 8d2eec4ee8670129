// The point-table lock: guards the tile cache, the visible objects, the point tables' distance,
// bearing and filtered arrays, and the aeronautical tables during reloads. Taken after the main
// lock, never before it; recursive, as the reload runs the clear and the loads inside it.
#pragma once

#include <mutex>

namespace cumulor {

inline std::recursive_mutex& PointTableLock() {
  static std::recursive_mutex lock;
  return lock;
}

}  // namespace cumulor
