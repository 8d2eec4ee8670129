#include "platform/kernel/waitable.h"

#include <algorithm>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <iterator>
#include <optional>
#include <set>
#include <vector>

#include "platform/base/errors.h"
#include "platform/kernel/clock.h"
#include "platform/kernel/clock_internal.h"
#include "platform/kernel/sync.h"
#include "platform/kernel/thread_state.h"
#include "platform/kernel/wait_deadlines.h"

namespace ce::kernel {
namespace {

struct Kernel {
  std::mutex lock;
  std::condition_variable changed;
  std::size_t threads_in_wait = 0;  // kernel lock held
  std::multiset<std::uint64_t> deadlines;  // of the timed waits in progress; kernel lock held
};

Kernel& TheKernel() {
  static Kernel* kernel = new Kernel;  // never destroyed: threads may wait during exit
  return *kernel;
}

}  // namespace

std::unique_lock<std::mutex> LockKernel() { return std::unique_lock<std::mutex>(TheKernel().lock); }

void WakeWaitersLocked() { TheKernel().changed.notify_all(); }
void WakeWaitersAfterUnlock() { TheKernel().changed.notify_all(); }

// Enters the calling thread in the waiting lists of the objects for the time of one wait.
class WaitRegistration {
 public:
  WaitRegistration(std::span<Waitable* const> objects, ThreadId me) : objects_(objects), me_(me) {
    for (Waitable* o : objects_) {
      o->waiting_.push_back(me_);
      o->OnWaitBeganLocked(me_);
    }
  }
  ~WaitRegistration() {
    for (Waitable* o : objects_) {
      auto it = std::find(o->waiting_.begin(), o->waiting_.end(), me_);
      if (it != o->waiting_.end()) o->waiting_.erase(it);
      o->OnWaitEndedLocked(me_);
    }
  }
  WaitRegistration(const WaitRegistration&) = delete;
  WaitRegistration& operator=(const WaitRegistration&) = delete;

