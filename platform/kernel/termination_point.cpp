#include "platform/kernel/termination_point.h"

#include <algorithm>

#include "platform/base/errors.h"
#include "platform/kernel/sync.h"
#include "platform/kernel/thread_state.h"

namespace ce::kernel {
namespace {

thread_local const TerminationPoint* t_innermost = nullptr;

}  // namespace

TerminationPoint::TerminationPoint(std::function<void()> wake) : wake_(std::move(wake)), outer_(t_innermost) {
  auto lock = LockKernel();
  CheckTerminatedLocked();
  t_innermost = this;
  ThreadObject& thread = *CurrentThreadState().object;
  // Still here when terminated: the thread cannot unwind (it is unwinding already, or the kernel
  // did not start it), so the call gives up at once.
  if (thread.terminated_) terminated_.store(true, std::memory_order_release);
  thread.points_.push_back(this);
  ++thread.parked_;
  if (thread.terminated_) WakeWaitersLocked();  // a WaitForThreadHalt may be satisfied now
}

TerminationPoint::~TerminationPoint() noexcept(false) {
  t_innermost = outer_;
  auto lock = LockKernel();
  ThreadObject& thread = *CurrentThreadState().object;
  auto it = std::find(thread.points_.begin(), thread.points_.end(), this);
  if (it != thread.points_.end()) thread.points_.erase(it);
  --thread.parked_;
  CheckTerminatedLocked();
}

const TerminationPoint* TerminationPoint::Innermost() { return t_innermost; }

bool TerminationPoint::WillUnwind() const {
  if (!Terminated()) return false;
  auto lock = LockKernel();
  return WouldUnwindLocked();
}

void SignalTerminationPointsLocked(ThreadObject& thread) {
  for (TerminationPoint* point : thread.points_) {
    point->terminated_.store(true, std::memory_order_release);
    if (point->wake_) point->wake_();
  }
}

DWORD WaitForThreadHalt(HANDLE thread, DWORD timeout_ms) {
  auto object = std::dynamic_pointer_cast<ThreadObject>(LookupKernelObject(thread));
  if (!object) {
    SetThreadLastError(ERROR_INVALID_HANDLE);
    return WAIT_FAILED;
  }
  const WaitResult r = WaitAny({}, timeout_ms, [&object] {
    return object->ended_ || (object->terminated_ && object->parked_ > 0);
  });
  return r.status == WaitStatus::kTimeout ? WAIT_TIMEOUT : r.status == WaitStatus::kFailed ? WAIT_FAILED : WAIT_OBJECT_0;
}

DWORD WaitForThreadEnd(HANDLE thread, DWORD timeout_ms) {
  auto object = std::dynamic_pointer_cast<ThreadObject>(LookupKernelObject(thread));
  if (!object) {
    SetThreadLastError(ERROR_INVALID_HANDLE);
    return WAIT_FAILED;
  }
  const WaitResult r = WaitAny({}, timeout_ms, [&object] { return object->ended_; });
  return r.status == WaitStatus::kTimeout ? WAIT_TIMEOUT : r.status == WaitStatus::kFailed ? WAIT_FAILED : WAIT_OBJECT_0;
}

void TerminationCheck() {
  auto lock = LockKernel();
  CheckTerminatedLocked();
}

}  // namespace ce::kernel
