#include "velomar/core/WorkerThread.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/base/errors.h"
#include "platform/kernel/sync.h"
#include "platform/kernel/termination_point.h"
#include "platform/kernel/threads.h"
#include "platform/kernel/waitable.h"
#include "platform/window/window.h"
#include "velomar/core/Stopwatch.h"
#include "velomar/core/Trace.h"

// The worker's routine and the routines of its command and time-out threads.
DWORD FuncWorkerThread(LPVOID worker);
DWORD HandleCommandWorkerThread(LPVOID record);
DWORD TimeoutCommandWorkerThread(LPVOID record);

namespace {

constexpr DWORD kPostMutexWaitMs = 1000;
constexpr DWORD kTimeoutCommandWaitMs = 10000;
constexpr DWORD kPauseAfterCommandMs = 100;
constexpr DWORD kAbandonedThreadsWaitMs = 10000;

// Process-wide statistics.
volatile LONG g_liveWorkers = 0;
volatile LONG g_pendingTotal = 0;
volatile LONG g_executedTotal = 0;
std::atomic<HWND> g_statisticsWindow{nullptr};
std::atomic<WorkerStatisticsPoster> g_poster{PostMessageW};

// The registry of live workers.
std::vector<WorkerThread*> g_workers;

// The worker whose thread, command thread or time-out thread this is (null on other threads).
thread_local WorkerThread* t_ownWorker = nullptr;

HANDLE RegistryMutex() {
  static HANDLE mutex = CreateMutexW(nullptr, FALSE, nullptr);
  return mutex;
}

bool Took(DWORD wait_result) { return wait_result == WAIT_OBJECT_0 || wait_result == WAIT_ABANDONED; }

LONG Read(volatile LONG* value) { return InterlockedCompareExchange(value, 0, 0); }

void PostStatistics(UINT message, LONG value) {
  HWND window = g_statisticsWindow.load();
  WorkerStatisticsPoster poster = g_poster.load();
  if (window) poster(window, message, static_cast<WPARAM>(value), 0);
}

}  // namespace

struct WorkerCommandThreads {
  std::atomic<int> running{0};

  void Started() { ++running; }
  void Ended() {
    --running;
    auto lock = ce::kernel::LockKernel();
    ce::kernel::WakeWaitersLocked();
  }
  // Waits, at most `limit_ms` on the platform's clock, until none runs any more.
  bool AwaitNone(DWORD limit_ms) {
    ce::kernel::WaitAny({}, limit_ms, [this] { return running.load() == 0; });
    return running.load() == 0;
  }
};

namespace {

struct CommandRecord {
  WorkerThread* worker;
  std::shared_ptr<WorkerCommandThreads> threads;
  int id;
  ULONG_PTR parameter;
  HANDLE entered;  // set by the command thread once it runs its own code
};

// Closes a handle on every way out (the worker's thread unwinds when it is terminated).
class OwnedHandle {
 public:
  explicit OwnedHandle(HANDLE h) : m_handle(h) {}
  ~OwnedHandle() {
    if (m_handle) CloseHandle(m_handle);
  }
  OwnedHandle(const OwnedHandle&) = delete;
  OwnedHandle& operator=(const OwnedHandle&) = delete;
  HANDLE get() const { return m_handle; }

 private:
  HANDLE m_handle;
};

}  // namespace

// ---- Command threads ----------------------------------------------------------------------------

DWORD WorkerThread::CommandThreadMain(LPVOID record, bool timed_out) {
  std::unique_ptr<CommandRecord> command(static_cast<CommandRecord*>(record));
  WorkerThread* worker = command->worker;
  t_ownWorker = worker;
  SetEvent(command->entered);
  try {
    if (timed_out) {
      worker->TimeoutCommand(command->id);
    } else {
      worker->HandleCommand(command->id, command->parameter);
    }
  } catch (...) {
    // The command is over (it threw, or it was abandoned and has unwound); the worker goes on
    // with the next one.
  }
  // The worker itself may be gone by now (an abandoned command that outlived its destructor's
  // wait): only the shared record of running threads is touched.
  command->threads->Ended();
  return 0;
}

DWORD HandleCommandWorkerThread(LPVOID record) { return WorkerThread::CommandThreadMain(record, false); }

DWORD TimeoutCommandWorkerThread(LPVOID record) { return WorkerThread::CommandThreadMain(record, true); }

// ---- The worker ---------------------------------------------------------------------------------

