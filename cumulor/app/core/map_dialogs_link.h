// Connects the map's settings dialogs to the application: the unit setters, the dialog over the
// map, the kept option words, and the templates the menu commands open.
#pragma once

#include "cumulor/app/app_context.h"

namespace cumulor {

void InstallMapDialogs(AppContext& app);

}  // namespace cumulor
