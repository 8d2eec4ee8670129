#include "platform/kernel/threads.h"

#include <pthread.h>

#include <atomic>
#include <exception>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "platform/base/errors.h"
#include "platform/kernel/handle_table.h"
#include "platform/kernel/thread_state.h"

namespace ce::kernel {
namespace {

const HANDLE kCurrentThreadPseudo = reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-2));

std::atomic<ThreadId> g_next_id{0x1000};

ThreadId NewThreadId() { return g_next_id.fetch_add(4); }

// TLS slots: which are in use, and a generation per slot so that a fresh TlsAlloc reads null in
// every thread whatever an earlier owner of the index stored.
struct TlsSlots {
  std::mutex lock;
  bool used[TLS_MINIMUM_AVAILABLE] = {};
  std::atomic<std::uint64_t> generation[TLS_MINIMUM_AVAILABLE] = {};
  std::uint64_t next_generation = 1;
};

TlsSlots& TheTlsSlots() {
  static TlsSlots* slots = new TlsSlots;
  return *slots;
}

thread_local std::optional<ThreadState> t_state;

struct StartInfo {
  std::shared_ptr<ThreadObject> object;
  LPTHREAD_START_ROUTINE start;
  LPVOID parameter;
};

std::mutex g_hooks_lock;
std::vector<ThreadHook>& TheThreadHooks() {
  static auto* hooks = new std::vector<ThreadHook>;
  return *hooks;
}

void CallThreadHooks(bool attach) {
  std::vector<ThreadHook> hooks;
  {
    std::lock_guard<std::mutex> guard(g_hooks_lock);
    hooks = TheThreadHooks();
  }
  for (ThreadHook hook : hooks) hook(attach);
}

void RunThread(StartInfo info) {
  ThreadState& state = t_state.emplace(info.object->id(), info.object);
  state.started_by_kernel = true;
  DWORD code = 0;
  bool attached = false;
  try {
    // A suspended thread waits here for ResumeThread (or ends if terminated meanwhile).
    WaitAny({}, INFINITE, [&] { return info.object->suspend_count_ == 0; });
    CallThreadHooks(true);
    attached = true;
    code = info.start(info.parameter);
  } catch (const ThreadEnd& end) {
    code = end.exit_code;
  }
  // As on the device, a terminated thread gets no detach call; one that returned or called
  // ExitThread does. A termination that arrives during the detach calls ends them there.
  bool terminated;
  {
    auto lock = LockKernel();
    terminated = IsTerminatedLocked();
  }
  if (attached && !terminated) {
    try {
      CallThreadHooks(false);
    } catch (const ThreadEnd&) {
    }
  }
  EndThread(state, code);
}

std::shared_ptr<ThreadObject> LookupThread(HANDLE h) {
  return std::dynamic_pointer_cast<ThreadObject>(LookupKernelObject(h));
}

}  // namespace

ThreadState::ThreadState(ThreadId thread_id, std::shared_ptr<ThreadObject> thread_object)
    : id(thread_id), object(std::move(thread_object)), tls(TLS_MINIMUM_AVAILABLE) {}

ThreadState::~ThreadState() {
  if (!started_by_kernel) EndThread(*this, 0);
}

ThreadState& CurrentThreadState() {
  if (!t_state) {
    ThreadId id = NewThreadId();
    t_state.emplace(id, std::make_shared<ThreadObject>(id));
  }
  return *t_state;
}

ThreadId CurrentThreadId() { return CurrentThreadState().id; }

void EndThread(ThreadState& state, DWORD exit_code) {
  auto lock = LockKernel();
  AbandonMutexesLocked(state);
  if (!state.object->terminated_) state.object->exit_code_ = exit_code;
  state.object->ended_ = true;
  WakeWaitersLocked();
}

bool IsTerminatedLocked() { return CurrentThreadState().object->terminated_; }

bool WouldUnwindLocked() {
  ThreadState& state = CurrentThreadState();
  // Threads the kernel did not start have no entry to unwind to; their waits just fail.
  return state.object->terminated_ && state.started_by_kernel && std::uncaught_exceptions() == 0;
}

void CheckTerminatedLocked() {
  if (WouldUnwindLocked()) throw ThreadEnd{CurrentThreadState().object->exit_code_};
}

std::shared_ptr<KernelObject> LookupKernelObject(HANDLE h) {
  if (h == kCurrentThreadPseudo) return CurrentThreadState().object;
  return LookupHandle(h);
}

void SetThreadLastError(DWORD code) { CurrentThreadState().last_error = code; }

}  // namespace ce::kernel

using namespace ce::kernel;

