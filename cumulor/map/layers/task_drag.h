// Drag-and-drop task editing on the map: a task point taken by its label follows the pen as a
// temporary user waypoint (a cone); released, it snaps to an airport or user waypoint nearby,
// stays where it was dropped, or returns to its place. The rubber band is drawn straight onto the
// main window's DC in XOR mode. UI thread only.
#pragma once

#include <cstdint>
#include <functional>

#include "cumulor/app/base/geo_point.h"
#include "cumulor/data/task/task_point.h"
#include "cumulor/map/view/map_view.h"
#include "platform/gdi/gdi.h"

namespace cumulor {

inline constexpr int kTaskDragDialog = 191;
// Generated cones: name "ConeTP<row>", code "UC_<serial>" cut to 5 characters.
inline constexpr std::uint32_t kConeFlags = 0x104;
inline constexpr std::uint32_t kConeFlag = 0x4;
// A drop nearer than this to where the point was puts it back.
inline constexpr std::uint32_t kTaskDragMinimum = 4000;
// The half-size of the box searched for a point to snap to, GeoPoint units.
inline constexpr std::int32_t kSnapBox = 600;

// What the drag needs of the application; unset entries do nothing.
struct TaskDragHooks {
  MapView* view = nullptr;
  HWND window = nullptr;                         // the main window, whose DC the drag draws on
  std::function<void(bool active)> setDialogActive;
  std::function<void()> redraw;                  // the map window
};
void SetTaskDragHooks(const TaskDragHooks& hooks);

// The options of the drag: "Cones" (settings element "ConeEnabled"), "Always Snap to Turnpoint",
// and the cone counter ("ConeSerial"). The application may point the first and last at the values
// its settings document keeps.
struct TaskDragOptions {
  std::int32_t* coneEnabled = nullptr;
  std::int32_t* coneSerial = nullptr;
  bool alwaysSnap = false;
};
TaskDragOptions& DragOptions();
bool ConesEnabled();
std::int32_t& ConeSerial();

// True when the pen point is on a task point's label and the drag began; false (nothing changed)
// otherwise, also when the label list is older than the task.
bool TaskDragStart(POINT at);
// Moves the dragged point to the pen; false without a drag.
bool TaskDragMove(POINT at);
void TaskDragEnd();
// Whether a drag is under way (a point is taken).
bool TaskDragActive();

// An airport (searched first, from the last) or a user waypoint other than a cone inside the box
// of kSnapBox units about the position; `out` gets its kind and index, its position and no zone.
bool FindPointNear(const GeoPoint& position, TaskPoint& out);

// "Drag & Drop Task Edit" (template 191): "Cones" On 1244 / Off 1245, "Always Snap to Turnpoint"
// On 1246 / Off 1247, each taking effect at once.
INT_PTR TaskDragDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);

}  // namespace cumulor
