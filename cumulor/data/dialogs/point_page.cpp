#include "cumulor/data/dialogs/point_page.h"

#include <string>

#include "cumulor/app/ui/dialog_run.h"
#include "cumulor/data/dialogs/point_icons.h"
#include "cumulor/data/dialogs/waypoint_action_menu.h"
#include "cumulor/data/points/point_db.h"
#include "cumulor/data/task/task_ops.h"
#include "cumulor/data/task/task_slots.h"
#include "cumulor/data/task/task_store.h"
#include "cumulor/map/browser/waypoint_actions.h"
#include "cumulor/map/browser/waypoint_selection.h"
#include "platform/controls/controls.h"
#include "platform/dialogs/dialogs.h"
#include "platform/gdi/gdi.h"
#include "platform/menus/menus.h"
#include "platform/text/format.h"

namespace cumulor {

namespace {

constexpr int kIconX = 2;
constexpr int kIconY = 2;
// The header (codes and button) and the map below the information list, in dialog units.
constexpr RECT kHeaderUnits{0, 0, 156, 28};
constexpr RECT kMapUnits{2, 94, 154, 148};
// The simulator's glider is put 15 units north and 3 west of the point.
constexpr std::int32_t kJumpNorth = 15;
constexpr std::int32_t kJumpWest = 3;

RECT Pixels(HWND page, RECT units) {
  MapDialogRect(page, &units);
  return units;
}

bool Selected(TaskPoint& point) {
  return GetGotoTarget(point) && PointRefIsValid(PointRef{point.kind, point.index});
}

void ShowPoint(HWND page) {
  HWND list = GetDlgItem(page, kIdPointInfo);
  SendMessageW(list, LB_RESETCONTENT, 0, 0);
  TaskPoint point;
  if (!Selected(point)) {
    SetDlgItemTextW(page, kIdTargetCode, u"");
    SetDlgItemTextW(page, kIdTargetName, u"");
    SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(u"Select an item before entering this page."));
    return;
  }
  ShowGotoTargetCaption(page);
  const PointPageHooks& hooks = PointPageHooksInstalled();
  const PointInfoEnv env = hooks.infoEnv ? hooks.infoEnv() : PointInfoEnv{};
  for (const std::u16string& line : PointInfoLines(PointRef{point.kind, point.index}, env))
    SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
}

void OnPaint(HWND page) {
  PAINTSTRUCT ps{};
  HDC dc = BeginPaint(page, &ps);
  TaskPoint point;
  if (dc != nullptr && Selected(point)) {
    DrawPointIcon(dc, PointKindImage(point.kind), kIconX, kIconY);
    RECT map = Pixels(page, kMapUnits);
    if (PointPageHooksInstalled().drawMap) PointPageHooksInstalled().drawMap(dc, map, PointRefPosition(point));
    DrawEdge(dc, &map, EDGE_SUNKEN, BF_RECT);
  }
  EndPaint(page, &ps);
}

void JumpTo(const TaskPoint& point) {
  const GeoPoint at = PointRefPosition(point);
  JumpPoint() = point;
  if (PointPageHooksInstalled().setReferencePosition)
    PointPageHooksInstalled().setReferencePosition(GeoPoint{at.lon - kJumpWest, at.lat + kJumpNorth});
}

void CloseBrowser(HWND page) { PostMessageW(GetParent(page), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0); }

void ActionMenu(HWND page) {
  TaskPoint point;
  if (!Selected(point)) {
    PlaySoundAsync(u"Splat.wav");
    return;
  }
  const PointRef ref{point.kind, point.index};
  const TaskPoint& direct = DirectTarget();
  const bool isDirect = direct.kind == point.kind && direct.index == point.index;
  const bool simulator = PointPageHooksInstalled().simulator && PointPageHooksInstalled().simulator();
  struct Entry {
    UINT id;
    const WCHAR* text;
    bool offered;
  } const entries[] = {
      {kCmdPointFlyDirect, u"FLY DIRECT TO", !isDirect},  {kCmdPointUnGoto, u"UN-GOTO", isDirect},
      {kCmdPointJump, u"JUMP TO", simulator},             {kCmdPointAddToTask, u"ADD TO TASK", true},
      {kCmdPointSetHome, u"SET HOME AIRPORT", PointIsLandable(ref)},
  };
  HMENU menu = CreatePopupMenu();
  if (menu == nullptr) return;
  for (const Entry& e : entries)
    if (e.offered) AppendMenuW(menu, MF_STRING, e.id, e.text);
  RECT r{};
  GetWindowRect(GetDlgItem(page, kIdPointAction), &r);
  const UINT command = static_cast<UINT>(TrackPopupMenuEx(menu, TPM_RIGHTALIGN | TPM_TOPALIGN | TPM_RETURNCMD, r.right, r.bottom, page, nullptr));
  DestroyMenu(menu);
  switch (command) {
    case kCmdPointFlyDirect:
      GotoPoint(point);
      CloseBrowser(page);
      break;
    case kCmdPointUnGoto: GotoFirstTaskPoint(); break;
    case kCmdPointJump:
      JumpTo(point);
      CloseBrowser(page);
      break;
    case kCmdPointAddToTask: WaypointActionMenu(&point, page); break;
    case kCmdPointSetHome:
      SetSelectedPoint(point);
      JumpTo(point);
      {
        TaskListsGuard guard;
        if (ActiveTask().Empty()) TaskSetNavigationTarget(HomePoint(), TaskOwnPosition(), 0);
      }
      CloseBrowser(page);
      break;
    default: break;
  }
}

// A tap on the header shows or hides the information list.
void OnTap(HWND page, LPARAM at) {
  const RECT header = Pixels(page, kHeaderUnits);
  const POINT p{static_cast<short>(LOWORD(at)), static_cast<short>(HIWORD(at))};
  if (p.y < header.top || p.y >= header.bottom) return;
  HWND list = GetDlgItem(page, kIdPointInfo);
  const bool shown = (GetWindowLongW(list, GWL_STYLE) & WS_VISIBLE) != 0;
  ShowWindow(list, shown ? SW_HIDE : SW_SHOW);
}

}  // namespace

PointPageHooks& PointPageHooksInstalled() {
  static PointPageHooks hooks;
  return hooks;
}

TaskPoint& JumpPoint() {
  static TaskPoint point;
  return point;
}

INT_PTR PointPageProc(HWND page, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_INITDIALOG: ShowPoint(page); return TRUE;
    case WM_SHOWWINDOW:
      if (wparam) ShowPoint(page);
      return FALSE;
    case WM_COMMAND:
      if (LOWORD(wparam) == kIdPointAction) {
        ActionMenu(page);
        return TRUE;
      }
      return FALSE;
    case WM_LBUTTONDOWN: OnTap(page, lparam); return TRUE;
    case WM_KEYDOWN:
      if (IsAppKey(wparam)) {
        CloseBrowser(page);
        return TRUE;
      }
      return FALSE;
    case WM_PAINT: OnPaint(page); return TRUE;
    default: return FALSE;
  }
}

}  // namespace cumulor
