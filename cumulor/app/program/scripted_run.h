// Scripted runs of the program for demonstrations and process tests, asked for through the
// environment:
//   $CE_SCREENSHOT_TIMES  fix times, "HH:MM:SS" separated by commas: the screen is saved once the
//                         newest fix has reached each of them (fix time of day, as the fix history
//                         holds it), into $CE_SCREENSHOT_DIR/fix-HHMMSS.png; in the simulator
//                         only while a replay runs, and only from its own fixes (simulated fixes
//                         carry the clock's time);
//   $CE_SCREENSHOT_DIR    the host folder of those files (default: the current folder).
//   $CE_REPLAY_SPEED      a replay speed chosen in the replay window as soon as it opens: "x1",
//                         "x10", "x100", "x1000" or "Manual" (the window's own list entries).
// WM_APP+0x3F0 (kSaveScreenMessage, 33776) sent to the main window saves the screen at once into
// $CE_SCREENSHOT_DIR/screen-<wParam>.png and answers 1 (0 when it could not be written).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cumulor/app/app_context.h"
#include "platform/base/types.h"
#include "platform/window/window.h"

namespace cumulor {

inline constexpr UINT kSaveScreenMessage = WM_APP + 0x3F0;

// The times of day (seconds) named by a "HH:MM:SS,HH:MM:SS" text, ascending; entries that are not
// times are skipped and reported in `bad`.
std::vector<std::uint32_t> ParseScreenshotTimes(const std::string& text, std::string* bad = nullptr);

// The replay window's list entry named by a $CE_REPLAY_SPEED text, or -1.
int ReplaySpeedEntry(const std::string& text);

// True when `fix` is one of the loaded flight's fixes already replayed (before its cursor): the
// same time of day and position.
bool IsReplayedFix(LoadedFlight& flight, const GpsFix& fix);

// Reads the variables and, on the UI thread once the start-up has run, wraps the main window so
// that it takes the screenshots and chooses the replay speed; does nothing when none is set.
void InstallScriptedRun(AppContext& app);

}  // namespace cumulor
