#include "cumulor/app/core/message_pump.h"

#include <vector>

#include "cumulor/app/core/app_entry.h"
#include "platform/base/errors.h"
#include "platform/time/time.h"
#include "platform/window/window.h"

namespace cumulor {
namespace {

// Puts WM_QUIT back for the outer loop.
void RepostQuit(const MSG& msg) { PostQuitMessage(static_cast<int>(msg.wParam)); }

}  // namespace

void PumpMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      RepostQuit(msg);
      return;
    }
    DispatchMessageW(&msg);
  }
}

void PumpMessagesUntil(const volatile std::uint8_t* flag, std::int32_t count) {
  MSG msg;
  for (std::int32_t i = 1; i < count && !*flag; ++i) {
    if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) return;
    if (msg.message == WM_QUIT) {
      RepostQuit(msg);
      return;
    }
    DispatchMessageW(&msg);
  }
}

HRESULT PumpMessagesWait(HANDLE handle, DWORD timeout) {
  const DWORD start = GetTickCount();
  auto remaining = [&]() -> DWORD {
    if (timeout == 0xFFFFFFFFu) return 0xFFFFFFFFu;
    const DWORD elapsed = GetTickCount() - start;
    return elapsed >= timeout ? 0 : timeout - elapsed;
  };
  if (timeout != 0xFFFFFFFFu && remaining() == 0) return WAIT_TIMEOUT;
  HANDLE abort = AbortEvent();
  for (;;) {
    MSG msg;
    if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        RepostQuit(msg);
        return E_ABORT;
      }
      if (msg.hwnd) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }
    } else {
      HANDLE handles[2];
      DWORD count = 0;
      // A missing handle leaves only the abort event (the wait is then a pause).
      const HANDLE own = handle ? handle : abort;
      handles[count++] = own;
      if (abort) handles[count++] = abort;
      const DWORD r = MsgWaitForMultipleObjectsEx(count, handles, remaining(), 0x7F, 0);
      if (r == WAIT_OBJECT_0 + count) {
        // input waiting: go on pumping
      } else if (r == WAIT_OBJECT_0 && own == abort) {
        return E_ABORT;
      } else if (r == WAIT_OBJECT_0 + 1 && count == 2) {
        return E_ABORT;
      } else {
        return static_cast<HRESULT>(r);
      }
    }
    if (timeout != 0xFFFFFFFFu && remaining() == 0) return WAIT_TIMEOUT;
  }
}

bool IsZoomCommand(WPARAM wparam) {
  const WORD id = LOWORD(wparam);
  return (id >= 40005 && id <= 40016) || id == 40031 || id == 40099;
}

bool DropQueuedCommand(AppContext& app) {
  if (!app.mainWindow) return false;
  std::vector<MSG> others;
  bool dropped = false;
  MSG msg;
  while (PeekMessageW(&msg, app.mainWindow, WM_COMMAND, WM_COMMAND, PM_REMOVE)) {
    if (!dropped && IsZoomCommand(msg.wParam)) {
      dropped = true;
      continue;
    }
    others.push_back(msg);
  }
  for (const MSG& m : others) PostMessageW(m.hwnd, m.message, m.wParam, m.lParam);
  return dropped;
}

}  // namespace cumulor
