// The quick task entry (dialog 192): the whole task in flying order on up to five point buttons,
// with the split between achieved and remaining points on the arrow buttons. A point button asks
// for a waypoint id or name ("0" deletes the point, "." edits its area, "*" inserts); OK rebuilds
// the achieved list and the active task from the entry.
#pragma once

#include "platform/base/types.h"
#include "platform/window/window.h"

namespace cumulor {

inline constexpr int kQuickTaskDialog = 192;

INT_PTR QuickTaskDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);

}  // namespace cumulor
