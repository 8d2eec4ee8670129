// The device shell's calls that the windows reach by ordinal in "aygshell.dll": the window state
// call (21), the menu-bar creation (34) and the image-file loader (75).
#pragma once

#include "platform/base/types.h"
#include "platform/gdi/gdi_types.h"

struct SHMENUBARINFO;

namespace velomar::ui {

// Ordinal 21 with (window, state); FALSE when the library or the entry is missing.
BOOL ShellWindowState(HWND window, DWORD state);
// Ordinal 34: the soft-key bar described by `info`; FALSE when the library, the entry or the bar
// is missing.
BOOL ShellCreateMenuBar(SHMENUBARINFO* info);
// Ordinal 75: the image file at `path` as a device bitmap, or null.
HBITMAP ShellLoadImageFile(LPCWSTR path);

}  // namespace velomar::ui
