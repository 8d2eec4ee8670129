#include "cumulor/app/core/pen_links.h"

#include "cumulor/app/core/commands.h"
#include "cumulor/app/core/map_layers_link.h"
#include "cumulor/app/core/map_ops.h"
#include "cumulor/app/ui/dialog_run.h"
#include "cumulor/map/browser/waypoint_selection.h"
#include "cumulor/map/browser_frame/waypoint_browser.h"
#include "cumulor/map/labels/label_list.h"
#include "cumulor/map/menus/menu_bar.h"

namespace cumulor {

namespace {

constexpr int kTaskStatusDialog = 146;
constexpr LPARAM kBrowserPointPage = 2;

}  // namespace

bool PenToMenuBar(AppContext& app, UINT message, POINT) {
  // The menu bar has no buttons of its own yet: a tap while its page is open closes the page.
  if (!app.menu.open) return false;
  if (message == WM_LBUTTONDOWN) {
    MenuClose(app.menu);
    RefreshMapWindow(app);
  }
  return true;
}

bool PenToNavBoxes(AppContext&, UINT, POINT) { return false; }

void PenToPointPopup(AppContext&, POINT) {}

bool PenToTapMode(AppContext&, POINT) { return false; }

void PenToTaskStatus(AppContext& app) {
  const DLGPROC procedure = DialogProcedure(kTaskStatusDialog);
  if (!procedure) return;
  app.dialogActive = 1;
  RunDialog(kTaskStatusDialog, app.mainWindow, procedure, 0);
  app.dialogActive = 0;
  RefreshMapWindow(app);
}

void PenTaskTimeTexts(AppContext&) {}

std::int32_t PenToMapTapInfo(AppContext& app, POINT at) {
  // An airport or user waypoint under the pen opens the waypoint browser at its point page.
  EnterCriticalSection(&app.mainLock);  // the frame rebuilds the list on the notify thread
  const LabelEntry* label = LabelListHitTest(FrameLabels(), at);
  const bool point = label && (label->kind == kPointAirport || label->kind == kPointUserWaypoint);
  const TaskPoint target = point ? LabelEntryPoint(*label) : TaskPoint{};
  LeaveCriticalSection(&app.mainLock);
  if (!point) return 0;
  const DLGPROC procedure = DialogProcedure(kWaypointBrowser);
  if (!procedure) return 0;
  SetGotoTarget(target);
  app.dialogActive = 1;
  RunDialog(kWaypointBrowser, app.mainWindow, procedure, kBrowserPointPage);
  MapSetView(app.map, app.mapCentre.lon, app.mapCentre.lat, app.mapRotation);
  UpdateOwnPosition(app, app.map.view, false);
  app.dialogActive = 0;
  app.redrawRestart = 1;
  RefreshMapWindow(app);
  return 1;
}

PenSearchRequest& PenSearch() {
  static PenSearchRequest request;
  return request;
}

void PenDirectionSearch(std::int32_t direction, std::uint32_t range) {
  PenSearchRequest& s = PenSearch();
  s.direction = direction;
  s.range = range;
  s.pending = 1;
  ClearGotoTarget(kBrowsePurposeGoto);
}

}  // namespace cumulor
