// What the waypoint lists select: the go-to target (the point tapped in a list, with the purpose
// the lists were opened for), the selected point (the home airport), a point's code text and
// whether a point can be landed on. Used by the lists and by the task pages beside them; all on
// the UI thread.
#pragma once

#include <cstdint>
#include <functional>

#include "cumulor/data/points/point_db.h"
#include "cumulor/data/task/task_point.h"

namespace cumulor {

// Purposes of the lists: 0 browsing, 1 go-to, 2 and 4 choosing a point for another dialog.
inline constexpr std::int32_t kBrowsePurposeNone = 0;
inline constexpr std::int32_t kBrowsePurposeGoto = 1;
inline constexpr std::int32_t kBrowsePurposePick = 2;
inline constexpr std::int32_t kBrowsePurposeSelect = 4;

// The point of that kind and index as a task point at its record's position (no zone).
TaskPoint PointAtRecord(std::int32_t kind, std::int32_t index);

// Stores kind, index and position of the point (the zone words 0) and marks the target valid.
void SetGotoTarget(const TaskPoint& point);
// Zeroes the target and its valid flag.
void InvalidateGotoTarget();
// Zeroes the target and stores the purpose the lists are opened for.
void ClearGotoTarget(std::int32_t purpose);
// Copies the target out; true when it is valid.
bool GetGotoTarget(TaskPoint& out);
bool GotoTargetValid();
std::int32_t GotoTargetPurpose();
// Hands the go-to target to `fix` (a renumbering after a user waypoint was removed); a target
// that `fix` clears is no longer valid.
void FixGotoTargetReference(const std::function<void(TaskPoint&)>& fix);
// Back to browsing when the lists close; the target itself stays.
void EndGotoTargetPurpose();

// The settings' "BrowserCategory": with 1 to 3 the selected point is remembered for that category.
void SetBrowserCategory(std::int32_t category);
// The selected point is the home airport: stored as HomePoint with its record's position; with a
// browser category of 1 to 3 an airport's code is remembered for RestoreGotoTarget.
void SetSelectedPoint(const TaskPoint& point);
// After the aeronautical data or the data files were reloaded: a remembered airport is found again
// by its code (the selected point stays when it still has that code; no match leaves it);
// without one, an invalid selected point becomes airport 1 when there is one.
void RestoreGotoTarget();

// Airports always; user waypoints flagged airport (0x2) or landable (0x8) and not 0x400.
bool PointIsLandable(const PointRef& ref);
// The point's code: a user waypoint's record code, an airport's or intersection's code; "" for
// points without one and invalid references.
const char* PointCodeText(const PointRef& ref);

}  // namespace cumulor
