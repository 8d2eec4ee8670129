// The waypoint browser (dialog 162): a tab control whose three image tabs show the point list,
// the task page and the point page, each created on first use below the tabs. OK, the title
// row's OK, the hardware keys and the pages' closing actions end it. Opened to go to a point
// (purpose 1) it then makes the chosen point the navigation target; opened to pick a point for
// the program (purpose 4) it hands the chosen point over. Closing saves the task document.
#pragma once

#include <functional>

#include "cumulor/data/task/task_point.h"
#include "platform/base/types.h"
#include "platform/window/window.h"

namespace cumulor {

inline constexpr int kWaypointBrowser = 162;
inline constexpr int kIdBrowserTabs = 1331;
inline constexpr int kIdBrowserClose = 1355;

// Start pages (the dialog's parameter).
inline constexpr LPARAM kBrowserListPage = 0;
inline constexpr LPARAM kBrowserTaskPage = 1;
inline constexpr LPARAM kBrowserPointPage = 2;

// The point chosen when the browser was opened to pick a point (purpose 4).
void SetBrowserPointSelected(std::function<void(const TaskPoint&)> selected);

// The parameter is the start page.
INT_PTR WaypointBrowserProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);

}  // namespace cumulor
