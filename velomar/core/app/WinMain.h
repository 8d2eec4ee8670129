// Velomar's entry point: the single-instance rule and the three command-line forms.
//
// No running instance (no window of class "MainWindow"): an empty command line builds the
// application and runs it; any other ends at once with 0, building nothing. A running instance
// gets the command line and the process ends with 0: empty brings its window forward,
// "timer_notification_<manager>_<notification>" (two numbers read) posts WM_USER+200 with both,
// "iddle_notification" posts WM_USER+201; anything else does nothing.
#pragma once

#include <string>

#include "platform/base/types.h"

#define WM_TIMER_NOTIFICATION (0x0400u + 200)
#define WM_IDLE_NOTIFICATION (0x0400u + 201)

int WinMain(HINSTANCE instance, HINSTANCE previous, LPWSTR command_line, int show);

namespace velomar {
// Hands a command line to the running instance's window.
void HandOverCommandLine(HWND running, const std::u16string& command_line);
}  // namespace velomar
