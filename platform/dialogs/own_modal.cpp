// The modal loop of a program's own popup window, answered by the scripted user.
#include "platform/dialogs/own_modal.h"

#include "platform/dialogs/dialog_internal.h"
#include "platform/display/display.h"
#include "platform/kernel/sync.h"
#include "platform/text/utf.h"

namespace ce::dialogs {

void RunOwnModalLoop(HWND window, std::vector<std::u16string> texts, const std::function<int()>& result,
                     int* quit_code) {
  auto& user = scripted::User::Get();
  int length = GetWindowTextLengthW(window);
  std::u16string title(static_cast<std::size_t>(length > 0 ? length : 0) + 1, u'\0');
  title.resize(static_cast<std::size_t>(GetWindowTextW(window, title.data(), length + 1)));
  const std::size_t record = user.Begin({scripted::Kind::kDialog, title, std::move(texts), 0, false, 0});
  std::optional<scripted::Answer> script;
  std::size_t next_step = 0;
  bool closed = false;
  HANDLE wake = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  user.WakeOnAnswer(wake);
  for (;;) {
    MSG m;
    if (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
      if (m.message == WM_QUIT) {
        if (quit_code) *quit_code = static_cast<int>(m.wParam);
        break;
      }
      TranslateMessage(&m);
      DispatchMessageW(&m);
      continue;
    }
    if (!IsWindow(window)) break;
    // Idle: the user acts.
    if (!script && !closed) script = user.Take(scripted::Kind::kDialog);
    if (script && next_step < script->steps.size()) {
      RunStep(window, script->steps[next_step++]);
      continue;
    }
    if (display::LiveWindowShown() || user.holding()) {
      MsgWaitForMultipleObjectsEx(1, &wake, INFINITE, QS_ALLINPUT, 0);
      continue;
    }
    if (!closed) {
      closed = true;
      user.Log("dialog \"" + text::ToUtf8(title) + "\": " +
               (script ? "the scripted steps left it open" : "no scripted answer") + "; closed");
      PostMessageW(window, WM_CLOSE, 0, 0);
      continue;
    }
    // Closed and still running: wait for what the close brings.
    MsgWaitForMultipleObjectsEx(1, &wake, 50, QS_ALLINPUT, 0);
  }
  user.StopWaking(wake);
  CloseHandle(wake);
  user.Finish(record, result ? result() : 0, script.has_value() && !closed);
}

}  // namespace ce::dialogs