HANDLE CreateThread(LPSECURITY_ATTRIBUTES, DWORD, LPTHREAD_START_ROUTINE start, LPVOID parameter,
                    DWORD flags, LPDWORD thread_id) {
  if (start == nullptr) {
    SetThreadLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto object = std::make_shared<ThreadObject>(NewThreadId());
  if (flags & CREATE_SUSPENDED) object->suspend_count_ = 1;
  HANDLE h = InsertHandle(object);
  try {
    std::thread(RunThread, StartInfo{object, start, parameter}).detach();
  } catch (const std::system_error&) {
    RemoveHandle(h);
    SetThreadLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  if (thread_id) *thread_id = object->id();
  return h;
}

DWORD ResumeThread(HANDLE thread) {
  auto object = LookupThread(thread);
  if (!object) {
    SetThreadLastError(ERROR_INVALID_HANDLE);
    return 0xFFFFFFFFu;
  }
  auto lock = LockKernel();
  DWORD previous = object->suspend_count_;
  if (previous > 0) --object->suspend_count_;
  WakeWaitersLocked();
  return previous;
}

void ExitThread(DWORD exit_code) {
  ThreadState& state = CurrentThreadState();
  if (state.started_by_kernel) throw ThreadEnd{exit_code};
  EndThread(state, exit_code);
  state.started_by_kernel = true;  // already ended; the state's destructor must not end it again
  pthread_exit(nullptr);
}

BOOL TerminateThread(HANDLE thread, DWORD exit_code) {
  auto object = LookupThread(thread);
  if (!object) {
    SetThreadLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  {
    auto lock = LockKernel();
    if (!object->ended_ && !object->terminated_) {
      object->terminated_ = true;
      object->exit_code_ = exit_code;
      SignalTerminationPointsLocked(*object);
      WakeWaitersLocked();
    }
  }
  if (object == CurrentThreadState().object && CurrentThreadState().started_by_kernel) {
    throw ThreadEnd{exit_code};
  }
  return TRUE;
}

BOOL GetExitCodeThread(HANDLE thread, LPDWORD exit_code) {
  auto object = LookupThread(thread);
  if (!object || !exit_code) {
    SetThreadLastError(object ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE);
    return FALSE;
  }
  auto lock = LockKernel();
  *exit_code = object->exit_code_;
  return TRUE;
}

HANDLE GetCurrentThread() { return kCurrentThreadPseudo; }

DWORD GetCurrentThreadId() { return CurrentThreadId(); }

DWORD GetThreadId(HANDLE thread) {
  auto object = LookupThread(thread);
  if (!object) {
    SetThreadLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  return object->id();
}

BOOL CeSetThreadPriority(HANDLE thread, int priority) {
  auto object = LookupThread(thread);
  if (!object || priority < 0 || priority > 255) {
    SetThreadLastError(object ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE);
    return FALSE;
  }
  auto lock = LockKernel();
  object->ce_priority_ = priority;
  return TRUE;
}

int CeGetThreadPriority(HANDLE thread) {
  auto object = LookupThread(thread);
  if (!object) {
    SetThreadLastError(ERROR_INVALID_HANDLE);
    return THREAD_PRIORITY_ERROR_RETURN;
  }
  auto lock = LockKernel();
  return object->ce_priority_;
}

BOOL SetThreadPriority(HANDLE thread, int priority) {
  if (priority < THREAD_PRIORITY_TIME_CRITICAL || priority > THREAD_PRIORITY_IDLE) {
    SetThreadLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return CeSetThreadPriority(thread, 248 + priority);
}

int GetThreadPriority(HANDLE thread) {
  int ce = CeGetThreadPriority(thread);
  if (ce == THREAD_PRIORITY_ERROR_RETURN) return ce;
  // A real-time priority set with CeSetThreadPriority reads as the highest one.
  return ce < 248 ? THREAD_PRIORITY_TIME_CRITICAL : ce - 248;
}

void Sleep(DWORD ms) {
  if (ms == 0) {
    {
      auto lock = LockKernel();
      CheckTerminatedLocked();
    }
    std::this_thread::yield();
    return;
  }
  WaitAny({}, ms, [] { return false; });
}

DWORD TlsAlloc() {
  TlsSlots& slots = TheTlsSlots();
  std::lock_guard<std::mutex> guard(slots.lock);
  for (DWORD i = 0; i < TLS_MINIMUM_AVAILABLE; ++i) {
    if (!slots.used[i]) {
      slots.used[i] = true;
      slots.generation[i] = slots.next_generation++;
      return i;
    }
  }
  SetThreadLastError(ERROR_NO_MORE_ITEMS);
  return TLS_OUT_OF_INDEXES;
}

BOOL TlsFree(DWORD index) {
  TlsSlots& slots = TheTlsSlots();
  std::lock_guard<std::mutex> guard(slots.lock);
  if (index >= TLS_MINIMUM_AVAILABLE || !slots.used[index]) {
    SetThreadLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  slots.used[index] = false;
  slots.generation[index] = 0;
  return TRUE;
}

LPVOID TlsGetValue(DWORD index) {
  if (index >= TLS_MINIMUM_AVAILABLE) {
    SetThreadLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  ThreadState& state = CurrentThreadState();
  std::uint64_t generation = TheTlsSlots().generation[index].load();
  state.last_error = ERROR_SUCCESS;  // lets a caller tell a stored null from a failure
  const auto& slot = state.tls[index];
  return slot.generation == generation ? slot.value : nullptr;
}

BOOL TlsSetValue(DWORD index, LPVOID value) {
  if (index >= TLS_MINIMUM_AVAILABLE) {
    SetThreadLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::uint64_t generation = TheTlsSlots().generation[index].load();
  if (generation == 0) {
    SetThreadLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  CurrentThreadState().tls[index] = {generation, value};
  return TRUE;
}

namespace ce::kernel {

void AddThreadHook(ThreadHook hook) {
  std::lock_guard<std::mutex> guard(g_hooks_lock);
  TheThreadHooks().push_back(hook);
}

void RemoveThreadHook(ThreadHook hook) {
  std::lock_guard<std::mutex> guard(g_hooks_lock);
  auto& hooks = TheThreadHooks();
  std::erase(hooks, hook);
}

}  // namespace ce::kernel
