// Waiting for an answer of the scripted user with the thread's messages flowing.
#include "platform/menus/answer_wait.h"

#include "platform/kernel/sync.h"
#include "platform/window/window.h"

namespace ce::menus {

Awaited AwaitAnswer(scripted::Kind kind, bool escape_dismisses) {
  auto& user = scripted::User::Get();
  Awaited out;
  if ((out.answer = user.Take(kind)) || !user.holding()) return out;
  HANDLE wake = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  user.WakeOnAnswer(wake);
  for (;;) {
    if ((out.answer = user.Take(kind)) || !user.holding()) break;
    MSG m;
    bool stop = false;
    while (!stop && PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
      if (m.message == WM_QUIT) {
        PostQuitMessage(static_cast<int>(m.wParam));  // left for the thread's own loop
        out.dismissed = stop = true;
      } else if (escape_dismisses && (m.message == WM_KEYDOWN || m.message == WM_KEYUP) && m.wParam == VK_ESCAPE) {
        out.dismissed = stop = true;
      } else {
        TranslateMessage(&m);
        DispatchMessageW(&m);
      }
    }
    if (stop) break;
    MsgWaitForMultipleObjectsEx(1, &wake, INFINITE, QS_ALLINPUT, 0);
  }
  user.StopWaking(wake);
  CloseHandle(wake);
  return out;
}

}  // namespace ce::menus
