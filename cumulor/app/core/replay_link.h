// The recorded-flight request of the main window (WM_USER+50): "Playback" (1182) chooses an IGC
// file, loads it and starts its replay with the replay window; "Show" (1181) loads it and hands it
// to the optimisation's hook.
#pragma once

#include "cumulor/app/app_context.h"
#include "platform/base/types.h"

namespace cumulor {

inline constexpr WPARAM kFlightShow = 1181;
inline constexpr WPARAM kFlightPlayback = 1182;

// Steps for both: the own-file flag and the replay clock flag cleared, an open IGC file closed;
// the chooser "Select a flight" ("IGC-Format (*.igc)", "\My Documents"); the main window's title
// becomes the path; "Please Wait..."; the trail emptied; the flight loaded. Other commands and a
// cancelled chooser only refresh the map.
void OlcOptimizeCommand(AppContext& app, WPARAM command, LPARAM);
// The optimisation of a loaded flight ("Show"): called with the flight loaded; without a hook the
// loaded flight is only kept.
void SetShowFlightHook(void (*hook)(AppContext& app));

}  // namespace cumulor
