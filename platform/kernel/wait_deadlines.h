// The deadlines of the timed waits in progress, for tests that move the manual clock.
#pragma once

#include <cstddef>

namespace ce::kernel {

// How many waits or Sleeps have passed their deadline but not yet returned to their thread (a
// thread the clock woke that has not run yet).
std::size_t WaitsPastDeadline();

}  // namespace ce::kernel
