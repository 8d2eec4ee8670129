// Per-thread message queues: posting, sending across threads (marshalled to the owner thread),
// retrieval with the platform's order (sent, posted, quit, paint, timer), waits, timers.
#include <algorithm>
#include <functional>

#include "platform/base/errors.h"
#include "platform/kernel/clock.h"
#include "platform/kernel/last_error.h"
#include "platform/window/window_internal.h"
#include "platform/window/window_seams.h"

namespace ce::window {

struct SentMessage {
  HWND hwnd;
  UINT msg;
  WPARAM wparam;
  LPARAM lparam;
  LRESULT result = 0;
  bool done = false;
  bool notify = false;  // nobody waits for the result
};

namespace {

struct Timer {
  HWND hwnd;
  UINT_PTR id;
  UINT elapse;
  std::uint64_t due;
  TIMERPROC proc;
};

struct Queue {
  ThreadId thread = 0;
  std::deque<MSG> posted;
  std::deque<std::shared_ptr<SentMessage>> sent;
  std::vector<Timer> timers;
  std::vector<HWND> paint;  // visible windows with an update region
  bool quit = false;
  int quit_code = 0;
  std::uint64_t seq = 0;  // grows with every change a waiting GetMessageW must look at
  int in_send = 0;
  MSG last{};
};

// All queues, by thread; guarded by the kernel lock.
std::map<ThreadId, std::shared_ptr<Queue>>& Queues() {
  static auto* queues = new std::map<ThreadId, std::shared_ptr<Queue>>;
  return *queues;
}

std::shared_ptr<Queue> QueueOfLocked(ThreadId thread) {
  auto& q = Queues();
  auto it = q.find(thread);
  return it == q.end() ? nullptr : it->second;
}

std::function<void(TraceKind, const MSG&)>& Hook() {
  static auto* hook = new std::function<void(TraceKind, const MSG&)>;
  return *hook;
}
std::mutex& HookMutex() {
  static auto* m = new std::mutex;
  return *m;
}

// Ends the thread's queue when the thread ends: senders waiting on it get 0.
struct QueueOwner {
  ThreadId thread = 0;
  ~QueueOwner() {
    if (!thread) return;
    auto lock = kernel::LockKernel();
    auto q = QueueOfLocked(thread);
    if (!q) return;
    for (auto& s : q->sent) s->done = true;
    q->sent.clear();
    Queues().erase(thread);
    kernel::WakeWaitersLocked();
  }
};
thread_local QueueOwner t_owner;

std::shared_ptr<Queue> MyQueue() {
  EnsureQueue();
  auto lock = kernel::LockKernel();
  return QueueOfLocked(kernel::CurrentThreadId());
}

DWORD Now() { return static_cast<DWORD>(kernel::MonotonicMs()); }

bool InRange(UINT msg, UINT min, UINT max) { return (min == 0 && max == 0) || (msg >= min && msg <= max); }

bool MatchesWindow(HWND msg_hwnd, HWND filter) {
  if (!filter) return true;
  if (filter == reinterpret_cast<HWND>(-1)) return msg_hwnd == nullptr;
  return msg_hwnd == filter || (msg_hwnd && IsChild(filter, msg_hwnd));
}

std::uint64_t NextTimerDueLocked(const Queue& q) {
  std::uint64_t due = UINT64_MAX;
  for (const auto& t : q.timers) due = std::min(due, t.due);
  return due;
}

bool Push(const std::shared_ptr<Queue>& q, const MSG& m) {
  if (!q) return false;
  q->posted.push_back(m);
  ++q->seq;
  kernel::WakeWaitersLocked();
  return true;
}

// An ancestor of the window on the list waits to be painted (and would be taken by the filter).
// Window lock held.
bool AncestorWaitsToPaint(const Window& w, const std::vector<HWND>& paint, HWND filter) {
  WindowPtr at = w.parent ? Find(w.parent) : nullptr;
  for (int depth = 0; at && depth < 64; ++depth) {
    if (at->update && Visible(*at) && std::find(paint.begin(), paint.end(), at->handle) != paint.end() &&
        MatchesWindow(at->handle, filter))
      return true;
    at = at->parent ? Find(at->parent) : nullptr;
  }
  return false;
}

// Takes the next message for the filter, or returns false.
bool Fetch(MSG* out, HWND filter, UINT min, UINT max, bool remove) {
  ProcessSentMessages();
  auto q = MyQueue();
  std::vector<HWND> paint;
  {
    // Window filters look at the tree: the window lock comes first, then the kernel lock.
    auto windows = LockWindows();
    auto lock = kernel::LockKernel();
    for (auto it = q->posted.begin(); it != q->posted.end(); ++it) {
      if (!InRange(it->message, min, max) || !MatchesWindow(it->hwnd, filter)) continue;
      *out = *it;
      if (remove) q->posted.erase(it);
      q->last = *out;
      return true;
    }
    if (q->quit) {
      *out = MSG{nullptr, WM_QUIT, static_cast<WPARAM>(q->quit_code), 0, Now(), {0, 0}};
      if (remove) q->quit = false;
      return true;
    }
    paint = q->paint;
  }
  if (InRange(WM_PAINT, min, max)) {
    for (HWND h : paint) {
      auto w = Find(h);
      bool ok;
      {
        auto wl = LockWindows();
        ok = w && w->update && Visible(*w);
        if (!ok && w) NotePaintNeeded(*w, false);
        // Parents paint before their children, so that a child painted over its parent's
        // background is not painted over again.
        if (ok && AncestorWaitsToPaint(*w, paint, filter)) continue;
      }
      if (!w) {
        auto lock = kernel::LockKernel();
        q->paint.erase(std::remove(q->paint.begin(), q->paint.end(), h), q->paint.end());
        continue;
      }
      if (ok && MatchesWindow(h, filter)) {
        *out = MSG{h, WM_PAINT, 0, 0, Now(), {0, 0}};
        return true;
      }
    }
  }
  if (InRange(WM_TIMER, min, max)) {
    auto windows = LockWindows();
    auto lock = kernel::LockKernel();
    std::uint64_t now = kernel::MonotonicMs();
    for (auto& t : q->timers) {
      if (t.due > now || !MatchesWindow(t.hwnd, filter)) continue;
      *out = MSG{t.hwnd, WM_TIMER, t.id, reinterpret_cast<LPARAM>(t.proc), Now(), {0, 0}};
      if (remove) t.due = now + t.elapse;
      q->last = *out;
      return true;
    }
  }
  return false;
}

// Waits until the queue changes after `seen`, a timer falls due, or `timeout_ms` passes.
void WaitForChange(const std::shared_ptr<Queue>& q, std::uint64_t seen, DWORD timeout_ms) {
  std::uint64_t due;
  {
    auto lock = kernel::LockKernel();
    due = NextTimerDueLocked(*q);
  }
  std::uint64_t now = kernel::MonotonicMs();
  DWORD wait = timeout_ms;
  if (due != UINT64_MAX) wait = static_cast<DWORD>(std::min<std::uint64_t>(wait, due > now ? due - now : 0));
  if (wait == 0 && due <= now) return;
  kernel::WaitAll({}, wait, [&] { return q->seq != seen || !q->sent.empty(); });
}

}  // namespace

void Trace(int kind, const MSG& msg) {
  std::function<void(TraceKind, const MSG&)> hook;
  {
    std::lock_guard<std::mutex> lock(HookMutex());
    hook = Hook();
  }
  if (hook) hook(static_cast<TraceKind>(kind), msg);
}

void SetMessageTraceHook(std::function<void(TraceKind, const MSG&)> hook) {
  std::lock_guard<std::mutex> lock(HookMutex());
  Hook() = std::move(hook);
}

void EnsureQueue() {
  ThreadId me = kernel::CurrentThreadId();
  auto lock = kernel::LockKernel();
  if (QueueOfLocked(me)) return;
  auto q = std::make_shared<Queue>();
  q->thread = me;
  Queues()[me] = q;
  t_owner.thread = me;
}

LRESULT CallProc(const WindowPtr& w, UINT msg, WPARAM wparam, LPARAM lparam) {
  WNDPROC proc;
  {
    auto lock = LockWindows();
    proc = w->proc;
  }
  Trace(static_cast<int>(TraceKind::kDelivered), MSG{w->handle, msg, wparam, lparam, Now(), {0, 0}});
  return proc ? proc(w->handle, msg, wparam, lparam) : DefWindowProcW(w->handle, msg, wparam, lparam);
}

void ProcessSentMessages() {
  for (;;) {
    std::shared_ptr<SentMessage> s;
    std::shared_ptr<Queue> q;
    {
      auto lock = kernel::LockKernel();
      q = QueueOfLocked(kernel::CurrentThreadId());
      if (!q || q->sent.empty()) return;
      s = q->sent.front();
      q->sent.pop_front();
      ++q->in_send;
    }
    LRESULT result = 0;
    if (auto w = Find(s->hwnd)) result = CallProc(w, s->msg, s->wparam, s->lparam);
    auto lock = kernel::LockKernel();
    --q->in_send;
    s->result = result;
    s->done = true;
    kernel::WakeWaitersLocked();
  }
}

void NotePaintNeeded(const Window& w, bool needed) {
  auto lock = kernel::LockKernel();
  auto q = QueueOfLocked(w.thread);
  if (!q) return;
  auto it = std::find(q->paint.begin(), q->paint.end(), w.handle);
  if (needed && it == q->paint.end()) {
    q->paint.push_back(w.handle);
    ++q->seq;
    kernel::WakeWaitersLocked();
  } else if (!needed && it != q->paint.end()) {
    q->paint.erase(it);
  }
}

void RemoveWindowTimers(HWND hwnd) {
  auto lock = kernel::LockKernel();
  for (auto& [id, q] : Queues())
    q->timers.erase(std::remove_if(q->timers.begin(), q->timers.end(), [&](const Timer& t) { return t.hwnd == hwnd; }),
                    q->timers.end());
}

bool PostToWindow(const Window& w, UINT msg, WPARAM wparam, LPARAM lparam) {
  MSG m{w.handle, msg, wparam, lparam, Now(), {0, 0}};
  {
    auto lock = kernel::LockKernel();
    if (!Push(QueueOfLocked(w.thread), m)) return false;
  }
  Trace(static_cast<int>(TraceKind::kPosted), m);
  return true;
}

void Notify(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) { SendNotifyMessageW(hwnd, msg, wparam, lparam); }

void CancelSentTo(HWND hwnd) {
  auto lock = kernel::LockKernel();
  for (auto& [id, q] : Queues()) {
    for (auto it = q->sent.begin(); it != q->sent.end();) {
      if ((*it)->hwnd == hwnd) {
        (*it)->done = true;
        it = q->sent.erase(it);
      } else {
        ++it;
      }
    }
    q->posted.erase(std::remove_if(q->posted.begin(), q->posted.end(), [&](const MSG& m) { return m.hwnd == hwnd; }),
                    q->posted.end());
  }
  kernel::WakeWaitersLocked();
}

}  // namespace ce::window

