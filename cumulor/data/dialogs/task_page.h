// The task page (template 157), a page of the waypoint browser: the points of one task slot in a
// list whose 8 columns the user chooses (a tap on a column header), a slot chooser "00" to "24",
// the "WPT..." menu on the selected row (insert the point chosen in the waypoint lists, delete,
// move up and down, area) and the "TASK..." menu on the slot (activate, delete, invert, copy,
// next and previous point, resume, restart). The editing itself is task_edit's.
#pragma once

#include <cstdint>

#include "platform/base/types.h"
#include "platform/window/window.h"

namespace cumulor {

inline constexpr int kTaskPageTemplate = 157;

// Control ids of the page.
inline constexpr int kIdTaskList = 1336;
inline constexpr int kIdTaskSlot = 1009;
inline constexpr int kIdTaskMenu = 1001;
inline constexpr int kIdPointMenu = 1339;
inline constexpr int kIdTaskTotal = 1072;

// Entries of the "WPT..." menu.
inline constexpr UINT kCmdTaskInsert = 2;
inline constexpr UINT kCmdTaskDeleteRow = 3;
inline constexpr UINT kCmdTaskMoveUp = 4;
inline constexpr UINT kCmdTaskMoveDown = 5;
inline constexpr UINT kCmdTaskArea = 19;
// Entries of the "TASK..." menu.
inline constexpr UINT kCmdTaskActivate = 8;
inline constexpr UINT kCmdTaskDelete = 3;
inline constexpr UINT kCmdTaskInvert = 6;
inline constexpr UINT kCmdTaskCopy = 7;
inline constexpr UINT kCmdTaskNext = 12;
inline constexpr UINT kCmdTaskPrevious = 22;
inline constexpr UINT kCmdTaskResume = 13;
inline constexpr UINT kCmdTaskRestart = 21;

INT_PTR TaskPageProc(HWND page, UINT message, WPARAM wparam, LPARAM lparam);

// The row selected on the page (-1 when none).
std::int32_t TaskPageSelectedRow();

// The leg list's columns: deletes the 8 columns and inserts them again with each column's
// content title and that content's width.
void SetupListColumns(HWND list);
// "Select Column %d" with the 11 contents, the column's content preselected; the choice is stored
// for the column. True when a content was chosen. Column 0 (the code) is not chosen.
bool ChooseListColumn(std::int32_t column);

}  // namespace cumulor
