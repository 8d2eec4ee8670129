#include "cumulor/map/layers/task_drag.h"

#include <cmath>
#include <cstdio>
#include <string>

#include "cumulor/app/ui/dialog_run.h"
#include "cumulor/data/aero/point_tables.h"
#include "cumulor/data/aero/tile_cache.h"
#include "cumulor/data/points/aero_tables.h"
#include "cumulor/data/points/point_db.h"
#include "cumulor/data/task/task_slots.h"
#include "cumulor/data/task/task_store.h"
#include "cumulor/data/waypoints/user_waypoint_remove.h"
#include "cumulor/data/waypoints/user_waypoint_store.h"
#include "cumulor/data/waypoints/waypoint_ui.h"
#include "cumulor/map/draw/map_palette.h"
#include "cumulor/map/layers/task_draw.h"
#include "cumulor/nav/geo/geodesy.h"
#include "platform/controls/controls.h"
#include "platform/dialogs/dialogs.h"
#include "platform/window/window.h"

namespace cumulor {
namespace {

struct DragState {
  std::int32_t index = -1;       // the dragged task row; -1 no drag
  TaskPoint kept;                // the task point as it was
  GeoPoint keptPosition;
  std::int32_t moving = 0;       // the user waypoint following the pen; 0 none
  GeoPoint movingStart;          // its position when the drag began
  bool coneCreated = false;
  POINT band[3] = {};
  int bandCount = 0;
  int movingSlot = 0;            // the band point of the moving waypoint
  bool bandDrawn = false;
  HDC dc = nullptr;
  int oldRop = R2_COPYPEN;
  HGDIOBJ oldPen = nullptr;
  HGDIOBJ oldBrush = nullptr;
  POINT lastPen{};
  bool circleDrawn = false;
};

DragState g_drag;
TaskDragHooks g_hooks;
std::int32_t g_coneEnabled = 0;
std::int32_t g_coneSerial = 0;

void SetDialogActive(bool on) {
  if (g_hooks.setDialogActive) g_hooks.setDialogActive(on);
}

void Redraw() {
  if (g_hooks.redraw) g_hooks.redraw();
}

POINT Screen(const GeoPoint& p) {
  POINT s{};
  if (g_hooks.view) MapWorldToScreen(*g_hooks.view, s, p);
  return s;
}

void DrawBand() {
  if (g_drag.dc && g_drag.bandCount >= 2) Polyline(g_drag.dc, g_drag.band, g_drag.bandCount);
}

void DrawCircle(POINT at) {
  if (g_drag.dc) Ellipse(g_drag.dc, at.x - 8, at.y - 8, at.x + 8, at.y + 8);
}

void DrawTexts() {
  if (!g_drag.dc) return;
  const TaskDrawState& s = TaskDrawing();
  char line[32];
  std::snprintf(line, sizeof line, "Task:%ukm", s.fai.length / 1000);
  const std::u16string text(line, line + std::char_traits<char>::length(line));
  RECT box = s.lengthRect;
  DrawTextW(g_drag.dc, text.c_str(), static_cast<int>(text.size()), &box, DT_LEFT | DT_TOP | DT_SINGLELINE);
  if (s.fai.isFai) {
    box = s.faiRect;
    DrawTextW(g_drag.dc, u"FAI", 3, &box, DT_LEFT | DT_TOP | DT_SINGLELINE);
  }
}

// Gives the window DC back with its raster mode and objects.
void ReleaseDragDc() {
  if (!g_drag.dc) return;
  SetROP2(g_drag.dc, g_drag.oldRop);
  if (g_drag.oldPen) SelectObject(g_drag.dc, g_drag.oldPen);
  if (g_drag.oldBrush) SelectObject(g_drag.dc, g_drag.oldBrush);
  ReleaseDC(g_hooks.window, g_drag.dc);
  g_drag.dc = nullptr;
  g_drag.oldPen = g_drag.oldBrush = nullptr;
}

bool InBox(const GeoPoint& p, std::int32_t west, std::int32_t north, std::int32_t east, std::int32_t south) {
  return p.lon >= west && p.lon <= east && p.lat >= south && p.lat <= north;
}

std::int32_t ClampTo(std::int64_t v, std::int32_t limit) {
  return static_cast<std::int32_t>(v < -limit ? -limit : (v > limit ? limit : v));
}

bool UsedByActiveTask(std::int32_t waypoint) {
  for (const TaskPoint& p : ActiveTask())
    if (p.kind == kPointUserWaypoint && p.index == waypoint) return true;
  return false;
}

// Takes the moving waypoint out of the store when it was made for this drag.
void RemoveCreatedCone() {
  if (!g_drag.coneCreated || g_drag.moving <= 0) return;
  RemoveUserWaypoint(g_drag.moving);
  g_drag.moving = 0;
}

// Puts the task point back as it was; an existing cone that was dragged goes back to its place.
void RestoreDraggedPoint() {
  DynArray<TaskPoint>& active = ActiveTask();
  UserWaypointTable& w = UserWaypoints();
  if (!g_drag.coneCreated && g_drag.moving > 0 && g_drag.moving < w.records.Size())
    w.records[g_drag.moving].position = g_drag.movingStart;
  if (g_drag.index >= 0 && g_drag.index < active.Size()) active[g_drag.index] = g_drag.kept;
  RemoveCreatedCone();
}

// The point a drag moves: an existing cone, or a new cone at the point's place.
void TaskDragBegin(std::int32_t i) {
  g_drag.moving = 0;
  g_drag.coneCreated = false;
  DynArray<TaskPoint>& active = ActiveTask();
  if (i < 0 || i >= active.Size()) return;
  g_drag.kept = active[i];
  g_drag.keptPosition = PointRefPosition(active[i]);
  UserWaypointTable& w = UserWaypoints();
  const TaskPoint& p = active[i];
  if (p.kind == kPointUserWaypoint && p.index > 0 && p.index < w.records.Size() &&
      (w.records[p.index].flags & kConeFlag)) {
    g_drag.moving = p.index;
  } else {
    EnsureUserWaypointPlaceholder();
    WaypointRecord cone;
    cone.position = g_drag.keptPosition;
    char code[16];
    std::snprintf(code, sizeof code, "UC_%d", ConeSerial());
    for (int k = 0; k < 5 && code[k]; ++k) cone.code[k] = code[k];
    ++ConeSerial();
    std::int32_t metres = -1000;
    if (!TerrainElevationAt(AeroTiles(), cone.position, metres)) metres = 5000;
    cone.elevation = static_cast<std::int16_t>(std::lround(metres * 3.2808));
    cone.zoomLimit = kMapWaypointZoom;
    cone.flags = kConeFlags;
    char name[32];
    std::snprintf(name, sizeof name, "ConeTP%d", i);
    while (w.names.Size() < w.records.Size()) w.names.Append(PointText{});
    while (w.countries.Size() < w.records.Size()) w.countries.Append(PointText{});
    if (w.records.Append(cone) != S_OK) return;
    PointText t;
    std::snprintf(t.text, sizeof t.text, "%s", name);
    w.names.Append(t);
    w.countries.Append(PointText{});
    g_drag.moving = w.records.Size() - 1;
    BuildPointIndexes(kPointUserWaypoint);
    AeroTiles().AddItemGetId(kTileUserWaypoints, cone.position, static_cast<std::uint32_t>(g_drag.moving));
    g_drag.coneCreated = true;
    TaskPoint moved;
    moved.kind = kPointUserWaypoint;
    moved.index = g_drag.moving;
    moved.lon = cone.position.lon;
    moved.lat = cone.position.lat;
    active[i] = moved;
  }
  g_drag.movingStart = w.records[g_drag.moving].position;
  // The rubber band: the point and its neighbours.
  g_drag.bandCount = 0;
  if (i == 0) {
    g_drag.movingSlot = 0;
    g_drag.band[g_drag.bandCount++] = Screen(PointRefPosition(active[0]));
    if (active.Size() > 1) g_drag.band[g_drag.bandCount++] = Screen(PointRefPosition(active[1]));
  } else {
    g_drag.movingSlot = 1;
    g_drag.band[g_drag.bandCount++] = Screen(PointRefPosition(active[i - 1]));
    g_drag.band[g_drag.bandCount++] = Screen(PointRefPosition(active[i]));
    if (i + 1 < active.Size()) g_drag.band[g_drag.bandCount++] = Screen(PointRefPosition(active[i + 1]));
  }
}

}  // namespace

void SetTaskDragHooks(const TaskDragHooks& hooks) { g_hooks = hooks; }

TaskDragOptions& DragOptions() {
  static TaskDragOptions options{&g_coneEnabled, &g_coneSerial, false};
  return options;
}

bool ConesEnabled() {
  const TaskDragOptions& o = DragOptions();
  return o.coneEnabled && *o.coneEnabled != 0;
}

std::int32_t& ConeSerial() {
  TaskDragOptions& o = DragOptions();
  return o.coneSerial ? *o.coneSerial : g_coneSerial;
}

bool TaskDragActive() { return g_drag.index >= 0 && g_drag.moving > 0; }

bool TaskDragStart(POINT at) {
  if (g_drag.index >= 0) return false;
  // The frame fills the labels and reads the stores under the main lock.
  MainLockHold hold;
  const std::vector<RECT>& labels = TaskDrawing().labels;
  std::int32_t found = -1;
  for (std::size_t i = 0; i < labels.size(); ++i) {
    const RECT& r = labels[i];
    if (r.right <= r.left || r.bottom <= r.top) continue;
    if (at.x >= r.left - 10 && at.x < r.right + 10 && at.y >= r.top - 5 && at.y < r.bottom + 5) {
      found = static_cast<std::int32_t>(i);
      break;
    }
  }
  if (found < 0) return false;
  SetDialogActive(true);
  g_drag.index = found;
  g_drag.dc = g_hooks.window ? GetDC(g_hooks.window) : nullptr;
  if (g_drag.dc) {
    g_drag.oldRop = SetROP2(g_drag.dc, R2_NOTXORPEN);
    g_drag.oldPen = SelectObject(g_drag.dc, MapPens().black[2]);
    g_drag.oldBrush = SelectObject(g_drag.dc, MapPens().hollow);
  }
  g_drag.bandCount = 0;
  g_drag.bandDrawn = false;
  g_drag.circleDrawn = false;
  TaskDragBegin(found);
  if (g_drag.moving <= 0) {
    // No point was taken (the label list is older than the task): undo the set-up.
    ReleaseDragDc();
    g_drag.index = -1;
    SetDialogActive(false);
    return false;
  }
  ComputeFaiSectors();
  return true;
}

bool TaskDragMove(POINT at) {
  if (!TaskDragActive()) return false;
  MainLockHold hold;
  UserWaypointTable& w = UserWaypoints();
  if (g_drag.moving >= w.records.Size()) return false;
  if (g_drag.circleDrawn) DrawCircle(g_drag.lastPen);
  DrawCircle(at);
  g_drag.circleDrawn = true;
  g_drag.lastPen = at;
  GeoPoint position;
  if (!g_hooks.view || !MapScreenToWorld(*g_hooks.view, position, at)) return true;
  w.records[g_drag.moving].position = position;
  DynArray<TaskPoint>& active = ActiveTask();
  if (g_drag.index < active.Size()) {
    active[g_drag.index].lon = position.lon;
    active[g_drag.index].lat = position.lat;
  }
  ComputeFaiSectors();
  if (g_drag.bandDrawn) DrawBand();  // drawn again, the old band goes
  g_drag.band[g_drag.movingSlot] = Screen(position);
  if (g_drag.dc) SelectObject(g_drag.dc, TaskDrawing().fai.isFai ? MapPens().green[2] : MapPens().black[2]);
  DrawBand();
  g_drag.bandDrawn = true;
  DrawTexts();
  return true;
}

void TaskDragEnd() {
  if (g_drag.index < 0) return;
  ReleaseDragDc();
  ShowCursor(TRUE);
  const bool created = g_drag.coneCreated;
  {
    MainLockHold hold;
    UserWaypointTable& w = UserWaypoints();
    DynArray<TaskPoint>& active = ActiveTask();
    if (g_drag.moving > 0 && g_drag.moving < w.records.Size()) {
      const GeoPoint dropped = w.records[g_drag.moving].position;
      if (FlatDistance(dropped, g_drag.keptPosition) < kTaskDragMinimum) {
        RestoreDraggedPoint();
      } else {
        TaskPoint near;
        if (FindPointNear(dropped, near)) {
          if (g_drag.index < active.Size()) active[g_drag.index] = near;
          if (g_drag.index == 0) {
            const DynArray<TaskPoint>& achieved = AchievedList();
            const GeoPoint origin = achieved.Empty() ? TaskOwnPosition() : PointRefPosition(achieved[0]);
            TaskSetNavigationTarget(near, origin, 0);
          }
          if ((w.records[g_drag.moving].flags & kConeFlag) && !UsedByActiveTask(g_drag.moving)) {
            RemoveUserWaypoint(g_drag.moving);
            g_drag.moving = 0;
          }
        } else if (DragOptions().alwaysSnap) {
          RestoreDraggedPoint();
        } else {
          // The point stays on the cone where it was dropped; the cone's tile follows it.
          AeroTiles().RemoveItem(kTileUserWaypoints, g_drag.movingStart, static_cast<std::uint32_t>(g_drag.moving));
          AeroTiles().AddItem(kTileUserWaypoints, dropped, static_cast<std::uint32_t>(g_drag.moving));
        }
        TaskPlaySound("MenuPop.wav");
      }
    }
    g_drag.index = -1;
    g_drag.moving = 0;
    g_drag.coneCreated = false;
    g_drag.bandDrawn = g_drag.circleDrawn = false;
    ComputeFaiSectors();
  }
  if (created) SaveUserWaypoints();
  SetDialogActive(false);
  Redraw();
}

bool FindPointNear(const GeoPoint& position, TaskPoint& out) {
  const std::int32_t west = ClampTo(static_cast<std::int64_t>(position.lon) - kSnapBox, kMapWorldLon);
  const std::int32_t east = ClampTo(static_cast<std::int64_t>(position.lon) + kSnapBox, kMapWorldLon);
  const std::int32_t north = ClampTo(static_cast<std::int64_t>(position.lat) + kSnapBox, kMapWorldLat);
  const std::int32_t south = ClampTo(static_cast<std::int64_t>(position.lat) - kSnapBox, kMapWorldLat);
  auto found = [&out](std::int32_t kind, std::int32_t index, const GeoPoint& at) {
    out = TaskPoint{};
    out.kind = kind;
    out.index = index;
    out.lon = at.lon;
    out.lat = at.lat;
    return true;
  };
  const AeroTables& t = AeroData();
  for (std::int32_t i = t.airports.Size() - 1; i >= 1; --i)
    if (InBox(t.airports[i].position, west, north, east, south))
      return found(kPointAirport, i, t.airports[i].position);
  const UserWaypointTable& w = UserWaypoints();
  for (std::int32_t i = w.records.Size() - 1; i >= 1; --i) {
    const WaypointRecord& r = w.records[i];
    if (r.flags & kConeFlag) continue;
    if (InBox(r.position, west, north, east, south)) return found(kPointUserWaypoint, i, r.position);
  }
  return false;
}

namespace {

constexpr int kConesOn = 1244;
constexpr int kConesOff = 1245;
constexpr int kSnapOn = 1246;
constexpr int kSnapOff = 1247;
constexpr int kCloseButton = 1355;

void Check(HWND dialog, int id, bool on) {
  SendMessageW(GetDlgItem(dialog, id), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
}

void ShowOptions(HWND dialog) {
  Check(dialog, kConesOn, ConesEnabled());
  Check(dialog, kConesOff, !ConesEnabled());
  Check(dialog, kSnapOn, DragOptions().alwaysSnap);
  Check(dialog, kSnapOff, !DragOptions().alwaysSnap);
}

}  // namespace

INT_PTR TaskDragDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG: ShowOptions(dialog); return TRUE;
    case WM_COMMAND:
      switch (LOWORD(wparam)) {
        case kConesOn:
        case kConesOff:
          if (std::int32_t* enabled = DragOptions().coneEnabled) *enabled = LOWORD(wparam) == kConesOn ? 1 : 0;
          ShowOptions(dialog);
          return TRUE;
        case kSnapOn:
        case kSnapOff:
          DragOptions().alwaysSnap = LOWORD(wparam) == kSnapOn;
          ShowOptions(dialog);
          return TRUE;
        case IDOK:
        case kCloseButton:
          PlayMenuClick();
          EndDialog(dialog, 1);
          return TRUE;
        case IDCANCEL: EndDialog(dialog, 0); return TRUE;
        default: return FALSE;
      }
    default: return FALSE;
  }
}

}  // namespace cumulor