 private:
  std::span<Waitable* const> objects_;
  ThreadId me_;
};

namespace {

// Whether the wait is satisfied now; acquires what it takes when it is.
std::optional<WaitResult> TrySatisfyLocked(std::span<Waitable* const> objects, bool all, ThreadId me,
                                           const std::function<bool()>& extra) {
  if (all && !objects.empty()) {
    bool ready = std::all_of(objects.begin(), objects.end(),
                             [me](Waitable* o) { return o->IsSignaledLocked(me); });
    if (ready) {
      std::optional<std::size_t> abandoned;
      for (std::size_t i = 0; i < objects.size(); ++i) {
        if (objects[i]->AcquireLocked(me) && !abandoned) abandoned = i;
      }
      if (abandoned) return WaitResult{WaitStatus::kAbandoned, *abandoned};
      return WaitResult{WaitStatus::kSignaled, 0};
    }
  } else if (!all) {
    for (std::size_t i = 0; i < objects.size(); ++i) {
      if (objects[i]->IsSignaledLocked(me)) {
        bool abandoned = objects[i]->AcquireLocked(me);
        return WaitResult{abandoned ? WaitStatus::kAbandoned : WaitStatus::kSignaled, i};
      }
    }
  }
  if (extra && extra()) return WaitResult{WaitStatus::kExtra, objects.size()};
  return std::nullopt;
}

WaitResult Wait(std::span<Waitable* const> objects, bool all, DWORD timeout_ms,
                const std::function<bool()>& extra) {
  if (objects.size() > kMaxWaitObjects || (objects.empty() && !extra) ||
      std::any_of(objects.begin(), objects.end(), [](Waitable* o) { return o == nullptr; })) {
    return {WaitStatus::kFailed};
  }
  ThreadId me = CurrentThreadId();
  Kernel& k = TheKernel();
  std::unique_lock<std::mutex> lock(k.lock);
  WaitRegistration registration(objects, me);
  std::optional<std::uint64_t> deadline;
  if (timeout_ms != INFINITE) deadline = MonotonicMs() + timeout_ms;
  struct InWait {
    std::size_t& count;
    explicit InWait(std::size_t& c) : count(c) { ++count; }
    ~InWait() { --count; }
  } in_wait(k.threads_in_wait);
  // The deadline stays listed until this thread has returned, so that a test can tell a wait that
  // timed out but whose thread has not run yet.
  struct Deadline {
    std::multiset<std::uint64_t>& list;
    std::optional<std::multiset<std::uint64_t>::iterator> at;
    Deadline(std::multiset<std::uint64_t>& l, std::optional<std::uint64_t> d) : list(l) {
      if (d) at = list.insert(*d);
    }
    ~Deadline() {
      if (at) list.erase(*at);
    }
  } listed(k.deadlines, deadline);
  CheckTerminatedLocked();
  if (IsTerminatedLocked()) return {WaitStatus::kFailed};  // unwinding already
  // Blocked here, a terminated thread never returns into its code: it counts as parked.
  struct Parked {
    int& count;
    explicit Parked(int& c) : count(c) { ++count; }
    ~Parked() { --count; }
  } parked(CurrentThreadState().object->parked_);
  for (;;) {
    CheckTerminatedLocked();
    if (IsTerminatedLocked()) return {WaitStatus::kFailed};  // unwinding already
    if (auto result = TrySatisfyLocked(objects, all, me, extra)) return *result;
    DeadlineCheck check = CheckDeadlineLocked(deadline);
    if (check.passed) return {WaitStatus::kTimeout};
    if (check.block_until) {
      k.changed.wait_until(lock, *check.block_until);
    } else {
      k.changed.wait(lock);
    }
  }
}

}  // namespace

std::size_t ThreadsInWait() {
  auto lock = LockKernel();
  return TheKernel().threads_in_wait;
}

std::size_t WaitsPastDeadline() {
  auto lock = LockKernel();
  const std::multiset<std::uint64_t>& deadlines = TheKernel().deadlines;
  return static_cast<std::size_t>(std::distance(deadlines.begin(), deadlines.upper_bound(MonotonicMs())));
}

WaitResult WaitAny(std::span<Waitable* const> objects, DWORD timeout_ms,
                   const std::function<bool()>& extra) {
  return Wait(objects, false, timeout_ms, extra);
}

WaitResult WaitAll(std::span<Waitable* const> objects, DWORD timeout_ms,
                   const std::function<bool()>& extra) {
  return Wait(objects, true, timeout_ms, extra);
}

DWORD WaitForHandles(const HANDLE* handles, DWORD count, bool wait_all, DWORD timeout_ms,
                     const std::function<bool()>& extra) {
  if (count > kMaxWaitObjects || (count > 0 && handles == nullptr) || (count == 0 && !extra)) {
    SetThreadLastError(ERROR_INVALID_PARAMETER);
    return WAIT_FAILED;
  }
  std::vector<std::shared_ptr<KernelObject>> keep;  // holds the objects for the wait
  std::vector<Waitable*> objects;
  for (DWORD i = 0; i < count; ++i) {
    auto object = LookupKernelObject(handles[i]);
    Waitable* w = object ? object->AsWaitable() : nullptr;
    if (!w) {
      SetThreadLastError(ERROR_INVALID_HANDLE);
      return WAIT_FAILED;
    }
    // The same object twice in one wait-all could never be satisfied on the device either.
    if (wait_all && std::find(objects.begin(), objects.end(), w) != objects.end()) {
      SetThreadLastError(ERROR_INVALID_PARAMETER);
      return WAIT_FAILED;
    }
    keep.push_back(std::move(object));
    objects.push_back(w);
  }
  WaitResult r = Wait(objects, wait_all, timeout_ms, extra);
  switch (r.status) {
    case WaitStatus::kSignaled:
    case WaitStatus::kExtra:
      return WAIT_OBJECT_0 + static_cast<DWORD>(r.index);
    case WaitStatus::kAbandoned:
      return WAIT_ABANDONED_0 + static_cast<DWORD>(r.index);
    case WaitStatus::kTimeout:
      return WAIT_TIMEOUT;
    case WaitStatus::kFailed:
      break;
  }
  SetThreadLastError(ERROR_OPERATION_ABORTED);
  return WAIT_FAILED;
}

}  // namespace ce::kernel
