// Connects the team grid to the application: the map position its codes are taken from, the move
// of the map to a team mark, the team-mark commands and the team set-up.
#pragma once

#include <cstdint>

#include "cumulor/app/app_context.h"

namespace cumulor {

void InstallTeamHooks();
// Commands 40149..40151: the code entry of a mark in use; for a free mark the warning sound and
// the team set-up (command 40059 posted).
void TeamMarkCommandFor(AppContext& app, std::int32_t slot);
// Command 40059: the team set-up, with the dialog flag set while it runs.
void RunTeamSetup(AppContext& app);

}  // namespace cumulor
