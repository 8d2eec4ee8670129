#include "cumulor/app/core/pen_links.h"

#include "cumulor/app/core/commands.h"
#include "cumulor/app/core/map_dialogs_link.h"
#include "cumulor/app/core/map_layers_link.h"
#include "cumulor/app/core/map_ops.h"
#include "cumulor/app/ui/dialog_run.h"
#include "cumulor/data/aero/point_tables.h"
#include "cumulor/map/browser/waypoint_selection.h"
#include "cumulor/map/labels/label_list.h"
#include "cumulor/map/menus/menu_bar.h"
#include "cumulor/map/tap/map_tap.h"

namespace cumulor {

namespace {

constexpr int kTaskStatusDialog = 146;

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

bool PenToTapMode(AppContext& app, POINT at) {
  if (!MapTap().armed) return false;
  GeoPoint world;
  EnterCriticalSection(&app.mainLock);
  MapScreenToWorld(app.map, world, at);
  LeaveCriticalSection(&app.mainLock);
  MapTapAction(at, app.screen.gliderPoint, world);
  return true;
}

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
  const LabelEntry* label = LabelListHitTest(FrameLabels(), at);
  if (!label || (label->kind != kPointAirport && label->kind != kPointUserWaypoint)) return 0;
  OpenWaypointBrowser(app, LabelEntryPoint(*label));
  return 1;
}

void PenDirectionSearch(std::int32_t direction, std::uint32_t range) {
  // The lists of airports and user waypoints show the points in that direction.
  for (std::int32_t kind : {kPointAirport, kPointUserWaypoint}) SetSearchMode(PointTableOf(kind).search, direction, range);
  ClearGotoTarget(kBrowsePurposeGoto);
}

}  // namespace cumulor
