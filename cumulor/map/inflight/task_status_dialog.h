// The task status dialog (template 146): speed, distance to go, finish and start of the task, the
// ETA, task-time and start-time pop-ups, and the MacCready slider along its right edge.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/base/types.h"

namespace cumulor {

struct AppContext;

inline constexpr int kTaskStatusDialog = 146;
inline constexpr int kIdTaskAction = 1001;     // "START", "Un-GoTo" or "Reset Task"
inline constexpr int kIdFinishGround = 1244;
inline constexpr int kIdFinishStartMinus1000 = 1245;
inline constexpr int kIdStartTime = 1269;
inline constexpr int kIdStartAltitude = 1270;
inline constexpr int kIdFinishLimit = 1387;
inline constexpr int kIdToGo = 1258;
inline constexpr int kIdEta = 1259;
inline constexpr int kIdTaskTime = 1212;
inline constexpr int kIdEtaMode = 1211;
inline constexpr int kIdFinishGroup = 1443;

// The MacCready slider: a bar of 40 steps between `top` and `bottom` (trimmed to whole steps).
struct McSlider {
  RECT bar{};
  std::int32_t step = 1;   // pixels a step
};
inline constexpr int kMcSteps = 40;
// The bar for a client rectangle: from 60 (100 on a large screen) to 5 pixels left of the right
// edge, from 60 below the top to 60 above the bottom.
McSlider McSliderLayout(const RECT& client, bool largeScreen);
// The MacCready value (0..4 m/s) of a knob position, snapped to a step and kept within the bar.
double McSliderValue(const McSlider& slider, std::int32_t y);
// The knob position of a value.
std::int32_t McSliderKnob(const McSlider& slider, double value);

// What the dialog needs of the application core; unset functions do nothing.
struct TaskStatusHooks {
  std::function<void(float)> setMacCready;
  std::function<void(HDC, const RECT&)> drawTaskTimes;   // the task and time texts
};
void SetTaskStatusHooks(TaskStatusHooks hooks);

INT_PTR TaskStatusDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);

}  // namespace cumulor
