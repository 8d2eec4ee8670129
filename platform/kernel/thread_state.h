// Inside the kernel: what the kernel keeps per thread (every thread, not only those CreateThread
// started) and the thread object that waits see.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/kernel/waitable.h"

namespace ce::kernel {

class MutexObject;
class TerminationPoint;

// Thrown into a thread that TerminateThread or ExitThread ended; caught at the thread's entry.
struct ThreadEnd {
  DWORD exit_code;
};

class ThreadObject : public Waitable {
 public:
  explicit ThreadObject(ThreadId id) : id_(id) {}
  ThreadId id() const { return id_; }
  bool IsSignaledLocked(ThreadId) const override { return ended_ || terminated_; }

  // All fields below: kernel lock held.
  bool ended_ = false;       // the thread has left its work
  bool terminated_ = false;  // TerminateThread ended it (it may still run until its next wait)
  DWORD exit_code_ = 259;    // STILL_ACTIVE
  int ce_priority_ = 251;    // 248 + THREAD_PRIORITY_NORMAL
  DWORD suspend_count_ = 0;
  int parked_ = 0;  // inside a kernel wait, Sleep or termination point
  std::vector<TerminationPoint*> points_;  // the termination points it is inside, innermost last

 private:
  ThreadId id_;
};

struct ThreadState {
  ThreadId id = 0;
  DWORD last_error = 0;
  std::shared_ptr<ThreadObject> object;
  std::vector<std::shared_ptr<MutexObject>> owned_mutexes;  // kernel lock held
  struct TlsValue {
    std::uint64_t generation = 0;
    void* value = nullptr;
  };
  std::vector<TlsValue> tls;
  bool started_by_kernel = false;  // CreateThread's entry wrapper ends the thread itself

  ThreadState(ThreadId id, std::shared_ptr<ThreadObject> object);
  ~ThreadState();
  ThreadState(const ThreadState&) = delete;
  ThreadState& operator=(const ThreadState&) = delete;
};

ThreadState& CurrentThreadState();
// Ends a thread as far as the kernel is concerned: abandons its mutexes, sets its exit code
// (unless TerminateThread already did) and releases its waiters.
void EndThread(ThreadState& state, DWORD exit_code);
// Abandons every mutex the thread still owns. Kernel lock held.
void AbandonMutexesLocked(ThreadState& state);
// Tells the termination points of a thread just marked terminated. Kernel lock held.
void SignalTerminationPointsLocked(ThreadObject& thread);
// Throws ThreadEnd when the calling thread was terminated and may unwind now. Kernel lock held.
void CheckTerminatedLocked();
// True when CheckTerminatedLocked would throw now. Kernel lock held.
bool WouldUnwindLocked();
// True when the calling thread was terminated. Kernel lock held.
bool IsTerminatedLocked();

}  // namespace ce::kernel

namespace ce::kernel {
// The object behind a handle, with GetCurrentThread's pseudo handle resolved to the calling thread.
std::shared_ptr<KernelObject> LookupKernelObject(HANDLE h);
// Sets the calling thread's last error.
void SetThreadLastError(DWORD code);
}  // namespace ce::kernel
