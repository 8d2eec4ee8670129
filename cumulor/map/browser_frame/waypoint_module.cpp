#include "cumulor/map/browser_frame/waypoint_module.h"

#include "cumulor/app/ui/screen_layout.h"
#include "cumulor/data/aero/point_tables.h"
#include "cumulor/data/task/task_columns.h"
#include "cumulor/data/task/task_legs.h"
#include "cumulor/data/task/task_slots.h"
#include "cumulor/map/browser_frame/point_list_page.h"

namespace cumulor {

void InitWaypointModule() {
  RefreshColumns();
  ResetPointListSort();
  TaskPageSlot() = kActiveTaskSlot;
}

void ShutdownWaypointModule() { FreePointTables(); }

void RefreshColumns() {
  if (IsLargeScreen()) SetHighResolutionColumnWidths();
}

}  // namespace cumulor
