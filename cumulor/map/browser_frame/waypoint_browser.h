// The waypoint browser (dialog 162): a tab control whose three tabs show the point list, the task
// page and the point page, each created on first use below the tabs. OK, the "Close" button, the
// hardware keys and the pages' closing actions end it; opened to go to a point, it then makes the
// chosen point the direct target. Closing saves the task document.
#pragma once

#include "platform/base/types.h"
#include "platform/window/window.h"

namespace cumulor {

inline constexpr int kWaypointBrowser = 162;
inline constexpr int kIdBrowserTabs = 1331;
inline constexpr int kIdBrowserClose = 1355;

// The parameter is the start page: 0 the point list, 1 the task page, 2 the point page.
INT_PTR WaypointBrowserProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);

}  // namespace cumulor
