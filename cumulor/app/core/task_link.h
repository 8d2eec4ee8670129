// Connects the task module to the application: navigation target, own position, sounds, time
// estimate and magnetic variation of the application record.
#pragma once

namespace cumulor {

void InstallTaskHooks();

}  // namespace cumulor
