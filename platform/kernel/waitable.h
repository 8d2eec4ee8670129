// Waitable kernel objects and the waits on them.
//
// Every object a wait function can wait on (thread, event, mutex, message queue, process, ...)
// derives from Waitable. Its signalled state lives in the subclass and is read and changed only
// under the kernel lock; whoever changes it calls WakeWaitersLocked() before dropping the lock, and
// every waiting thread re-checks what it waits for. Waits measure time-outs on the kernel clock
// (platform/kernel/clock.h), so under a test's manual clock they end when the test moves time past
// their deadline, not after real time.
//
// Deriving an object (say a message queue that is signalled while it holds a message):
//
//   class Queue : public ce::kernel::Waitable {
//    public:
//     void Push(Msg m) {
//       auto lock = ce::kernel::LockKernel();
//       items_.push_back(std::move(m));
//       ce::kernel::WakeWaitersLocked();
//     }
//    protected:
//     bool IsSignaledLocked(ThreadId) const override { return !items_.empty(); }
//   };
//
// Waiting on handles plus a condition of one's own (MsgWaitForMultipleObjectsEx): pass `extra`, a
// predicate checked under the kernel lock; whatever makes it true must also call
// WakeWaitersLocked() under the lock.
#pragma once

#include <cstddef>
#include <functional>
#include <mutex>
#include <span>
#include <vector>

#include "platform/base/types.h"
#include "platform/kernel/handle_table.h"

namespace ce::kernel {

using ThreadId = DWORD;

// The one lock that guards the state of every waitable object.
std::unique_lock<std::mutex> LockKernel();
// Wakes every thread blocked in a wait or Sleep so it re-checks; call with the kernel lock held.
void WakeWaitersLocked();
// The same after the lock was let go, for a change a waiter would have seen under the lock (the
// woken thread then need not wait for the lock the waker still holds).
void WakeWaitersAfterUnlock();

class Waitable : public KernelObject {
 public:
  Waitable* AsWaitable() final { return this; }

  // Whether a wait by thread `waiter` would be satisfied now. Kernel lock held.
  virtual bool IsSignaledLocked(ThreadId waiter) const = 0;
  // The wait is satisfied: take what the wait takes (an auto-reset event resets, a mutex becomes
  // the waiter's or its count grows). Returns true when the object was abandoned by its previous
  // owner (the wait then reports WAIT_ABANDONED). Kernel lock held; only called after
  // IsSignaledLocked(waiter) was true in the same lock hold.
  virtual bool AcquireLocked(ThreadId /*waiter*/) { return false; }

 protected:
  // Threads now blocked in a wait on this object, oldest first. Kernel lock held.
  const std::vector<ThreadId>& WaitingThreadsLocked() const { return waiting_; }
  // A wait by `waiter` that includes this object begins (before its first check). Kernel lock held.
  virtual void OnWaitBeganLocked(ThreadId /*waiter*/) {}
  // A wait by `waiter` that included this object has ended, however it ended. Kernel lock held.
  virtual void OnWaitEndedLocked(ThreadId /*waiter*/) {}

 private:
  friend class WaitRegistration;
  std::vector<ThreadId> waiting_;
};

enum class WaitStatus {
  kSignaled,   // objects[index] satisfied the wait (for WaitAll: all of them, index 0)
  kAbandoned,  // as kSignaled, but a mutex (objects[index]) was abandoned by its owner
  kExtra,      // the extra predicate became true (nothing acquired)
  kTimeout,
  kFailed,     // bad arguments (empty list, a null object, too many objects)
};

struct WaitResult {
  WaitStatus status;
  std::size_t index = 0;
};

// The most objects one wait takes (MAXIMUM_WAIT_OBJECTS).
inline constexpr std::size_t kMaxWaitObjects = 64;

// Waits until one object is signalled (the lowest index wins), `extra` returns true or
// `timeout_ms` (INFINITE for none) passes on the kernel clock. The caller keeps the objects alive.
// A thread terminated by TerminateThread does not return from here (see thread.h).
WaitResult WaitAny(std::span<Waitable* const> objects, DWORD timeout_ms,
                   const std::function<bool()>& extra = {});
// As WaitAny, but waits until all objects are signalled at once and then acquires all of them
// together; `extra` becoming true also ends it. An empty list with an `extra` predicate waits for
// the predicate alone. `extra` runs under the kernel lock: it must not wait, nor take a lock that
// its owner holds while calling into the kernel.
WaitResult WaitAll(std::span<Waitable* const> objects, DWORD timeout_ms,
                   const std::function<bool()>& extra = {});

// The same wait over handles, with the platform's result codes: WAIT_OBJECT_0 + i,
// WAIT_ABANDONED_0 + i, WAIT_OBJECT_0 + count when `extra` ended the wait, WAIT_TIMEOUT, or
// WAIT_FAILED with the thread's last error set (ERROR_INVALID_HANDLE for a bad or non-waitable
// handle, ERROR_INVALID_PARAMETER for a bad count).
DWORD WaitForHandles(const HANDLE* handles, DWORD count, bool wait_all, DWORD timeout_ms,
                     const std::function<bool()>& extra = {});

// How many threads are inside a wait or Sleep now, their deadline already fixed. A test waits for
// this count before it moves the manual clock, so that the move reaches the waits it means.
std::size_t ThreadsInWait();

// The calling thread's id as waits see it (GetCurrentThreadId).
ThreadId CurrentThreadId();

}  // namespace ce::kernel
