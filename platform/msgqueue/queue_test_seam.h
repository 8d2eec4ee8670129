// Test seam of the message queues.
#pragma once

#include "platform/base/types.h"

namespace ce::msgqueue {

// Takes the lock of the queue behind `queue` and keeps it, as a process that dies inside a change
// would. False for a handle that is not a queue's.
bool HoldQueueLock(HANDLE queue);

}  // namespace ce::msgqueue
