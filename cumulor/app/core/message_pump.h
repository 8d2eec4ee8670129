// Message pumps with which long operations keep the window alive. A pump that meets WM_QUIT (the
// window was destroyed inside a long operation) posts it again with the same exit code and stops,
// so the program's own message loop still ends.
#pragma once

#include <cstdint>

#include "cumulor/app/app_context.h"
#include "platform/base/types.h"

namespace cumulor {

// Dispatches every pending message of the thread (no translation) until none is left.
void PumpMessages();
// While *flag is 0, dispatches pending messages, at most count - 1 of them; stops early when the
// queue is empty.
void PumpMessagesUntil(const volatile std::uint8_t* flag, std::int32_t count);
// Waits for `handle` (null: only the abort event and the time) while dispatching window messages
// (thread messages without a window are dropped): 0 when it is signalled, E_ABORT when the abort
// event is set or WM_QUIT arrived, WAIT_TIMEOUT (258) after `timeout` ms (0xFFFFFFFF: no limit).
HRESULT PumpMessagesWait(HANDLE handle, DWORD timeout);
// True for the zoom commands (40005..40016, 40031, 40099).
bool IsZoomCommand(WPARAM wparam);
// Takes one pending zoom command of the main window out of the queue without dispatching it;
// other pending commands stay queued in their order. True when one was taken.
bool DropQueuedCommand(AppContext& app);

}  // namespace cumulor
