// The small pop-ups of the task status: the ETA speed (template 147) and the task time and start
// time (148, reused). They change the task timing of the application record at once and post a
// refresh (WM_USER) to the dialog that opened them (their owner).
#pragma once

#include <cstdint>

#include "platform/base/types.h"

namespace cumulor {

struct AppContext;

inline constexpr int kEtaPopup = 147;
inline constexpr int kTimePopup = 148;

// Dialog 147: radio buttons 1260..1265 set the ETA mode 0..5; "+" and "-" step the manual speed.
inline constexpr int kIdEtaMc = 1260;
inline constexpr int kIdEtaNone = 1265;
inline constexpr int kIdEtaPlus = 1266;
inline constexpr int kIdEtaMinus = 1212;
// Dialog 148: "+" and "-" (15 minutes of task time, or 1 minute of start time), "No Limit".
inline constexpr int kIdTimePlus = 1266;
inline constexpr int kIdTimeMinus = 1212;
inline constexpr int kIdNoLimit = 1268;

inline constexpr std::int32_t kMaxTaskMinutes = 420;

// Moves the task time by `minutes` within 0..420; the span follows, and the end time (when a start
// time exists) or else the remaining seconds; the navigation boxes are refreshed.
void StepTaskTime(AppContext& app, std::int32_t minutes);
// Moves the task start by `seconds`; the end time follows.
void MoveTaskStart(AppContext& app, std::int32_t seconds);
// One display unit (km/h with the km/h task-speed unit, else mph) more or less of manual ETA
// speed, never below one unit; stored in m/s.
void StepManualEtaSpeed(AppContext& app, int sign);

INT_PTR EtaPopupProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
// lparam 0: task time; 1: start time.
INT_PTR TimePopupProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);

}  // namespace cumulor
