// Removing one user waypoint from the store while every reference to the others keeps naming the
// same waypoint: references to the removed one are cleared (their stored position kept), those
// above it move down by one; list 3 of the tile cache and the point index are rebuilt.
#pragma once

#include <cstdint>
#include <functional>

#include "cumulor/data/task/task_point.h"

namespace cumulor {

// Visits the references the application keeps outside the task module (navigation target, file
// home point, ...); the application installs it. Unset: none.
using UserWaypointReferenceVisitor = std::function<void(const std::function<void(TaskPoint&)>& fix)>;
void SetUserWaypointReferenceVisitor(UserWaypointReferenceVisitor visitor);

// Adjusts one reference for the removal of waypoint `removed`: cleared when it named it, one
// lower when it named a waypoint above it; other kinds untouched.
void RenumberAfterRemoval(TaskPoint& ref, std::int32_t removed);
// Removes waypoint `index` (1 .. count - 1; others do nothing, false) with its name and country,
// renumbers the task slots, the task targets, the start rule's two points and the application's
// references, and rebuilds list 3 of the tiles and the user-waypoint point index. Callers hold the
// point-table lock when the map may draw meanwhile.
bool RemoveUserWaypoint(std::int32_t index);
// Cuts the store back to its first slot (no waypoint) and clears every user-waypoint reference
// the same way; list 3 of the tiles and the point index are rebuilt.
void RemoveAllUserWaypoints();

}  // namespace cumulor
