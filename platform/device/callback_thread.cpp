#include "platform/device/callback_thread.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include "platform/kernel/threads.h"

namespace ce::device {

struct CallbackThread::State {
  std::mutex mu;
  std::condition_variable cv;
  std::deque<std::pair<std::function<void()>, std::uint32_t>> work;
  bool stopping = false;
  std::thread thread;
};

CallbackThread::CallbackThread() : state_(std::make_shared<State>()) {
  state_->thread = std::thread([s = state_] {
    for (;;) {
      std::pair<std::function<void()>, std::uint32_t> item;
      {
        std::unique_lock<std::mutex> lock(s->mu);
        s->cv.wait(lock, [&] { return s->stopping || !s->work.empty(); });
        if (s->work.empty()) return;
        item = std::move(s->work.front());
        s->work.pop_front();
        if (s->stopping && item.second > 0) continue;
      }
      if (item.second > 0) Sleep(item.second);
      item.first();
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
    std::lock_guard<std::mutex> lock(state_->mu);
    state_->work.emplace_back(std::move(work), delay_ms);
  }
  state_->cv.notify_all();
}

bool CallbackThread::IsCurrent() const { return state_->thread.get_id() == std::this_thread::get_id(); }

}  // namespace ce::device
