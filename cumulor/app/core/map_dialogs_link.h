// Connects the map's settings dialogs to the application: the unit setters, the dialog over the
// map, the kept option words, and the templates the menu commands open.
#pragma once

#include "cumulor/app/app_context.h"

namespace cumulor {

void InstallMapDialogs(AppContext& app);
// The task status dialog over the map (from the map's pen handling): the dialog-active flag and
// the click around its run, then "Please wait...", the map refreshed and centred on the last fix.
void ShowTaskStatusDialog(AppContext& app);

}  // namespace cumulor
