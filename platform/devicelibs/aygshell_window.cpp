// The recorded aygshell window calls.
#include "platform/devicelibs/aygshell_window.h"

#include "platform/base/errors.h"
#include "platform/device/device.h"
#include "platform/kernel/last_error.h"
#include "platform/window/window.h"

namespace {

BOOL RecordWindowCall(HWND hwnd, const char* kind, DWORD state) {
  if (!hwnd || !IsWindow(hwnd)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  ce::device::Effect e;
  e.kind = kind;
  e.value = state;
  ce::device::Record(e);
  return TRUE;
}

}  // namespace

BOOL SHFullScreen(HWND hwnd, DWORD state) { return RecordWindowCall(hwnd, "shell-fullscreen", state); }

BOOL ShellWindowState(HWND hwnd, DWORD state) { return RecordWindowCall(hwnd, "shell-window", state); }
