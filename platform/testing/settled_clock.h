// Moving the manual clock while threads work on it.
#pragma once

#include <cstdint>

namespace ce::testing {

// Moves the manual clock forward and waits (in real time) until every thread whose wait or Sleep
// the move ended has returned from it, and until as many threads wait as before the move (at most
// half a second for that: a woken thread may end or block elsewhere). A test that moves the clock
// again at once then never moves it under a woken thread before that thread has run: a time the
// thread reads right after its wait is its deadline's. False when a woken thread has not run
// within 10 s.
bool AdvanceClockSettled(std::uint64_t ms);

}  // namespace ce::testing
