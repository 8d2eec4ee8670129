#include "cumulor/app/core/pen_links.h"

#include "cumulor/app/core/commands.h"
#include "cumulor/app/core/final_glide_box.h"
#include "cumulor/app/core/main_lock.h"
#include "cumulor/app/core/map_dialogs_link.h"
#include "cumulor/app/core/map_layers_link.h"
#include "cumulor/app/core/map_ops.h"
#include "cumulor/app/core/navbox_link.h"
#include "cumulor/app/ui/dialog_run.h"
#include "cumulor/data/aero/point_tables.h"
#include "cumulor/map/browser/waypoint_selection.h"
#include "cumulor/map/labels/label_list.h"
#include "cumulor/map/menus/menu_bar.h"
#include "cumulor/map/navbox_ui/nav_box_draw.h"
#include "cumulor/map/tap/map_tap.h"
#include "platform/gdi/gdi.h"
#include "platform/window/window.h"

namespace cumulor {

bool PenToMenuBar(AppContext& app, UINT message, POINT at) {
  return MenuHandleClick(app.menu, message, at.x, at.y, nullptr) != 0;
}

bool PenToNavBoxes(AppContext& app, UINT message, POINT at) {
  // The frame lays the boxes out and draws them under the main lock on the GPS notify thread: the
  // pen moves them under it too. What a tapped box opens (a question, a dialog) runs after.
  // Moves and releases concern the boxes only while one is dragged or tapped (set on this thread).
  const NavBoxSet& set = app.navBoxes;
  if (message == WM_MOUSEMOVE && set.dragged == 0) return false;
  if (message == WM_LBUTTONUP && set.dragged == 0 && set.tapped == 0) return false;
  bool used = false;
  {
    MainLockGuard guard(app);
    used = NavBoxSetOnPen(app.navBoxes, at.x, at.y, message);
  }
  RunNavBoxTapAction();
  return used;
}

void PenToPointPopup(AppContext&, POINT) {}

bool PenToTapMode(AppContext& app, POINT at) {
  if (!MapTap().armed) return false;
  GeoPoint world;
  POINT glider{};
  {
    // The frame moves the view and the aircraft's point on the notify thread under the main lock.
    MainLockGuard guard(app);
    MapScreenToWorld(app.map, world, at);
    glider = app.screen.gliderPoint;
  }
  MapTapAction(at, glider, world);
  return true;
}

void PenToTaskStatus(AppContext& app) { ShowTaskStatusDialog(app); }

void PenTaskTimeTexts(AppContext& app) {
  // The final-glide box over the map follows the area target while the pen moves it.
  if (!app.finalGlideOn || !app.mainWindow) return;
  HDC dc = GetDC(app.mainWindow);
  if (!dc) return;
  {
    MainLockGuard guard(app);
    RECT anchor = app.mapRect;
    anchor.top += app.screen.layout.titleHeight;
    UpdateTaskTimeTexts(app, dc, false, anchor);
  }
  ReleaseDC(app.mainWindow, dc);
}

std::int32_t PenToMapTapInfo(AppContext& app, POINT at) {
  // An airport or user waypoint under the pen opens the waypoint browser at its point page.
  EnterCriticalSection(&app.mainLock);  // the frame rebuilds the list on the notify thread
  const LabelEntry* label = LabelListHitTest(FrameLabels(), at);
  const bool point = label && (label->kind == kPointAirport || label->kind == kPointUserWaypoint);
  const TaskPoint target = point ? LabelEntryPoint(*label) : TaskPoint{};
  LeaveCriticalSection(&app.mainLock);
  if (!point) return 0;
  OpenWaypointBrowser(app, target);
  return 1;
}

void PenDirectionSearch(std::int32_t direction, std::uint32_t range) {
  // The lists of airports and user waypoints show the points in that direction.
  for (std::int32_t kind : {kPointAirport, kPointUserWaypoint}) SetSearchMode(PointTableOf(kind).search, direction, range);
  ClearGotoTarget(kBrowsePurposeGoto);
}

}  // namespace cumulor
