// Connects the on-screen menu to the main window: its commands run through the command handler,
// the "Menu" info box, the dialog flag, the map refresh, and the labels after a language load.
#pragma once

namespace cumulor {

void InstallMenuHooks();

}  // namespace cumulor
