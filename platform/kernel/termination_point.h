// Termination points: blocking platform calls outside the kernel's waits (an HTTP transfer, a
// registry or CEDB write transaction, a serial read, a send to another process) where a thread that
// TerminateThread marked ends.
//
// A call that blocks holds a TerminationPoint for as long as it may block. While it does, the
// thread counts as parked: marked terminated there, it never comes back into its caller's code.
// TerminateThread sets the point's flag and calls its `wake` (under the kernel lock, so `wake`
// must only poke, e.g. write a byte to a pipe); the call sees `Terminated()`, gives up, cleans up
// what it holds, and when the point goes out of scope the thread unwinds to its entry. A thread
// already terminated unwinds on entering a point. The kernel's own waits and Sleep count as
// parked too.
//
// Threads the kernel did not start cannot unwind: for them the call gives up and returns its
// failure.
#pragma once

#include <atomic>
#include <functional>

#include "platform/base/types.h"

namespace ce::kernel {

class ThreadObject;

class TerminationPoint {
 public:
  explicit TerminationPoint(std::function<void()> wake = {});
  // Unwinds the thread when it was terminated meanwhile.
  ~TerminationPoint() noexcept(false);
  TerminationPoint(const TerminationPoint&) = delete;
  TerminationPoint& operator=(const TerminationPoint&) = delete;

  // True once the thread was terminated: the blocking call should give up now. Lock-free, for
  // callbacks that run often (progress handlers).
  bool Terminated() const { return terminated_.load(std::memory_order_acquire); }
  // True when leaving the point will unwind the thread (it was terminated and can unwind).
  bool WillUnwind() const;
  // The innermost point the calling thread is inside, or null: for callbacks of a library (a
  // database's progress and busy handlers) that give up once their thread was terminated.
  static const TerminationPoint* Innermost();

 private:
  friend void SignalTerminationPointsLocked(ThreadObject& thread);
  std::atomic<bool> terminated_{false};
  std::function<void()> wake_;
  const TerminationPoint* outer_;
};

// Waits until `thread` has ended, or was terminated and is parked at a termination point (a
// kernel wait, Sleep or a TerminationPoint), so that it can no longer run on in its own code. A
// thread busy in pure computation is waited for. WAIT_OBJECT_0, WAIT_TIMEOUT or WAIT_FAILED (bad
// handle).
DWORD WaitForThreadHalt(HANDLE thread, DWORD timeout_ms);

// Waits until `thread` has really left its work: unlike a wait on the handle, which a
// TerminateThread releases at once, this one lasts while a terminated thread still runs on (in pure
// computation, or unwinding), so that what the thread uses may be freed afterwards.
// WAIT_OBJECT_0, WAIT_TIMEOUT or WAIT_FAILED (bad handle).
DWORD WaitForThreadEnd(HANDLE thread, DWORD timeout_ms);

// Ends the calling thread here when TerminateThread marked it: a check for long computations that
// reach no blocking call, so that a thread told to end does not run on for their whole length.
// Returns when the thread was not terminated (or cannot unwind).
void TerminationCheck();

}  // namespace ce::kernel