using namespace ce::window;
namespace kernel = ce::kernel;

namespace {

// Queues a message to be sent to another thread's window; null when that thread has no queue.
std::shared_ptr<SentMessage> QueueSend(const WindowPtr& w, UINT msg, WPARAM wparam, LPARAM lparam, bool notify) {
  auto s = std::make_shared<SentMessage>(SentMessage{w->handle, msg, wparam, lparam});
  s->notify = notify;
  auto lock = kernel::LockKernel();
  auto q = QueueOfLocked(w->thread);
  if (!q) return nullptr;
  q->sent.push_back(s);
  ++q->seq;
  kernel::WakeWaitersLocked();
  return s;
}

// Waits for a sent message's result, handling messages sent to this thread meanwhile.
bool AwaitResult(const std::shared_ptr<SentMessage>& s, DWORD timeout_ms) {
  std::uint64_t deadline = timeout_ms == INFINITE ? UINT64_MAX : kernel::MonotonicMs() + timeout_ms;
  ThreadId me = kernel::CurrentThreadId();
  for (;;) {
    std::uint64_t now = kernel::MonotonicMs();
    if (now >= deadline) return false;
    DWORD wait = deadline == UINT64_MAX ? INFINITE : static_cast<DWORD>(deadline - now);
    kernel::WaitAll({}, wait, [&] {
      auto q = QueueOfLocked(me);
      return s->done || (q && !q->sent.empty());
    });
    {
      auto lock = kernel::LockKernel();
      if (s->done) return true;
    }
    ProcessSentMessages();
  }
}

}  // namespace

