// A thread with a first-in first-out queue of commands (command id, time-out in ms, parameter),
// run one at a time, each on a fresh short-lived thread. A command that overruns its time-out is
// abandoned: the platform marks its thread terminated, and the thread ends at its next blocking
// platform call (a wait, Sleep, an HTTP transfer, a registry or CEDB write, a serial, queue or
// socket read, a send). The worker waits until the abandoned command has ended or is parked at
// such a call, never to come back into its code; a command busy in pure computation is waited
// for. Only then does TimeoutCommand run for it, on a thread of its own, waited for at most
// 10 s; then the next command runs. After every command the worker pauses 100 ms.
//
// Stop mode 0: Stop waits until the queue is empty. Mode 1: Stop stops after the running command;
// the commands still queued are dropped. Commands posted before Start, or once Stop has begun,
// are dropped silently; a dropped command's parameter is not freed.
//
// Every worker is registered process-wide; the totals of live workers, pending and executed
// commands are posted to the statistics window (WM_USER+100..102) once the main window sets it.
#pragma once

#include <atomic>
#include <deque>
#include <memory>

#include "platform/base/types.h"

#define WM_WORKERS_PENDING (0x0400u + 100)   // wParam: pending commands over all workers
#define WM_WORKERS_EXECUTED (0x0400u + 101)  // wParam: executed commands over all workers
#define WM_WORKERS_COUNT (0x0400u + 102)     // wParam: live workers

struct WorkerCommandThreads;  // a worker's count of running command threads

class WorkerThread {
 public:
  explicit WorkerThread(int stop_mode);
  // The owner calls Stop first. A worker whose thread still runs is stopped here at once (its
  // queued commands are dropped); then the destructor waits, at most 10 s, for command threads
  // that were abandoned on their time-out to end. A command thread that outlives that wait (pure
  // computation) touches none of the worker's own state afterwards; the derived object's members
  // its code still uses are its owner's matter.
  virtual ~WorkerThread();
  WorkerThread(const WorkerThread&) = delete;
  WorkerThread& operator=(const WorkerThread&) = delete;

  // Called on the creating thread right after the worker's thread exists.
  virtual void PostStart() {}
  // Runs one command on its command thread; exceptions that escape are dropped.
  virtual void HandleCommand(int command_id, ULONG_PTR parameter);
  // Runs, on a thread of its own, after a command was abandoned on its time-out.
  virtual void TimeoutCommand(int command_id);

  void Start();
  void PostCommand(int command_id, DWORD timeout_ms, ULONG_PTR parameter);
  // As PostCommand, but dropped when a command with the same id is pending (queued, not running).
  void PostUniqueCommand(int command_id, DWORD timeout_ms, ULONG_PTR parameter);
  bool IsCommandPending(int command_id);
  // A command is queued or running (from the moment it is taken until the pause after it).
  bool IsBusy();
  // Stops as the stop mode says and returns when the thread has ended. With a stop mode other than
  // 0 or 1 it only refuses further posts. Called from one of the worker's own commands it does not
  // wait: the worker ends after that command (mode 0: once the queue has drained).
  void Stop();

  // A pause inside one of this worker's commands that its Stop cuts short: waits `ms`, or until
  // Stop asks the worker to end. False when cut short (the program is closing).
  bool PauseUnlessStopping(DWORD ms);

  // Waits, at most `limit_ms`, until the command threads abandoned on their time-out have ended
  // (after Stop, the only code of the worker's that may still run). True when none runs.
  bool AwaitCommandThreads(DWORD limit_ms);

  DWORD GetWorkerThreadId() const;
  LONG GetExecutedCount() const;
  HANDLE GetThreadHandle() const { return m_thread.load(); }

 private:
  struct Command {
    int id;
    DWORD timeout_ms;
    ULONG_PTR parameter;
  };
  friend DWORD FuncWorkerThread(LPVOID worker);
  friend DWORD HandleCommandWorkerThread(LPVOID record);
  friend DWORD TimeoutCommandWorkerThread(LPVOID record);
  friend void NotifyPendingCommands();

  // The body of a command thread (or, after a time-out, of the TimeoutCommand thread).
  static DWORD CommandThreadMain(LPVOID record, bool timed_out);
  void Post(int command_id, DWORD timeout_ms, ULONG_PTR parameter, bool unique);
  bool HasPending(int command_id) const;  // under the list mutex
  bool StopFlagSet();
  void SetStopFlag();
  // Takes the oldest command; false when the list mutex failed (the worker must end) or the queue
  // was found empty (then `empty` is set).
  bool TakeCommand(Command& command, bool& empty);
  // Starts `routine` with the record (worker, id, parameter) and returns its thread once it runs
  // its own code; null when it could not start.
  HANDLE StartCommandThread(DWORD (*routine)(LPVOID), int command_id, ULONG_PTR parameter);
  void RunCommand(const Command& command);
  void AfterCommand();
  LONG PendingCount();

  HANDLE m_commandsAvailable = nullptr;
  HANDLE m_queueEmpty = nullptr;
  HANDLE m_stopEvent = nullptr;
  HANDLE m_stopFlagMutex = nullptr;
  HANDLE m_listMutex = nullptr;
  HANDLE m_postMutex = nullptr;
  std::atomic<HANDLE> m_thread{nullptr};
  HANDLE m_endedEvent = nullptr;
  std::deque<Command> m_commands;  // pending, oldest first; list mutex
  bool m_running = false;          // a command taken and not yet done with; list mutex
  volatile LONG m_executed = 0;
  int m_stopFlag = 0;              // stop-flag mutex
  int m_stopMode;
  volatile LONG m_accepting = 1;
  volatile LONG m_threadId = 0;
  volatile LONG m_stopWhenDrained = 0;  // Stop (mode 0) came from one of the worker's own commands

  // Command and time-out threads that have not ended yet. Shared with those threads, so that one
  // that outlives the worker can still say it has ended.
  std::shared_ptr<WorkerCommandThreads> m_commandThreads;
};

// Marks the thread of every registered worker terminated (once, at process exit).
void TerminateAllWorkerThreads();
LONG GetWorkerThreadCount();
// Post the totals to the statistics window (nothing while it is unset).
void NotifyPendingCommands();
void NotifyExecutedCommands();
// The window that receives the statistics messages (set by the main window; null: none).
void SetWorkerStatisticsWindow(HWND window);
LONG GetPendingCommandsTotal();
LONG GetExecutedCommandsTotal();

// How the statistics reach their window: PostMessageW unless a test sets its own recorder (null
// puts PostMessageW back).
using WorkerStatisticsPoster = BOOL (*)(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
void SetWorkerStatisticsPoster(WorkerStatisticsPoster poster);
