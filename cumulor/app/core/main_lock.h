// The main lock held for a scope: what the frame draws on the GPS notify thread (the status text,
// the popup record, the navigation boxes, the menu) is changed under it by every thread.
#pragma once

#include "cumulor/app/app_context.h"

namespace cumulor {

class MainLockGuard {
 public:
  explicit MainLockGuard(AppContext& app) : app_(app) { EnterCriticalSection(&app_.mainLock); }
  ~MainLockGuard() { LeaveCriticalSection(&app_.mainLock); }
  MainLockGuard(const MainLockGuard&) = delete;
  MainLockGuard& operator=(const MainLockGuard&) = delete;

 private:
  AppContext& app_;
};

}  // namespace cumulor
