// The message-queue functions the programs call: handles, access, limits, waits.
#include "platform/msgqueue/msgqueue.h"

#include <sched.h>

#include <atomic>
#include <chrono>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/kernel/clock.h"
#include "platform/kernel/device_folder.h"
#include "platform/kernel/handle_table.h"
#include "platform/kernel/last_error.h"
#include "platform/kernel/sync.h"
#include "platform/kernel/waitable.h"
#include "platform/msgqueue/queue_memory.h"
#include "platform/msgqueue/queue_test_seam.h"
#include "platform/text/utf.h"

namespace ce::msgqueue {
namespace {

class QueueHandle;

// One queue as this process sees it: the shared memory and a watcher thread that wakes this
// process's waits when another process changes the queue.
class LocalQueue {
 public:
  explicit LocalQueue(std::shared_ptr<QueueMemory> memory, std::u16string name)
      : memory_(std::move(memory)), name_(std::move(name)) {
    // The first value is taken here, before any handle can wait, so no change slips past.
    std::uint32_t seen = memory_->Sequence();
    watcher_ = std::thread([this, seen] { Watch(seen); });
  }
  ~LocalQueue() {
    stop_ = true;
    memory_->Announce();
    watcher_.join();
  }
  QueueMemory& memory() { return *memory_; }
  const std::u16string& name() const { return name_; }

  // How many waits of this process are on a read handle (`readers`) or a write handle of this
  // queue; changed under the kernel lock, read without it, so that a change wakes the kernel's
  // waits only when a thread waits on a side the change concerns.
  std::atomic<int>& waits(bool readers) { return readers ? reader_waits_ : writer_waits_; }

 private:
  // Also checks that the file is whole (its end mark) when nothing changed for a while: reads and
  // waits read the mapping without that check, so a file shortened under an idle queue is told to
  // its waits here.
  void Watch(std::uint32_t seen) {
    bool told_shortened = false;
    while (!stop_) {
      memory_->WaitChange(seen, 250);
      std::uint32_t now = memory_->Sequence();
      if (now == seen && (told_shortened || memory_->Intact())) continue;
      told_shortened = told_shortened || now == seen;
      seen = now;
      auto lock = kernel::LockKernel();
      kernel::WakeWaitersLocked();
    }
  }

  std::shared_ptr<QueueMemory> memory_;
  std::u16string name_;
  std::atomic<bool> stop_{false};
  std::thread watcher_;
  std::atomic<int> reader_waits_{0}, writer_waits_{0};
};

std::mutex g_named_lock;
std::map<std::u16string, std::weak_ptr<LocalQueue>> g_named;

class QueueHandle : public kernel::Waitable {
 public:
  QueueHandle(std::shared_ptr<LocalQueue> queue, bool read, DWORD flags)
      : queue_(std::move(queue)), read_(read), flags_(flags) {
    queue_->memory().AddHolder(read_ ? 1 : 0, read_ ? 0 : 1);
  }
  QueueHandle(const QueueHandle&) = delete;
  QueueHandle& operator=(const QueueHandle&) = delete;

  bool IsSignaledLocked(kernel::ThreadId) const override {
    if (closed_.load(std::memory_order_relaxed)) return false;
    QueueMemory& m = queue_->memory();
    if (m.Damaged()) return true;  // the call that follows reports it
    return read_ ? m.CountOfWhole() > 0 : m.CountOfWhole() < m.Slots();
  }

  void OnHandleClosed() override {
    {
      auto lock = kernel::LockKernel();
      if (closed_.load(std::memory_order_relaxed)) return;
      closed_.store(true);
      kernel::WakeWaitersLocked();
    }
    queue_->memory().AddHolder(read_ ? -1 : 0, read_ ? 0 : -1);
  }

  void OnWaitBeganLocked(kernel::ThreadId) override { queue_->waits(read_).fetch_add(1); }
  void OnWaitEndedLocked(kernel::ThreadId) override { queue_->waits(read_).fetch_sub(1); }

  bool closed_locked() const { return closed_.load(std::memory_order_relaxed); }
  // The same without the kernel lock (a read or write looks before it starts).
  bool closed() const { return closed_.load(); }
  QueueMemory& memory() { return queue_->memory(); }
  const std::shared_ptr<LocalQueue>& queue() const { return queue_; }
  bool read() const { return read_; }
  DWORD flags() const { return flags_; }
  bool broken_allowed() const { return flags_ & MSGQUEUE_ALLOW_BROKEN; }