WorkerThread::WorkerThread(int stop_mode)
    : m_stopMode(stop_mode), m_commandThreads(std::make_shared<WorkerCommandThreads>()) {
  m_commandsAvailable = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  m_queueEmpty = CreateEventW(nullptr, TRUE, TRUE, nullptr);
  m_stopEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  m_stopFlagMutex = CreateMutexW(nullptr, FALSE, nullptr);
  m_listMutex = CreateMutexW(nullptr, FALSE, nullptr);
  m_postMutex = CreateMutexW(nullptr, FALSE, nullptr);
  m_endedEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);

  if (Took(WaitForSingleObject(m_stopFlagMutex, INFINITE))) {
    m_stopFlag = 0;
    ReleaseMutex(m_stopFlagMutex);
  }

  // Registered once its handles exist: a recount of the pending total may take its list mutex at
  // any moment from then on.
  if (Took(WaitForSingleObject(RegistryMutex(), INFINITE))) {
    g_workers.push_back(this);
    ReleaseMutex(RegistryMutex());
  }
  PostStatistics(WM_WORKERS_COUNT, InterlockedIncrement(&g_liveWorkers));
}

WorkerThread::~WorkerThread() {
  HANDLE thread = m_thread;
  if (thread && WaitForSingleObject(m_endedEvent, 0) != WAIT_OBJECT_0) {
    // The owner did not stop it: stop at once rather than leave a thread on a dead object.
    InterlockedExchange(&m_accepting, 0);
    SetStopFlag();
    SetEvent(m_stopEvent);
    HANDLE ends[2] = {m_endedEvent, thread};
    WaitForMultipleObjects(2, ends, FALSE, INFINITE);
  }
  // The ended event is the thread's last act of work; the platform's per-thread detach calls
  // (the libraries' thread hooks) still follow it. Wait for those too, so that nothing of the
  // thread runs on beside whatever the owner does next (a terminated thread counts as ended).
  if (thread) WaitForSingleObject(thread, INFINITE);

  if (Took(WaitForSingleObject(RegistryMutex(), INFINITE))) {
    g_workers.erase(std::remove(g_workers.begin(), g_workers.end(), this), g_workers.end());
    ReleaseMutex(RegistryMutex());
  }

  const LONG pending = PendingCount();
  if (pending > 0) InterlockedExchangeAdd(&g_pendingTotal, -pending);

  m_commandThreads->AwaitNone(kAbandonedThreadsWaitMs);

  for (HANDLE h : {m_commandsAvailable, m_queueEmpty, m_stopEvent, m_stopFlagMutex, m_listMutex, m_postMutex,
                   m_endedEvent, thread}) {
    if (h) CloseHandle(h);
  }
  PostStatistics(WM_WORKERS_COUNT, InterlockedDecrement(&g_liveWorkers));
}

void WorkerThread::HandleCommand(int, ULONG_PTR) {}

void WorkerThread::TimeoutCommand(int) {}

void WorkerThread::Start() {
  if (m_thread) return;
  m_thread = CreateThread(nullptr, 0, FuncWorkerThread, this, 0, nullptr);
  PostStart();
}

void WorkerThread::PostCommand(int command_id, DWORD timeout_ms, ULONG_PTR parameter) {
  Post(command_id, timeout_ms, parameter, false);
}

void WorkerThread::Post(int command_id, DWORD timeout_ms, ULONG_PTR parameter, bool unique) {
  const DWORD got = WaitForSingleObject(m_postMutex, kPostMutexWaitMs);
  if (got == WAIT_ABANDONED) ReleaseMutex(m_postMutex);
  if (got != WAIT_OBJECT_0) return;

  bool queued = false;
  if (m_thread != nullptr && Read(&m_accepting) != 0 && !StopFlagSet()) {
    if (Took(WaitForSingleObject(m_listMutex, INFINITE))) {
      // A unique command is checked in the same step as it is queued, so that two racing posts
      // cannot both find the id absent.
      if (!unique || !HasPending(command_id)) {
        m_commands.push_back(Command{command_id, timeout_ms, parameter});
        InterlockedIncrement(&g_pendingTotal);
        SetEvent(m_commandsAvailable);
        ResetEvent(m_queueEmpty);
        queued = true;
      }
      ReleaseMutex(m_listMutex);
    }
  }
  // Posted outside the list mutex: a recount of the total takes the registry mutex and then every
  // worker's list mutex.
  if (queued) NotifyPendingCommands();
  ReleaseMutex(m_postMutex);
}

void WorkerThread::PostUniqueCommand(int command_id, DWORD timeout_ms, ULONG_PTR parameter) {
  Post(command_id, timeout_ms, parameter, true);
}

bool WorkerThread::IsCommandPending(int command_id) {
  if (!Took(WaitForSingleObject(m_listMutex, INFINITE))) return false;
  const bool pending = HasPending(command_id);
  ReleaseMutex(m_listMutex);
  return pending;
}

