#include "platform/kernel/sync.h"

#include <algorithm>
#include <atomic>
#include <map>
#include <mutex>
#include <string>

#include "platform/base/errors.h"
#include "platform/kernel/event_observer.h"
#include "platform/kernel/handle_table.h"
#include "platform/kernel/termination_point.h"
#include "platform/kernel/thread_state.h"

namespace ce::kernel {
namespace {

const HANDLE kCurrentProcessPseudo = reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-1));

bool Contains(const std::vector<ThreadId>& ids, ThreadId id) {
  return std::find(ids.begin(), ids.end(), id) != ids.end();
}

void Erase(std::vector<ThreadId>& ids, ThreadId id) {
  auto it = std::find(ids.begin(), ids.end(), id);
  if (it != ids.end()) ids.erase(it);
}

class EventObject : public Waitable {
 public:
  EventObject(bool manual, bool signaled) : manual_(manual), signaled_(signaled) {}

  bool IsSignaledLocked(ThreadId waiter) const override {
    return signaled_ || Contains(pulsed_, waiter);
  }
  bool AcquireLocked(ThreadId waiter) override {
    if (Contains(pulsed_, waiter)) {
      Erase(pulsed_, waiter);
    } else if (!manual_) {
      signaled_ = false;
    }
    return false;
  }
  void OnWaitEndedLocked(ThreadId waiter) override { Erase(pulsed_, waiter); }

  void ModifyLocked(DWORD func) {
    switch (func) {
      case EVENT_SET:
        signaled_ = true;
        break;
      case EVENT_RESET:
        signaled_ = false;
        break;
      case EVENT_PULSE: {
        // Releases the threads waiting now (one of them for an auto-reset event) and leaves the
        // event reset.
        const auto& waiting = WaitingThreadsLocked();
        if (manual_) {
          pulsed_ = waiting;
        } else if (!waiting.empty()) {
          pulsed_.assign(1, waiting.front());
        }
        signaled_ = false;
        break;
      }
    }
    WakeWaitersLocked();
  }

 private:
  bool manual_;
  bool signaled_;
  std::vector<ThreadId> pulsed_;  // threads a pulse released that have not yet left their wait
};

}  // namespace

class MutexObject : public Waitable, public std::enable_shared_from_this<MutexObject> {
 public:
  bool IsSignaledLocked(ThreadId waiter) const override { return owner_ == 0 || owner_ == waiter; }
  bool AcquireLocked(ThreadId waiter) override {
    if (owner_ == waiter) {
      ++count_;
      return false;
    }
    owner_ = waiter;
    count_ = 1;
    CurrentThreadState().owned_mutexes.push_back(shared_from_this());
    bool abandoned = abandoned_;
    abandoned_ = false;
    return abandoned;
  }
  // False when the calling thread does not own the mutex.
  bool ReleaseLocked(ThreadState& me) {
    if (owner_ != me.id) return false;
    if (--count_ == 0) {
      owner_ = 0;
      auto& owned = me.owned_mutexes;
      auto it = std::find_if(owned.begin(), owned.end(), [this](const auto& m) { return m.get() == this; });
      if (it != owned.end()) owned.erase(it);
      WakeWaitersLocked();
    }
    return true;
  }
  void AbandonLocked() {
    owner_ = 0;
    count_ = 0;
    abandoned_ = true;
  }

 private:
  ThreadId owner_ = 0;
  DWORD count_ = 0;
  bool abandoned_ = false;
};

void AbandonMutexesLocked(ThreadState& state) {
  if (state.owned_mutexes.empty()) return;
  for (auto& m : state.owned_mutexes) m->AbandonLocked();
  state.owned_mutexes.clear();
  WakeWaitersLocked();
}