 private:
  std::shared_ptr<LocalQueue> queue_;
  bool read_;
  DWORD flags_;
  std::atomic<bool> closed_{false};  // set under the kernel lock
};

BOOL Fail(DWORD error) {
  SetLastError(error);
  return FALSE;
}

bool ValidOptions(const MSGQUEUEOPTIONS* options) {
  return options && options->dwSize == sizeof(MSGQUEUEOPTIONS) && options->cbMaxMessage > 0 &&
         options->cbMaxMessage <= kMaxMessageBytes && options->dwMaxMessages <= kMaxMessageCount;
}

// Wakes this process's waits after a message came in (`for_readers`) or left the queue, when a
// thread waits on a handle of that side. Other processes learn of it through their watchers.
void WakeHere(LocalQueue& queue, bool for_readers) {
  // The change was stored before this look, and a wait counts itself before its first check: a
  // wait not counted yet sees the change when it checks.
  if (queue.waits(for_readers).load() == 0) return;
  // A wait counted holds the kernel lock from its count to its block: once the lock is ours, it
  // either blocks already (and the wake reaches it) or has seen the change.
  { auto lock = kernel::LockKernel(); }
  kernel::WakeWaitersAfterUnlock();
}

// Whether spinning can pay: more than one processor may run this process's threads.
bool SeveralProcessors() {
  static const bool several = [] {
    cpu_set_t set;
    CPU_ZERO(&set);
    return sched_getaffinity(0, sizeof set, &set) == 0 ? CPU_COUNT(&set) > 1 : std::thread::hardware_concurrency() > 1;
  }();
  return several;
}

void CpuRelax() {
#if defined(__x86_64__) || defined(__i386__)
  __builtin_ia32_pause();
#elif defined(__aarch64__)
  asm volatile("yield");
#endif
}

// How long a read that finds the queue empty (or a write that finds it full) watches it before it
// blocks: about what blocking and being woken on another processor costs, so that a partner that
// answers within it is seen at once, with no sleep and no wake-up.
constexpr auto kSpin = std::chrono::microseconds(20);

// Watches `ready` for up to kSpin on a machine with several processors; true once it holds.
template <class F>
bool SpinUntil(F&& ready) {
  if (!SeveralProcessors()) return false;
  const auto until = std::chrono::steady_clock::now() + kSpin;
  for (;;) {
    for (int i = 0; i < 16; ++i) {
      if (ready()) return true;
      CpuRelax();
    }
    if (std::chrono::steady_clock::now() >= until) return ready();
    // The partner may be waiting for this very processor.
    sched_yield();
  }
}

// Waits until the handle is signalled or `stop` holds, within what is left of the time-out.
// False on time-out.
bool WaitFor(QueueHandle& h, std::uint64_t start, DWORD timeout_ms, const std::function<bool()>& stop) {
  DWORD remaining = INFINITE;
  if (timeout_ms != INFINITE) {
    std::uint64_t spent = kernel::MonotonicMs() - start;
    if (spent >= timeout_ms) return false;
    remaining = static_cast<DWORD>(timeout_ms - spent);
  }
  kernel::Waitable* objects[] = {&h};
  auto result = kernel::WaitAny(objects, remaining, stop);
  return result.status != kernel::WaitStatus::kTimeout;
}

}  // namespace
}  // namespace ce::msgqueue

using namespace ce::msgqueue;