LRESULT SendMessageW(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  DWORD_PTR result = 0;
  SendMessageTimeoutW(hwnd, msg, wparam, lparam, SMTO_NORMAL, INFINITE, &result);
  return static_cast<LRESULT>(result);
}

LRESULT SendMessageTimeoutW(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam, UINT flags, UINT timeout_ms,
                            DWORD_PTR* result) {
  (void)flags;
  if (result) *result = 0;
  WindowPtr w = Find(hwnd);
  if (!w) {
    if (hwnd == HWND_BROADCAST) {
      std::vector<HWND> all;
      {
        auto lock = LockWindows();
        all = TopLevels();
      }
      for (HWND h : all) SendMessageTimeoutW(h, msg, wparam, lparam, flags, timeout_ms, nullptr);
      return TRUE;
    }
    LRESULT r = 0;
    bool timed_out = false;
    if (hwnd && !IsDesktop(hwnd) && RemoteSend(hwnd, msg, wparam, lparam, r, timeout_ms, &timed_out)) {
      if (result) *result = static_cast<DWORD_PTR>(r);
      return TRUE;
    }
    // A window of another process that did not answer in time is not a missing window.
    if (!IsDesktop(hwnd)) SetLastError(timed_out ? ERROR_TIMEOUT : ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  if (w->thread == kernel::CurrentThreadId()) {
    LRESULT r = CallProc(w, msg, wparam, lparam);
    if (result) *result = static_cast<DWORD_PTR>(r);
    return TRUE;
  }
  EnsureQueue();
  auto s = QueueSend(w, msg, wparam, lparam, false);
  if (!s) return FALSE;
  if (!AwaitResult(s, timeout_ms)) {
    auto lock = kernel::LockKernel();
    s->notify = true;  // the result, when it comes, goes nowhere
    SetLastError(ERROR_TIMEOUT);
    return FALSE;
  }
  if (result) *result = static_cast<DWORD_PTR>(s->result);
  return TRUE;
}

BOOL SendNotifyMessageW(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  WindowPtr w = Find(hwnd);
  if (!w) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  if (w->thread == kernel::CurrentThreadId()) {
    CallProc(w, msg, wparam, lparam);
    return TRUE;
  }
  return QueueSend(w, msg, wparam, lparam, true) != nullptr;
}

BOOL InSendMessage() {
  auto lock = kernel::LockKernel();
  auto q = QueueOfLocked(kernel::CurrentThreadId());
  return q && q->in_send > 0;
}

BOOL PostMessageW(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  if (!hwnd) return PostThreadMessageW(kernel::CurrentThreadId(), msg, wparam, lparam);
  if (hwnd == HWND_BROADCAST) {
    std::vector<HWND> all;
    {
      auto lock = LockWindows();
      all = TopLevels();
    }
    for (HWND h : all)
      if (auto w = Find(h)) PostToWindow(*w, msg, wparam, lparam);
    return TRUE;
  }
  if (WindowPtr w = Find(hwnd)) {
    if (PostToWindow(*w, msg, wparam, lparam)) return TRUE;
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  if (!IsDesktop(hwnd) && RemotePost(hwnd, msg, wparam, lparam)) return TRUE;
  SetLastError(ERROR_INVALID_WINDOW_HANDLE);
  return FALSE;
}

BOOL PostThreadMessageW(DWORD thread_id, UINT msg, WPARAM wparam, LPARAM lparam) {
  if (thread_id == kernel::CurrentThreadId()) EnsureQueue();
  MSG m{nullptr, msg, wparam, lparam, Now(), {0, 0}};
  {
    auto lock = kernel::LockKernel();
    if (!Push(QueueOfLocked(thread_id), m)) {
      SetLastError(1444);  // ERROR_INVALID_THREAD_ID
      return FALSE;
    }
  }
  Trace(static_cast<int>(TraceKind::kPosted), m);
  return TRUE;
}

void PostQuitMessage(int exit_code) {
  auto q = MyQueue();
  auto lock = kernel::LockKernel();
  q->quit = true;
  q->quit_code = exit_code;
  ++q->seq;
  kernel::WakeWaitersLocked();
}

BOOL GetMessageW(LPMSG msg, HWND hwnd, UINT min, UINT max) {
  if (!msg) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return -1;
  }
  auto q = MyQueue();
  for (;;) {
    std::uint64_t seen;
    {
      auto lock = kernel::LockKernel();
      seen = q->seq;
    }
    if (Fetch(msg, hwnd, min, max, true)) return msg->message == WM_QUIT ? FALSE : TRUE;
    WaitForChange(q, seen, INFINITE);
  }
}

BOOL PeekMessageW(LPMSG msg, HWND hwnd, UINT min, UINT max, UINT remove) {
  if (!msg) return FALSE;
  return Fetch(msg, hwnd, min, max, (remove & PM_REMOVE) != 0) ? TRUE : FALSE;
}

BOOL WaitMessage() {
  auto q = MyQueue();
  std::uint64_t seen;
  {
    auto lock = kernel::LockKernel();
    seen = q->seq;
  }
  WaitForChange(q, seen, INFINITE);
  return TRUE;
}

BOOL TranslateMessage(const MSG* msg) {
  if (!msg || msg->message != WM_KEYDOWN) return FALSE;
  WPARAM key = msg->wParam;
  WPARAM ch = 0;
  if (key >= 'A' && key <= 'Z') ch = key - 'A' + 'a';
  else if (key >= '0' && key <= '9') ch = key;
  else if (key == VK_SPACE || key == VK_RETURN || key == VK_BACK || key == VK_TAB || key == VK_ESCAPE) ch = key;
  if (!ch) return FALSE;
  return PostMessageW(msg->hwnd, WM_CHAR, ch, msg->lParam);
}

LRESULT DispatchMessageW(const MSG* msg) {
  if (!msg || !msg->hwnd) {
    if (msg && msg->message == WM_TIMER && msg->lParam)
      reinterpret_cast<TIMERPROC>(msg->lParam)(nullptr, WM_TIMER, msg->wParam, Now());
    return 0;
  }
  WindowPtr w = Find(msg->hwnd);
  if (!w) return 0;
  if (msg->message == WM_TIMER && msg->lParam) {
    reinterpret_cast<TIMERPROC>(msg->lParam)(msg->hwnd, WM_TIMER, msg->wParam, Now());
    return 0;
  }
  return CallProc(w, msg->message, msg->wParam, msg->lParam);
}

LRESULT CallWindowProcW(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  return proc ? proc(hwnd, msg, wparam, lparam) : 0;
}

DWORD GetQueueStatus(UINT flags) {
  auto q = MyQueue();
  auto lock = kernel::LockKernel();
  DWORD status = 0;
  if (!q->posted.empty()) status |= QS_POSTMESSAGE;
  if (!q->sent.empty()) status |= QS_SENDMESSAGE;
  if (!q->paint.empty()) status |= QS_PAINT;
  std::uint64_t now = kernel::MonotonicMs();
  for (auto& t : q->timers)
    if (t.due <= now) status |= QS_TIMER;
  status &= flags;
  return (status << 16) | status;
}

DWORD MsgWaitForMultipleObjectsEx(DWORD count, const HANDLE* handles, DWORD timeout_ms, DWORD wake_mask, DWORD flags) {
  if (count > 0 && !handles) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0xFFFFFFFFu;  // WAIT_FAILED
  }
  auto q = MyQueue();
  auto input_ready = [&] {  // kernel lock held
    if ((wake_mask & QS_SENDMESSAGE) && !q->sent.empty()) return true;
    if ((wake_mask & (QS_POSTMESSAGE | QS_INPUT)) && (!q->posted.empty() || q->quit)) return true;
    if ((wake_mask & QS_PAINT) && !q->paint.empty()) return true;
    if (wake_mask & QS_TIMER) {
      std::uint64_t now = kernel::MonotonicMs();
      for (auto& t : q->timers)
        if (t.due <= now) return true;
    }
    return false;
  };
  std::uint64_t deadline = timeout_ms == INFINITE ? UINT64_MAX : kernel::MonotonicMs() + timeout_ms;
  for (;;) {
    std::uint64_t now = kernel::MonotonicMs();
    std::uint64_t due = UINT64_MAX;
    if (wake_mask & QS_TIMER) {
      auto lock = kernel::LockKernel();
      due = NextTimerDueLocked(*q);
    }
    std::uint64_t until = std::min(deadline, due);
    DWORD wait = until == UINT64_MAX ? INFINITE : static_cast<DWORD>(until > now ? until - now : 0);
    DWORD r;
    if (count == 0) {
      auto result = kernel::WaitAll({}, wait, input_ready);
      r = result.status == kernel::WaitStatus::kExtra ? 0 : WAIT_TIMEOUT;
    } else {
      r = kernel::WaitForHandles(handles, count, (flags & MWMO_WAITALL) != 0, wait, input_ready);
    }
    if (r != WAIT_TIMEOUT) return r;
    // A time-out that only a timer's due time cut short: report the timer or wait on.
    if (kernel::MonotonicMs() >= deadline) return WAIT_TIMEOUT;
    auto lock = kernel::LockKernel();
    if (input_ready()) return count;
  }
}

DWORD MsgWaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL wait_all, DWORD timeout_ms, DWORD wake_mask) {
  return MsgWaitForMultipleObjectsEx(count, handles, timeout_ms, wake_mask, wait_all ? MWMO_WAITALL : 0);
}

