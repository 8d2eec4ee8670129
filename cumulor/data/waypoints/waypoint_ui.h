// What the waypoint and task file code shows and asks: the own message box, the OK/Cancel
// question, the status line, a message-pumping wait, the main lock and the choice of a navigation
// target. The application core fills these; tests record them. Unset entries do nothing (a
// question without an answerer is declined).
#pragma once

#include <functional>
#include <string>

#include "cumulor/data/task/task_point.h"
#include "platform/base/types.h"

namespace cumulor {

struct WaypointUi {
  std::function<void(const std::u16string&)> message;
  std::function<bool(const std::u16string&)> askOkCancel;
  std::function<void(const std::u16string&)> status;
  std::function<void(DWORD milliseconds)> pumpWait;
  std::function<void()> lockMain;
  std::function<void()> unlockMain;
  // Chooses a navigation target when the current one is not a valid point.
  std::function<void()> selectTargetPoint;
  // Ends a status-line message (not forced).
  std::function<void()> clearStatus;
  // The navigation target, and clearing its reference, radii and radials.
  std::function<TaskPoint()> navigationTarget;
  std::function<void()> clearNavigationTarget;
};

WaypointUi& WaypointUiInstalled();

void WaypointMessage(const std::u16string& text);
bool WaypointAsk(const std::u16string& text);
void WaypointStatus(const std::u16string& text);
void WaypointWait(DWORD milliseconds);
void WaypointSelectTarget();
void WaypointClearStatus();
// The navigation target (kind 0 without an answerer).
TaskPoint WaypointNavigationTarget();
void WaypointClearNavigationTarget();

// Holds the main lock for its lifetime.
class MainLockHold {
 public:
  MainLockHold();
  ~MainLockHold();
  MainLockHold(const MainLockHold&) = delete;
  MainLockHold& operator=(const MainLockHold&) = delete;
};

}  // namespace cumulor
