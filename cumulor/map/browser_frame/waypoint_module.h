// The waypoint module's start-up: the list column widths of the screen, the point list's sort
// order and the task editor's state.
#pragma once

namespace cumulor {

// On a high-resolution screen the lists take their wider columns; every column sorts ascending
// at its first tap; the task page shows the active task.
void InitWaypointModule();
// At shutdown: the point tables the lists showed are let go.
void ShutdownWaypointModule();
// After the settings were read: the high-resolution widths again on such a screen.
void RefreshColumns();

}  // namespace cumulor
