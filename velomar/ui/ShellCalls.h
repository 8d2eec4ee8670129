// The device shell's calls that the windows reach by ordinal in "aygshell.dll": the window state
// call (21) and the image-file loader (75).
#pragma once

#include "platform/base/types.h"
#include "platform/gdi/gdi_types.h"

namespace velomar::ui {

// Ordinal 21 with (window, state); FALSE when the library or the entry is missing.
BOOL ShellWindowState(HWND window, DWORD state);
// Ordinal 75: the image file at `path` as a device bitmap, or null.
HBITMAP ShellLoadImageFile(LPCWSTR path);

}  // namespace velomar::ui
