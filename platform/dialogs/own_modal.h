// A program's own modal popup that is not a dialog: a top-level window of the program's class
// whose choices are child controls, run by the program's own message loop until WM_QUIT. The
// scripted user sees it as a dialog showing `texts` and answers it with a dialog answer, whose
// steps are done on the window whenever the thread is idle; without an answer (answers not held,
// no live window) the window is closed (WM_CLOSE), as a user dismissing it would.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/window/window.h"

namespace ce::dialogs {

// Dispatches the thread's messages until WM_QUIT, which is taken (its exit code goes to
// `quit_code` when given), or until `window` is gone and nothing is queued. `result` gives the
// answer the scripted user's record shows for the popup when the loop ends.
void RunOwnModalLoop(HWND window, std::vector<std::u16string> texts, const std::function<int()>& result,
                     int* quit_code = nullptr);

}  // namespace ce::dialogs
