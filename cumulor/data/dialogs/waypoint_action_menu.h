// The action menu of the waypoint lists: insert a point into the task being edited (before one of
// its points or appended), create a user waypoint, edit or delete a user waypoint, and in the
// simulator delete all of them. Deleting keeps every reference to the other waypoints true.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "cumulor/app/ui/own_dialogs.h"
#include "cumulor/data/task/task_point.h"
#include "platform/base/types.h"

namespace cumulor {

// What the menu did, so that a list can show the change.
enum class WaypointAction : std::int32_t { kNone, kInserted, kCreated, kEdited, kDeleted };

// What the menu needs of the program; unset functions answer false or do nothing.
struct WaypointActionHooks {
  std::function<bool()> simulator;      // "DELETE ALL" is offered only in the simulator
  std::function<void()> pointsDeleted;  // the map's visible points and position after a deletion
};
void SetWaypointActionHooks(WaypointActionHooks hooks);

// With a point: "%02d: Where to insert %hs?" (edited slot, point name) listing the edited task's
// points (the point goes in before the one chosen), "ADD HERE" (appended) and an empty line;
// without one: "Waypoint". Always "CREATE WPT" (a new user waypoint at the point, or at the own
// position); for a user waypoint "EDIT", "DELETE" and, in the simulator, "DELETE ALL".
WaypointAction WaypointActionMenu(const TaskPoint* point, HWND owner);
// The menu's entries (8-bit texts, ended by id -1) and its title.
std::vector<ListChoiceEntry> WaypointActionEntries(const TaskPoint* point, std::u16string& title);

// Removes one user waypoint (1 .. count - 1) or all of them, then rebuilds the point indexes,
// saves the store and tells the program. False when there was nothing to remove.
bool DeleteUserWaypoint(std::int32_t index);
void DeleteAllUserWaypoints();

}  // namespace cumulor