bool WorkerThread::IsBusy() {
  if (!Took(WaitForSingleObject(m_listMutex, INFINITE))) return false;
  const bool busy = m_running || !m_commands.empty();
  ReleaseMutex(m_listMutex);
  return busy;
}

bool WorkerThread::HasPending(int command_id) const {
  return std::any_of(m_commands.begin(), m_commands.end(),
                     [command_id](const Command& c) { return c.id == command_id; });
}

void WorkerThread::Stop() {
  InterlockedExchange(&m_accepting, 0);
  HANDLE thread = m_thread;
  if (thread == nullptr) return;  // never started: nothing runs
  if (t_ownWorker == this) {
    // One of this worker's own commands: the worker waits for that command, so waiting here would
    // never end. Ask for the stop and return; the worker ends once the command is over (mode 0:
    // once the commands queued before have run).
    if (m_stopMode == 0) {
      InterlockedExchange(&m_stopWhenDrained, 1);
    } else if (m_stopMode == 1) {
      SetStopFlag();
      SetEvent(m_stopEvent);
    }
    return;
  }
  if (m_stopMode == 0) {
    // Every queued command runs first. A worker whose thread has ended runs nothing more.
    HANDLE drained[2] = {m_queueEmpty, thread};
    WaitForMultipleObjects(2, drained, FALSE, INFINITE);
  } else if (m_stopMode != 1) {
    return;
  }
  SetStopFlag();
  SetEvent(m_stopEvent);
  HANDLE ends[2] = {m_endedEvent, thread};
  WaitForMultipleObjects(2, ends, FALSE, INFINITE);
}

bool WorkerThread::PauseUnlessStopping(DWORD ms) { return WaitForSingleObject(m_stopEvent, ms) == WAIT_TIMEOUT; }

bool WorkerThread::AwaitCommandThreads(DWORD limit_ms) { return m_commandThreads->AwaitNone(limit_ms); }

DWORD WorkerThread::GetWorkerThreadId() const { return static_cast<DWORD>(Read(const_cast<volatile LONG*>(&m_threadId))); }

LONG WorkerThread::GetExecutedCount() const { return Read(const_cast<volatile LONG*>(&m_executed)); }

bool WorkerThread::StopFlagSet() {
  if (!Took(WaitForSingleObject(m_stopFlagMutex, INFINITE))) return false;
  const bool set = m_stopFlag != 0;
  ReleaseMutex(m_stopFlagMutex);
  return set;
}

void WorkerThread::SetStopFlag() {
  if (!Took(WaitForSingleObject(m_stopFlagMutex, INFINITE))) return;
  m_stopFlag = 1;
  ReleaseMutex(m_stopFlagMutex);
}

bool WorkerThread::TakeCommand(Command& command, bool& empty) {
  empty = false;
  if (WaitForSingleObject(m_listMutex, INFINITE) != WAIT_OBJECT_0) return false;
  if (m_commands.empty()) {
    // The event said otherwise; put the events right and wait again.
    SetEvent(m_queueEmpty);
    ResetEvent(m_commandsAvailable);
    ReleaseMutex(m_listMutex);
    empty = true;
    return false;
  }
  command = m_commands.front();
  m_commands.pop_front();
  m_running = true;
  InterlockedDecrement(&g_pendingTotal);
  InterlockedIncrement(&m_executed);
  InterlockedIncrement(&g_executedTotal);
  NotifyExecutedCommands();
  ReleaseMutex(m_listMutex);
  return true;
}

