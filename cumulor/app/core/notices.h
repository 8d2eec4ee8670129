// The program's short notices ("IGC Log Failed", "Out of Program Memory"): the record's
// messageBox. Shown at once on the main window's thread; from the GPS threads the box is handed to
// the main window, so that reading the receiver never waits for the pilot's OK.
#pragma once

#include "cumulor/app/app_context.h"
#include "platform/window/window.h"

namespace cumulor {

// Posted to the main window with the notice's number in wParam (a number, not a pointer: the
// window's messages may come from other processes). An unknown number shows nothing.
inline constexpr UINT kMsgNotice = WM_USER + 92;

// Sets the record's messageBox.
void InstallNotices(AppContext& app);
// The main window's handler of kMsgNotice.
void ShowNotice(AppContext& app, WPARAM number);

}  // namespace cumulor
