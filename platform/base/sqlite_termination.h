// A device database's writes as termination points (platform/kernel/termination_point.h). A write
// holds a TerminationPoint around its transaction; once its thread was terminated, a statement
// running in it is interrupted and a wait for another connection's lock gives up, so the write
// fails, rolls back, and the thread ends as the point goes. Outside a point nothing changes.
#pragma once

#include <sqlite3.h>

#include "platform/kernel/termination_point.h"

namespace ce::sqlite_termination {

inline bool InTerminatedPoint() {
  const kernel::TerminationPoint* point = kernel::TerminationPoint::Innermost();
  return point && point->Terminated();
}

inline int InterruptWhenTerminated(void*) { return InTerminatedPoint() ? 1 : 0; }

// Waits for another connection's lock in steps of 10 ms, for about 10 s in all.
inline int WaitForLock(void*, int tries) {
  if (InTerminatedPoint() || tries >= 1000) return 0;
  sqlite3_sleep(10);
  return 1;
}

// In place of sqlite3_busy_timeout(db, 10000) on a connection.
inline void Watch(sqlite3* db) {
  sqlite3_busy_handler(db, WaitForLock, nullptr);
  sqlite3_progress_handler(db, 1000, InterruptWhenTerminated, nullptr);
}

}  // namespace ce::sqlite_termination
