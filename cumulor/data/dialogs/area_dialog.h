// The area dialog (template 178): the minimum and maximum distance and the two radials of a task
// point's area, in metres or miles, and whether mobile turnpoints are kept inside areas. OK
// stores them into the point (a maximum below the minimum or a field that is not a number plays
// "WindMax.wav" and keeps the dialog open); Cancel ends without storing.
#pragma once

#include "cumulor/data/task/task_point.h"
#include "platform/base/types.h"
#include "platform/window/window.h"

namespace cumulor {

inline constexpr int kAreaDialog = 178;

// The parameter is the TaskPoint* to edit.
INT_PTR AreaDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
// Runs the dialog modally for the point; 1 in every case the dialog ends normally.
INT_PTR EditTaskPointArea(TaskPoint& point, HWND owner);
// The same, then the flown position follows: a point that now has an area and had none starts at
// the area's centre (its record's position); a point without an area keeps the position 0.
INT_PTR EditTaskPointAreaPosition(TaskPoint& point, HWND owner);

}  // namespace cumulor
