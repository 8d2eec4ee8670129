// The kernel services in one include: handles, waits, events, mutexes, critical sections,
// threads, TLS, Sleep, last error and error texts, the local heap and system information.
#pragma once

#include "platform/kernel/last_error.h"
#include "platform/kernel/sync.h"
#include "platform/kernel/system_info.h"
#include "platform/kernel/threads.h"
#include "platform/kernel/virtual_memory.h"