HANDLE CreateMsgQueue(LPCWSTR name, LPMSGQUEUEOPTIONS options) {
  if (!ValidOptions(options)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  std::u16string queue_name(ce::text::WideView(name));
  if (queue_name.size() > MAX_PATH) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  QueueLimits limits{options->dwMaxMessages, options->cbMaxMessage};
  std::shared_ptr<LocalQueue> queue;
  bool existed = false;
  // Named queues of this process are found by device and name; one whose handles are all closed
  // is gone for the device even while this process still tidies it away.
  std::u16string key = ce::text::FromUtf8(ce::DeviceRuntimeFolder().string()) + u'|' + queue_name;
  {
    std::lock_guard<std::mutex> guard(g_named_lock);
    if (!queue_name.empty()) {
      auto it = g_named.find(key);
      if (it != g_named.end()) queue = it->second.lock();
      if (queue && queue->memory().Readers() + queue->memory().Writers() == 0) queue = nullptr;
      existed = queue != nullptr;
    }
    if (!queue) {
      DWORD error = ERROR_OUTOFMEMORY;
      auto memory = QueueMemory::Open(queue_name, limits, &existed, &error);
      if (!memory) {
        SetLastError(error);
        return nullptr;
      }
      queue = std::make_shared<LocalQueue>(std::move(memory), queue_name);
      if (!queue_name.empty()) g_named[key] = queue;
    }
  }
  auto handle = std::make_shared<QueueHandle>(queue, options->bReadAccess != FALSE, options->dwFlags);
  HANDLE h = ce::kernel::InsertHandle(handle);
  SetLastError(existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
  return h;
}

HANDLE OpenMsgQueue(HANDLE source_process, HANDLE queue, LPMSGQUEUEOPTIONS options) {
  if (source_process != GetCurrentProcess() || !ValidOptions(options)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto source = ce::kernel::LookupAs<QueueHandle>(queue);
  if (!source) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  auto handle = std::make_shared<QueueHandle>(source->queue(), options->bReadAccess != FALSE, options->dwFlags);
  SetLastError(ERROR_SUCCESS);
  return ce::kernel::InsertHandle(handle);
}

BOOL ReadMsgQueue(HANDLE queue, LPVOID buffer, DWORD buffer_size, LPDWORD bytes_read, DWORD timeout_ms,
                  DWORD* flags) {
  auto h = ce::kernel::LookupAs<QueueHandle>(queue);
  if (!h) return Fail(ERROR_INVALID_HANDLE);
  if (!h->read()) return Fail(ERROR_ACCESS_DENIED);
  if (!buffer || !bytes_read) return Fail(ERROR_INVALID_PARAMETER);
  QueueMemory& m = h->memory();
  std::uint64_t start = ce::kernel::MonotonicMs();
  // Asked by the wait right after the handle's own check found the file whole.
  auto stop = [&] { return h->closed_locked() || (!h->broken_allowed() && m.WritersOfWhole() == 0); };
  bool spun = false;
  for (;;) {
    if (h->closed()) return Fail(ERROR_INVALID_HANDLE);
    DWORD length = 0, message_flags = 0;
    // An empty queue is seen without the lock; the watcher tells waits of a file shortened meanwhile.
    PopResult r = m.Count() == 0 && !m.Damaged() ? PopResult::kEmpty : m.Pop(buffer, buffer_size, &length, &message_flags);
    if (r != PopResult::kEmpty) {
      WakeHere(*h->queue(), false);
      if (r == PopResult::kDamaged) return Fail(ERROR_FILE_CORRUPT);
      if (r == PopResult::kTooSmall) return Fail(ERROR_INSUFFICIENT_BUFFER);
      *bytes_read = length;
      if (flags) *flags = message_flags;
      return TRUE;
    }
    if (!h->broken_allowed() && m.Writers() == 0) return Fail(ERROR_PIPE_NOT_CONNECTED);
    if (timeout_ms == 0) return Fail(ERROR_TIMEOUT);
    if (!spun) {
      spun = true;
      if (SpinUntil([&] { return m.Count() != 0 || h->closed() || (!h->broken_allowed() && m.Writers() == 0); }))
        continue;
    }
    if (!WaitFor(*h, start, timeout_ms, stop)) return Fail(ERROR_TIMEOUT);
  }
}

BOOL WriteMsgQueue(HANDLE queue, LPVOID data, DWORD size, DWORD timeout_ms, DWORD flags) {
  auto h = ce::kernel::LookupAs<QueueHandle>(queue);
  if (!h) return Fail(ERROR_INVALID_HANDLE);
  if (h->read()) return Fail(ERROR_ACCESS_DENIED);
  if (!data || size == 0 || (flags & ~MSGQUEUE_MSGALERT)) return Fail(ERROR_INVALID_PARAMETER);
  QueueMemory& m = h->memory();
  if (size > m.MaxSize()) return Fail(ERROR_INSUFFICIENT_BUFFER);
  std::uint64_t start = ce::kernel::MonotonicMs();
  auto stop = [&] { return h->closed_locked() || (!h->broken_allowed() && m.ReadersOfWhole() == 0); };
  bool spun = false;
  for (;;) {
    if (h->closed()) return Fail(ERROR_INVALID_HANDLE);
    if (!h->broken_allowed() && m.Readers() == 0) return Fail(ERROR_PIPE_NOT_CONNECTED);
    const PushResult r = m.Push(data, size, flags);
    if (r == PushResult::kDamaged) return Fail(ERROR_FILE_CORRUPT);
    if (r == PushResult::kDone) {
      WakeHere(*h->queue(), true);
      return TRUE;
    }
    if (timeout_ms == 0) return Fail(ERROR_TIMEOUT);
    if (!spun) {
      spun = true;
      if (SpinUntil([&] { return m.Count() < m.Slots() || h->closed() || (!h->broken_allowed() && m.Readers() == 0); }))
        continue;
    }
    if (!WaitFor(*h, start, timeout_ms, stop)) return Fail(ERROR_TIMEOUT);
  }
}

BOOL GetMsgQueueInfo(HANDLE queue, LPMSGQUEUEINFO info) {
  auto h = ce::kernel::LookupAs<QueueHandle>(queue);
  if (!h) return Fail(ERROR_INVALID_HANDLE);
  if (!info || info->dwSize != sizeof(MSGQUEUEINFO)) return Fail(ERROR_INVALID_PARAMETER);
  QueueMemory& m = h->memory();
  info->dwFlags = h->flags();
  info->dwMaxMessages = m.MaxMessages();
  info->cbMaxMessage = m.MaxSize();
  info->dwCurrentMessages = m.Count();
  info->dwMaxQueueMessages = m.MaxCount();
  info->wNumReaders = static_cast<WORD>(m.Readers());
  info->wNumWriters = static_cast<WORD>(m.Writers());
  return TRUE;
}

bool ce::msgqueue::HoldQueueLock(HANDLE queue) {
  auto h = ce::kernel::LookupAs<QueueHandle>(queue);
  return h && h->memory().HoldLock();
}

std::uint64_t ce::msgqueue::QueueLockWaits() { return QueueMemory::LockWaits(); }

bool ce::msgqueue::NamedQueueExists(LPCWSTR name) {
  return name && *name && QueueMemory::NamedExists(std::u16string(ce::text::WideView(name)));
}

BOOL CloseMsgQueue(HANDLE queue) {
  if (!ce::kernel::LookupAs<QueueHandle>(queue)) return Fail(ERROR_INVALID_HANDLE);
  return CloseHandle(queue);
}
