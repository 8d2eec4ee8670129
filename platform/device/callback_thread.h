// A thread on which a stand-in library delivers its callbacks and asynchronous answers, in the
// order they were posted. A delay is measured on the kernel clock (under a test's manual clock it
// ends when the test moves time past it).
#pragma once

#include <chrono>
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

// Waits (real time, at most `timeout`) until every piece of work posted to this process's callback
// threads has run to its end or been dropped. A caller about to take away what the work uses (a
// test leaving its device folder) calls it once it has stopped posting; a delay on the manual clock
// still ahead keeps it waiting. False on time-out.
bool AwaitCallbacksDone(std::chrono::milliseconds timeout);

}  // namespace ce::device
