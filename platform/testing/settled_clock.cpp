#include "platform/testing/settled_clock.h"

#include <chrono>
#include <thread>

#include "platform/kernel/clock.h"
#include "platform/kernel/wait_deadlines.h"
#include "platform/kernel/waitable.h"

namespace ce::testing {

bool AdvanceClockSettled(std::uint64_t ms) {
  const std::size_t waiting = ce::kernel::ThreadsInWait();
  ce::kernel::AdvanceManualClock(ms);
  const auto moved = std::chrono::steady_clock::now();
  while (ce::kernel::WaitsPastDeadline() > 0) {
    if (std::chrono::steady_clock::now() - moved > std::chrono::seconds(10)) return false;
    std::this_thread::sleep_for(std::chrono::microseconds(100));
  }
  while (ce::kernel::ThreadsInWait() < waiting &&
         std::chrono::steady_clock::now() - moved < std::chrono::milliseconds(500))
    std::this_thread::sleep_for(std::chrono::microseconds(100));
  return true;
}

}  // namespace ce::testing
