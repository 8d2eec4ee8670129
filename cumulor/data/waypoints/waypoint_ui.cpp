#include "cumulor/data/waypoints/waypoint_ui.h"

namespace cumulor {

WaypointUi& WaypointUiInstalled() {
  static WaypointUi ui;
  return ui;
}

void WaypointMessage(const std::u16string& text) {
  if (WaypointUiInstalled().message) WaypointUiInstalled().message(text);
}

bool WaypointAsk(const std::u16string& text) {
  return WaypointUiInstalled().askOkCancel ? WaypointUiInstalled().askOkCancel(text) : false;
}

void WaypointStatus(const std::u16string& text) {
  if (WaypointUiInstalled().status) WaypointUiInstalled().status(text);
}

void WaypointWait(DWORD milliseconds) {
  if (WaypointUiInstalled().pumpWait) WaypointUiInstalled().pumpWait(milliseconds);
}

void WaypointSelectTarget() {
  if (WaypointUiInstalled().selectTargetPoint) WaypointUiInstalled().selectTargetPoint();
}

void WaypointClearStatus() {
  if (WaypointUiInstalled().clearStatus) WaypointUiInstalled().clearStatus();
}

TaskPoint WaypointNavigationTarget() {
  return WaypointUiInstalled().navigationTarget ? WaypointUiInstalled().navigationTarget() : TaskPoint{};
}

void WaypointClearNavigationTarget() {
  if (WaypointUiInstalled().clearNavigationTarget) WaypointUiInstalled().clearNavigationTarget();
}

MainLockHold::MainLockHold() {
  if (WaypointUiInstalled().lockMain) WaypointUiInstalled().lockMain();
}

MainLockHold::~MainLockHold() {
  if (WaypointUiInstalled().unlockMain) WaypointUiInstalled().unlockMain();
}

}  // namespace cumulor
