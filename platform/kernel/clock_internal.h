// Inside the kernel: how waits turn a time-out into a deadline on the kernel clock.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>

namespace ce::kernel {

// Where a wait stands against its deadline. Kernel lock held.
struct DeadlineCheck {
  bool passed;
  // For the real clock: the host time to block until; empty under the manual clock (the
  // clock wakes waiters when it moves) or for no deadline.
  std::optional<std::chrono::steady_clock::time_point> block_until;
};
DeadlineCheck CheckDeadlineLocked(std::optional<std::uint64_t> deadline_ms);

}  // namespace ce::kernel
