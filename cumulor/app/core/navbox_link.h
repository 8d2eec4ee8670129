// Connects the navigation boxes to the application: the window services, the flags the boxes and
// their dialogs read and set, the "Start" and "Radial" buttons, the sources of their values, the
// box list command and the first activation.
#pragma once

#include "cumulor/app/app_context.h"

namespace cumulor {

// At start-up: the set the dialogs edit, the hooks and the value sources.
void InstallNavBoxHooks(AppContext& app);
// Command 40105: the box list (and the bar settings), then the links repaired and the map refreshed.
void RunNavBoxListCommand(AppContext& app);
// Once per run, at the first fix: titles from the language, the values, the activation.
void NavBoxFirstFix(AppContext& app);
// The "Start" box acts only while starting is allowed (set by the frame with box 21's text).
std::atomic<bool>& NavBoxStartAllowed();
// What the last pen message on the boxes asked for and that shows something to the user (the
// "Start" and "Radial" questions, the appearance dialog): the pen handling keeps it while it holds
// the main lock and runs it here, after letting go of the lock. Nothing when nothing is waiting.
void RunNavBoxTapAction();

}  // namespace cumulor