namespace {

// Named events and mutexes share one name space per process.
struct Names {
  std::mutex lock;
  std::map<std::u16string, std::weak_ptr<KernelObject>> objects;
};

Names& TheNames() {
  static Names* names = new Names;
  return *names;
}

std::atomic<NamedEventObserver> g_namedEventObserver{nullptr};

// The name under which `object` was created, or empty.
std::u16string NameOf(const std::shared_ptr<KernelObject>& object) {
  Names& names = TheNames();
  std::lock_guard<std::mutex> guard(names.lock);
  for (const auto& [name, weak] : names.objects) {
    if (weak.lock() == object) return name;
  }
  return {};
}

template <class T, class Make>
HANDLE CreateNamed(LPCWSTR name, Make make) {
  std::shared_ptr<KernelObject> object;
  if (name && *name) {
    Names& names = TheNames();
    std::lock_guard<std::mutex> guard(names.lock);
    auto& slot = names.objects[std::u16string(name)];
    if (auto existing = slot.lock()) {
      if (!std::dynamic_pointer_cast<T>(existing)) {
        SetThreadLastError(ERROR_INVALID_HANDLE);  // the name belongs to another kind of object
        return nullptr;
      }
      SetThreadLastError(ERROR_ALREADY_EXISTS);
      return InsertHandle(std::move(existing));
    }
    object = make();
    slot = object;
  } else {
    object = make();
  }
  SetThreadLastError(ERROR_SUCCESS);
  return InsertHandle(std::move(object));
}

struct CsImpl {
  std::recursive_mutex mutex;
  std::atomic<ThreadId> owner{0};
  int count = 0;  // touched only by the owner
};

CsImpl* CsOf(LPCRITICAL_SECTION cs) {
  std::atomic_ref<void*> ref(cs->impl);
  void* p = ref.load();
  if (p) return static_cast<CsImpl*>(p);
  auto* fresh = new CsImpl;
  void* expected = nullptr;
  if (ref.compare_exchange_strong(expected, fresh)) return fresh;
  delete fresh;
  return static_cast<CsImpl*>(expected);
}

}  // namespace
}  // namespace ce::kernel

using namespace ce::kernel;

BOOL CloseHandle(HANDLE h) {
  if (h == GetCurrentProcess() || h == reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-2))) return TRUE;
  if (!RemoveHandle(h)) {
    SetThreadLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return TRUE;
}

HANDLE GetCurrentProcess() { return kCurrentProcessPseudo; }

BOOL DuplicateHandle(HANDLE source_process, HANDLE source, HANDLE target_process, HANDLE* target,
                     DWORD, BOOL, DWORD options) {
  if (source_process != kCurrentProcessPseudo || target_process != kCurrentProcessPseudo) {
    SetThreadLastError(ERROR_NOT_SUPPORTED);
    return FALSE;
  }
  auto object = LookupKernelObject(source);
  if (!object) {
    SetThreadLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (target) *target = InsertHandle(object);
  if (options & DUPLICATE_CLOSE_SOURCE) CloseHandle(source);
  return TRUE;
}

DWORD WaitForSingleObject(HANDLE h, DWORD timeout_ms) {
  return WaitForHandles(&h, 1, false, timeout_ms);
}

DWORD WaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL wait_all, DWORD timeout_ms) {
  if (count == 0) {
    SetThreadLastError(ERROR_INVALID_PARAMETER);
    return WAIT_FAILED;
  }
  return WaitForHandles(handles, count, wait_all != FALSE, timeout_ms);
}

HANDLE CreateEventW(LPSECURITY_ATTRIBUTES, BOOL manual_reset, BOOL initial_state, LPCWSTR name) {
  return CreateNamed<EventObject>(name, [&] {
    return std::make_shared<EventObject>(manual_reset != FALSE, initial_state != FALSE);
  });
}

HANDLE OpenEventW(DWORD, BOOL, LPCWSTR name) {
  if (name && *name) {
    Names& names = TheNames();
    std::lock_guard<std::mutex> guard(names.lock);
    auto it = names.objects.find(std::u16string(name));
    if (it != names.objects.end()) {
      if (auto existing = std::dynamic_pointer_cast<EventObject>(it->second.lock())) {
        return InsertHandle(std::move(existing));
      }
    }
  }
  SetThreadLastError(ERROR_FILE_NOT_FOUND);
  return nullptr;
}

