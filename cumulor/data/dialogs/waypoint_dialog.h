// The waypoint dialog (template 180): name, position, radial and distance from the reference point,
// elevation, ident, comment, zoom and the airport / landing / turnpoint flags of a user waypoint.
// A radial or distance entered moves the waypoint there from the reference point, names it after
// it ("<reference> <radial>°/<distance>") and gives it the terrain's elevation. OK and the close button commit (the
// store is saved; a new waypoint is also entered in the point indexes and the tile cache); Cancel
// removes a new waypoint again.
#pragma once

#include <cstdint>
#include <functional>

#include "cumulor/data/task/task_point.h"

#include "platform/base/types.h"
#include "platform/window/window.h"

namespace cumulor {

inline constexpr int kWaypointDialog = 180;

// Degrees (0 to 179), ':' or '.', minutes (0 to 59) and decimals of minutes, optionally followed
// by the hemisphere letter (S and W negative), in 0.1 arc-seconds; 0 for any other text.
int ParseCoordinateText(const WCHAR* text, std::int32_t& out);

// With an index of 0 or more that waypoint is edited; with a negative index a new one is made at
// the position. Runs the dialog; its result.
INT_PTR AddUserWaypoint(std::int32_t index, std::int32_t lon, std::int32_t lat, HWND owner);
// Commits the dialog's waypoint: click sound; a new one is entered in the indexes and the tiles;
// then the store is saved.
void UserWaypointCommit(bool isNew);

// The point the radial and distance fields are measured from (the application's radial reference
// point); unset, or a point that is not valid, leaves the two fields empty and disabled.
void SetWaypointReferenceSource(std::function<TaskPoint()> source);

INT_PTR WaypointDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);

}  // namespace cumulor
