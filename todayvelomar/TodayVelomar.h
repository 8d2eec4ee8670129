// TodayVelomar: the Today item that shows Velomar's state (six status icons, the lock icon, the
// cell id and location area code, and optionally the place and period in force) and hands taps
// back to Velomar's main window. The Today host loads the library ("TodayVelomar.dll") and calls
// ordinal 240, TodayItemInit; everything else happens through the item window's messages
// (todayvelomar/TodayProtocol.h with Velomar, platform/shell/today.h with the host).
//
// Everything runs on the host's thread that owns the item window.
#pragma once

#include "platform/base/types.h"
#include "platform/gdi/gdi_types.h"
#include "platform/shell/today.h"

#define TODAY_EXPORT extern "C" __attribute__((visibility("default")))

// The library entry the loader calls: keeps the module and its path and logs the attach and
// detach with that path. Always succeeds.
TODAY_EXPORT BOOL DllMain(HINSTANCE module, DWORD reason, LPVOID reserved);
// Ordinal 240: creates the item window (class "VelomarTP") as a child of `parent` and keeps
// `item`, whose height the refresh queries set. Null when the window cannot be made.
TODAY_EXPORT HWND TodayItemInit(TODAYLISTITEM* item, HWND parent);
TODAY_EXPORT LRESULT TodayItemWndProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);
// An icon file of the icon folder as a bitmap; null (reported with "Error loading %s") when it
// cannot be loaded.
TODAY_EXPORT HBITMAP LoadTodayIcon(LPCWSTR file_name);
// Draws the icon 25 x 25 at (x, 1) with the colour of its pixel (1, 1) left out; a missing icon
// is reported and left out.
TODAY_EXPORT void DrawTodayIcon(LPCWSTR file_name, HDC hdc, int x);