HANDLE WorkerThread::StartCommandThread(DWORD (*routine)(LPVOID), int command_id, ULONG_PTR parameter) {
  OwnedHandle entered(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  if (!entered.get()) return nullptr;  // no event, no thread
  m_commandThreads->Started();
  auto* record = new CommandRecord{this, m_commandThreads, command_id, parameter, entered.get()};
  HANDLE thread = CreateThread(nullptr, 0, routine, record, 0, nullptr);
  if (!thread) {
    delete record;
    m_commandThreads->Ended();
    return nullptr;
  }
  // A time-out counts once the thread runs its own code: abandoned before that, it would never run
  // the code that frees its record and tells the worker it has ended.
  WaitForSingleObject(entered.get(), INFINITE);
  return thread;
}

void WorkerThread::RunCommand(const Command& command) {
  OwnedHandle thread(StartCommandThread(HandleCommandWorkerThread, command.id, command.parameter));
  if (!thread.get()) return;  // the command cannot run
  if (WaitForSingleObject(thread.get(), command.timeout_ms) != WAIT_TIMEOUT) return;

  // Overran its time-out: abandon it. TimeoutCommand and the next command run only once it has
  // ended or is parked in a blocking platform call it leaves only to end, so that neither
  // overlaps it; pure computation is waited for.
  TerminateThread(thread.get(), 0);
  ce::kernel::WaitForThreadHalt(thread.get(), INFINITE);
  OwnedHandle timeout_thread(StartCommandThread(TimeoutCommandWorkerThread, command.id, 0));
  if (timeout_thread.get()) WaitForSingleObject(timeout_thread.get(), kTimeoutCommandWaitMs);
}

void WorkerThread::AfterCommand() {
  if (WaitForSingleObject(m_listMutex, INFINITE) != WAIT_OBJECT_0) return;
  m_running = false;
  if (m_commands.empty()) {
    SetEvent(m_queueEmpty);
    ResetEvent(m_commandsAvailable);
  }
  ReleaseMutex(m_listMutex);
}

LONG WorkerThread::PendingCount() {
  if (!Took(WaitForSingleObject(m_listMutex, INFINITE))) return 0;
  const LONG count = static_cast<LONG>(m_commands.size());
  ReleaseMutex(m_listMutex);
  return count;
}

namespace {
// The stopwatch every worker restarts with each command (its readings only go to the trace).
std::mutex g_sharedStopwatchLock;
CStopwatch g_sharedStopwatch;
}  // namespace

DWORD FuncWorkerThread(LPVOID parameter) {
  auto* worker = static_cast<WorkerThread*>(parameter);
  CStopwatch stopwatch;  // this worker's own
  t_ownWorker = worker;
  InterlockedExchange(&worker->m_threadId, static_cast<LONG>(GetCurrentThreadId()));
  HANDLE wake[2] = {worker->m_commandsAvailable, worker->m_stopEvent};
  for (;;) {
    if (worker->StopFlagSet()) break;
    const DWORD woke = WaitForMultipleObjects(2, wake, FALSE, INFINITE);
    if (woke == WAIT_FAILED) continue;
    if (woke != WAIT_OBJECT_0) break;

    WorkerThread::Command command{};
    bool empty = false;
    if (!worker->TakeCommand(command, empty)) {
      if (empty) continue;
      break;  // the list mutex failed: this worker runs nothing more
    }
    {
      std::lock_guard<std::mutex> lock(g_sharedStopwatchLock);
      g_sharedStopwatch.Reset();
      g_sharedStopwatch.Start();
    }
    stopwatch.Reset();
    stopwatch.Start();
    worker->RunCommand(command);
    stopwatch.Stop();
    Trace(0, u"WorkerThread: command %d took %d ms", command.id, static_cast<int>(stopwatch.Elapsed() * 1000));
    Sleep(kPauseAfterCommandMs);
    NotifyPendingCommands();
    worker->AfterCommand();
    if (Read(&worker->m_stopWhenDrained) != 0 && worker->PendingCount() == 0) worker->SetStopFlag();
  }
  SetEvent(worker->m_endedEvent);
  return 0;
}

// ---- Process-wide ---------------------------------------------------------------------------------

void TerminateAllWorkerThreads() {
  if (!Took(WaitForSingleObject(RegistryMutex(), INFINITE))) return;
  for (WorkerThread* worker : g_workers) {
    if (HANDLE thread = worker->GetThreadHandle()) TerminateThread(thread, 0);
  }
  ReleaseMutex(RegistryMutex());
}

LONG GetWorkerThreadCount() { return Read(&g_liveWorkers); }

void NotifyPendingCommands() {
  LONG total = Read(&g_pendingTotal);
  if (total < 0) {
    // Recount from the workers themselves.
    if (!Took(WaitForSingleObject(RegistryMutex(), INFINITE))) return;
    total = 0;
    for (WorkerThread* worker : g_workers) total += worker->PendingCount();
    InterlockedExchange(&g_pendingTotal, total);
    ReleaseMutex(RegistryMutex());
  }
  PostStatistics(WM_WORKERS_PENDING, total);
}

void NotifyExecutedCommands() { PostStatistics(WM_WORKERS_EXECUTED, Read(&g_executedTotal)); }

void SetWorkerStatisticsWindow(HWND window) { g_statisticsWindow = window; }

LONG GetPendingCommandsTotal() { return Read(&g_pendingTotal); }

LONG GetExecutedCommandsTotal() { return Read(&g_executedTotal); }

void SetWorkerStatisticsPoster(WorkerStatisticsPoster poster) { g_poster = poster ? poster : PostMessageW; }
