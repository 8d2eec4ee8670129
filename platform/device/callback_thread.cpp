#include "platform/device/callback_thread.h"

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <deque>
#include <mutex>
#include <thread>

#include "platform/kernel/device_folder.h"
#include "platform/kernel/threads.h"

namespace ce::device {

namespace {

// At process exit, callback threads stop running work before static destruction frees what the
// work would use (the device folder, the registry): the exit handler marks the exit and waits
// for work that is running to end. The wait is bounded only so that work blocked on something
// the exit itself holds cannot hang the process: a registry write on a loaded machine can take
// seconds, and freeing the store under it corrupts the write.
struct ExitGuard {
  std::mutex mu;
  std::condition_variable cv;
  bool exiting = false;
  int running = 0;
  int outstanding = 0;  // posted to any line and not yet run or dropped
};

ExitGuard& Guard() {
  static ExitGuard* g = [] {
    auto* guard = new ExitGuard;
    ce::DeviceFolder();  // constructed first, so destroyed after the exit handler has run
    std::atexit([] {
      ExitGuard& g = Guard();
      std::unique_lock<std::mutex> lock(g.mu);
      g.exiting = true;
      g.cv.wait_for(lock, std::chrono::seconds(30), [&] { return g.running == 0; });
    });
    return guard;
  }();
  return *g;
}

// Counts the work as running unless the process is exiting.
bool BeginWork() {
  ExitGuard& g = Guard();
  std::lock_guard<std::mutex> lock(g.mu);
  if (g.exiting) return false;
  ++g.running;
  return true;
}

void EndWork() {
  ExitGuard& g = Guard();
  std::lock_guard<std::mutex> lock(g.mu);
  --g.running;
  g.cv.notify_all();
}

// One posted piece of work has run or been dropped.
void Settle() {
  ExitGuard& g = Guard();
  std::lock_guard<std::mutex> lock(g.mu);
  --g.outstanding;
  g.cv.notify_all();
}

}  // namespace

struct CallbackThread::State {
  std::mutex mu;
  std::condition_variable cv;
  std::deque<std::pair<std::function<void()>, std::uint32_t>> work;
  bool stopping = false;
  std::thread thread;
};

CallbackThread::CallbackThread() : state_(std::make_shared<State>()) {
  Guard();
  state_->thread = std::thread([s = state_] {
    for (;;) {
      std::pair<std::function<void()>, std::uint32_t> item;
      {
        std::unique_lock<std::mutex> lock(s->mu);
        s->cv.wait(lock, [&] { return s->stopping || !s->work.empty(); });
        if (s->work.empty()) return;
        item = std::move(s->work.front());
        s->work.pop_front();
        if (s->stopping && item.second > 0) {
          Settle();
          continue;
        }
      }
      if (item.second > 0) Sleep(item.second);
      if (!BeginWork()) {
        Settle();
        // The process is exiting: run nothing more, and end only when the owner stops the thread,
        // so that a thread of a callback line that lives for the whole process is never left
        // finished and unjoined.
        std::unique_lock<std::mutex> lock(s->mu);
        s->cv.wait(lock, [&] { return s->stopping; });
        return;
      }
      item.first();
      item = {};  // what the work held goes before it counts as done
      EndWork();
      Settle();
    }
  });
}

CallbackThread::~CallbackThread() {
  {
    std::lock_guard<std::mutex> lock(state_->mu);
    state_->stopping = true;
  }
  state_->cv.notify_all();
  if (state_->thread.get_id() == std::this_thread::get_id())
    state_->thread.detach();
  else
    state_->thread.join();
}

void CallbackThread::Post(std::function<void()> work, std::uint32_t delay_ms) {
  {
    ExitGuard& g = Guard();
    std::lock_guard<std::mutex> lock(g.mu);
    ++g.outstanding;
  }
  {
    std::lock_guard<std::mutex> lock(state_->mu);
    state_->work.emplace_back(std::move(work), delay_ms);
  }
  state_->cv.notify_all();
}

bool AwaitCallbacksDone(std::chrono::milliseconds timeout) {
  ExitGuard& g = Guard();
  std::unique_lock<std::mutex> lock(g.mu);
  return g.cv.wait_for(lock, timeout, [&] { return g.outstanding == 0; });
}

bool CallbackThread::IsCurrent() const { return state_->thread.get_id() == std::this_thread::get_id(); }

}  // namespace ce::device
