// A thread on which a stand-in library delivers its callbacks and asynchronous answers, in the
// order they were posted. A delay is measured on the kernel clock (under a test's manual clock it
// ends when the test moves time past it).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

namespace ce::device {

class CallbackThread {
 public:
  CallbackThread();
  ~CallbackThread();  // runs what is already due, drops the rest, and joins the thread
  CallbackThread(const CallbackThread&) = delete;
  CallbackThread& operator=(const CallbackThread&) = delete;

  // Runs `work` on the thread after `delay_ms` (counted from when it reaches the head of the line).
  void Post(std::function<void()> work, std::uint32_t delay_ms = 0);
  // True on the thread itself.
  bool IsCurrent() const;

 private:
  struct State;
  std::shared_ptr<State> state_;
};

}  // namespace ce::device
