// What the control panel's applets share: each is shown in the caller's process on a thread of its
// own, as a foreground window (240 x 320, titled with the arguments it was started with) holding
// one page window that covers it, and lives until its thread's message loop ends.
#pragma once

#include <string>
#include <string_view>

#include "platform/base/types.h"
#include "platform/window/window.h"

namespace ce::applets {

// Runs `body` with a copy of `arguments` on a thread of its own; 0, whether or not the thread
// could start.
DWORD StartAppletThread(std::u16string_view arguments, DWORD (*body)(const std::u16string& arguments));

struct AppletWindows {
  HWND applet = nullptr;
  HWND page = nullptr;
};

// On the applet's thread: registers `applet_class` (procedure `applet_proc`) and `page_class` (a
// plain window), then makes the applet window titled `title` and its page. Both null when the
// applet window cannot be made.
AppletWindows MakeAppletWindows(const WCHAR* applet_class, WNDPROC applet_proc, const WCHAR* page_class,
                                const std::u16string& title);

// Brings `applet` to the front and dispatches the thread's messages until it quits.
void RunAppletLoop(HWND applet);

}  // namespace ce::applets
