// The waypoint lists' window-side helpers the task pages use: the go-to target's caption and the
// chooser that inserts a point into the task being edited (the slot the task page shows).
#pragma once

#include "cumulor/data/task/task_point.h"
#include "platform/base/types.h"

namespace cumulor {

inline constexpr int kIdTargetCode = 1346;
inline constexpr int kIdTargetName = 1347;

// When the go-to target is valid: its code into control 1346 and its name into 1347.
void ShowGotoTargetCaption(HWND dialog);

// "%02d: Where to insert %hs?" (edited slot, point name): one entry per point of the edited task
// (the point goes in before it), then "ADD HERE" (appended). True when the point was inserted.
bool WaypointActionMenu(const TaskPoint& point);

}  // namespace cumulor