BOOL EventModify(HANDLE h, DWORD func) {
  auto event = std::dynamic_pointer_cast<EventObject>(LookupKernelObject(h));
  if (!event) {
    SetThreadLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (func != EVENT_SET && func != EVENT_RESET && func != EVENT_PULSE) {
    SetThreadLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  {
    auto lock = LockKernel();
    event->ModifyLocked(func);
  }
  if (NamedEventObserver observer = g_namedEventObserver.load(); observer && func != EVENT_RESET) {
    const std::u16string name = NameOf(event);
    if (!name.empty()) observer(name);
  }
  return TRUE;
}

void ce::kernel::SetNamedEventObserver(NamedEventObserver observer) { g_namedEventObserver = observer; }

BOOL SetEvent(HANDLE h) { return EventModify(h, EVENT_SET); }
BOOL ResetEvent(HANDLE h) { return EventModify(h, EVENT_RESET); }
BOOL PulseEvent(HANDLE h) { return EventModify(h, EVENT_PULSE); }

HANDLE CreateMutexW(LPSECURITY_ATTRIBUTES, BOOL initial_owner, LPCWSTR name) {
  // The creator takes a new mutex before its name is published, so that no other thread opening
  // the name can take it first.
  return CreateNamed<MutexObject>(name, [&] {
    auto mutex = std::make_shared<MutexObject>();
    if (initial_owner) {
      auto lock = LockKernel();
      mutex->AcquireLocked(CurrentThreadId());
    }
    return mutex;
  });
}

BOOL ReleaseMutex(HANDLE h) {
  auto mutex = std::dynamic_pointer_cast<MutexObject>(LookupKernelObject(h));
  if (!mutex) {
    SetThreadLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  ThreadState& me = CurrentThreadState();
  auto lock = LockKernel();
  if (!mutex->ReleaseLocked(me)) {
    SetThreadLastError(ERROR_NOT_OWNER);
    return FALSE;
  }
  return TRUE;
}

void InitializeCriticalSection(LPCRITICAL_SECTION cs) { cs->impl = new CsImpl; }

void DeleteCriticalSection(LPCRITICAL_SECTION cs) {
  delete static_cast<CsImpl*>(std::atomic_ref<void*>(cs->impl).exchange(nullptr));
}

void EnterCriticalSection(LPCRITICAL_SECTION cs) {
  CsImpl* impl = CsOf(cs);
  if (!impl->mutex.try_lock()) {
    // Blocked here, a terminated thread counts as parked. Terminated while it waited, it leaves
    // the section again at once and unwinds as the point ends.
    ce::kernel::TerminationPoint point;
    impl->mutex.lock();
    if (point.WillUnwind()) {
      impl->mutex.unlock();
      return;
    }
  }
  impl->owner = CurrentThreadId();
  ++impl->count;
}

BOOL TryEnterCriticalSection(LPCRITICAL_SECTION cs) {
  CsImpl* impl = CsOf(cs);
  if (!impl->mutex.try_lock()) return FALSE;
  impl->owner = CurrentThreadId();
  ++impl->count;
  return TRUE;
}

void LeaveCriticalSection(LPCRITICAL_SECTION cs) {
  CsImpl* impl = CsOf(cs);
  if (impl->owner != CurrentThreadId()) return;  // not held by this thread: nothing to leave
  if (--impl->count == 0) impl->owner = 0;
  impl->mutex.unlock();
}

LONG InterlockedIncrement(LONG volatile* target) { return __atomic_add_fetch(target, 1, __ATOMIC_SEQ_CST); }
LONG InterlockedDecrement(LONG volatile* target) { return __atomic_sub_fetch(target, 1, __ATOMIC_SEQ_CST); }
LONG InterlockedExchange(LONG volatile* target, LONG value) {
  return __atomic_exchange_n(target, value, __ATOMIC_SEQ_CST);
}
LONG InterlockedExchangeAdd(LONG volatile* target, LONG value) {
  return __atomic_fetch_add(target, value, __ATOMIC_SEQ_CST);
}
LONG InterlockedCompareExchange(LONG volatile* target, LONG exchange, LONG comparand) {
  __atomic_compare_exchange_n(target, &comparand, exchange, false, __ATOMIC_SEQ_CST, __ATOMIC_SEQ_CST);
  return comparand;
}
PVOID InterlockedExchangePointer(PVOID volatile* target, PVOID value) {
  return __atomic_exchange_n(target, value, __ATOMIC_SEQ_CST);
}
PVOID InterlockedCompareExchangePointer(PVOID volatile* target, PVOID exchange, PVOID comparand) {
  __atomic_compare_exchange_n(target, &comparand, exchange, false, __ATOMIC_SEQ_CST, __ATOMIC_SEQ_CST);
  return comparand;
}