DWORD GetMessagePos() {
  auto q = MyQueue();
  auto lock = kernel::LockKernel();
  return static_cast<DWORD>(MAKELONG(q->last.pt.x, q->last.pt.y));
}

LONG GetMessageTime() {
  auto q = MyQueue();
  auto lock = kernel::LockKernel();
  return static_cast<LONG>(q->last.time);
}

UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapse_ms, TIMERPROC proc) {
  ThreadId thread;
  if (hwnd) {
    WindowPtr w = Find(hwnd);
    if (!w) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return 0;
    }
    thread = w->thread;  // delivered on the window's own thread, whoever sets it
  } else {
    EnsureQueue();
    thread = kernel::CurrentThreadId();
  }
  elapse_ms = std::max<UINT>(elapse_ms, 10);
  auto lock = kernel::LockKernel();
  auto q = QueueOfLocked(thread);
  if (!q) return 0;
  if (!hwnd) {
    // Thread timers get a fresh id.
    static UINT_PTR next = 0x7000;
    id = ++next;
  }
  std::uint64_t due = kernel::MonotonicMs() + elapse_ms;
  for (auto& t : q->timers)
    if (t.hwnd == hwnd && t.id == id) {
      t.elapse = elapse_ms, t.due = due, t.proc = proc;
      ++q->seq;
      kernel::WakeWaitersLocked();
      return hwnd ? (id ? id : 1) : id;
    }
  q->timers.push_back({hwnd, id, elapse_ms, due, proc});
  ++q->seq;
  kernel::WakeWaitersLocked();
  return hwnd ? (id ? id : 1) : id;
}

BOOL KillTimer(HWND hwnd, UINT_PTR id) {
  auto lock = kernel::LockKernel();
  for (auto& [thread, q] : Queues()) {
    auto it = std::find_if(q->timers.begin(), q->timers.end(), [&](const Timer& t) { return t.hwnd == hwnd && t.id == id; });
    if (it != q->timers.end()) {
      q->timers.erase(it);
      return TRUE;
    }
  }
  return FALSE;
}
