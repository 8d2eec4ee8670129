// Test seam of the message queues.
#pragma once

#include <cstdint>

#include "platform/base/types.h"

namespace ce::msgqueue {

// Takes the lock of the queue behind `queue` and keeps it, as a process that dies inside a change
// would. False for a handle that is not a queue's.
bool HoldQueueLock(HANDLE queue);

// How many times a thread of this process found a queue's lock busy and waited for it (a lock
// whose holder died is taken over without a wait).
std::uint64_t QueueLockWaits();

}  // namespace ce::msgqueue
