// Command 40090: the aeronautical database reloaded from the selected files and countries.
#pragma once

#include "cumulor/app/app_context.h"

namespace cumulor {

inline constexpr WORD kCmdReloadAviationData = 40090;

// argument 100 (or the command-line letter "x") forces the reload without the country chooser;
// until that chooser exists every reload takes the countries already selected.
void OnReloadAviationData(AppContext& app, LPARAM argument);

}  // namespace cumulor
