// Connects the map's settings dialogs to the application: the unit setters, the dialog over the
// map, the kept option words, and the templates the menu commands open.
#pragma once

#include "cumulor/app/app_context.h"
#include "cumulor/data/task/task_point.h"

namespace cumulor {

void InstallMapDialogs(AppContext& app);
// The task status dialog over the map (from the map's pen handling): the dialog-active flag and
// the click around its run, then "Please wait...", the map refreshed and centred on the last fix.
void ShowTaskStatusDialog(AppContext& app);
// The waypoint browser on a point: the point is the go-to candidate, the browser runs at its point
// page with the dialog-active flag set, then the map is re-centred and refreshed.
void OpenWaypointBrowser(AppContext& app, const TaskPoint& point);

}  // namespace cumulor
