// The sector dialog (template 185): the three task rules (start, on task, finish) on three tabs,
// each with its type, width, gate bearing, altitude limit and, for the two-starts rule, its two
// start points. Closing recomputes the gates.
#pragma once

#include <functional>

#include "cumulor/data/task/task_point.h"
#include "platform/base/types.h"
#include "platform/window/window.h"

namespace cumulor {

inline constexpr int kSectorDialog = 185;

struct SectorDialogHooks {
  // Lets the pilot pick a point in the waypoint browser; false when none was picked.
  std::function<bool(TaskPoint& point)> choosePoint;
  bool largeScreen = false;
};
void SetSectorDialogHooks(const SectorDialogHooks& hooks);

// The tab shown at the next opening (0 start, 1 on task, 2 finish).
int& SectorDialogTab();

INT_PTR SectorDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);

}  // namespace cumulor
