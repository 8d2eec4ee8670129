// The window side of the replay, the flight logger and FLARM: the replay window (template 135,
// modeless), "Cumulor Logger" (134), "Evaluate IGC flight log" (186), the FLARM dialog (208), and
// the handler of WM_USER+50 that loads a recorded flight to replay ("Playback") or to show.
#pragma once

#include "platform/base/types.h"

namespace cumulor {

inline constexpr int kReplayWindowTemplate = 135;
inline constexpr int kLoggerDialogTemplate = 134;
inline constexpr int kEvaluateFlightTemplate = 186;
inline constexpr int kFlarmDialogTemplate = 208;

// Replay window: speed list, "Go", "End" (IDCANCEL).
inline constexpr int kIdReplaySpeed = 1185;
inline constexpr int kIdReplayGo = 1001;
// Logger dialog.
inline constexpr int kIdLoggerPilot = 1138;        // .. 1142: pilot, registration, type, class, id
inline constexpr int kIdLoggerRecord = 1180;
inline constexpr int kIdLoggerSecurity = 1101;
inline constexpr int kIdLoggerTimeZone = 1187;
inline constexpr int kIdLoggerFixRate = 1412;
inline constexpr int kIdLoggerShow = 1181;
inline constexpr int kIdLoggerPlayback = 1182;
inline constexpr int kIdCloseIcon = 1355;
// Evaluate dialog.
inline constexpr int kIdEvaluateSelect = 1000;
// FLARM dialog: voices 1000..1009, demonstration 1010, heading 1442.
inline constexpr int kIdFlarmVoiceFirst = 1000;
inline constexpr int kIdFlarmDemo = 1010;
inline constexpr int kIdFlarmHeading = 1442;

INT_PTR ReplaySpeedDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
INT_PTR LoggerDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
INT_PTR EvaluateFlightDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
INT_PTR FlarmDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);

// The open-file chooser "Select IGC file" ("IGC-Format (*.igc)"); 1 when a path was chosen whose
// file attributes can be read (the path in `path`, 260 characters), else 0.
int SelectIgcFile(WCHAR* path, HWND owner);

}  // namespace cumulor
