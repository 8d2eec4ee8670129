#include "cumulor/app/core/main_window.h"

#include "cumulor/app/core/airspace_link.h"

#include <cmath>
#include <mutex>

#include "cumulor/app/core/app_entry.h"
#include "cumulor/app/core/notices.h"
#include "cumulor/app/core/commands.h"
#include "cumulor/app/core/gps_update.h"
#include "cumulor/app/core/main_lock.h"
#include "cumulor/nav/dialogs/flight_stats_dialogs.h"
#include "cumulor/app/core/map_layers_link.h"
#include "cumulor/app/core/map_ops.h"
#include "cumulor/app/core/map_paint.h"
#include "cumulor/app/core/replay_link.h"
#include "cumulor/app/core/message_pump.h"
#include "cumulor/app/core/pen_input.h"
#include "cumulor/app/core/status_line.h"
#include "cumulor/app/ui/dialog_run.h"
#include "cumulor/app/ui/screen_layout.h"
#include "cumulor/data/points/point_db.h"
#include "cumulor/data/task/task_slots.h"
#include "cumulor/map/layers/trail_draw.h"
#include "cumulor/nav/dialogs/flarm_draw.h"
#include "cumulor/nav/geo/geodesy.h"
#include "platform/controls/commctrl.h"
#include "platform/display/virtual_keys.h"
#include "platform/gdi/gdi.h"
#include "platform/menus/menus.h"
#include "platform/time/time.h"

namespace cumulor {
namespace {

constexpr double kRadToDeg = 57.2957795131;
constexpr double kOneDegree = 0.01745329251994328;

void (*g_installHook)(AppContext&, LPARAM) = nullptr;

AppContext* App() { return AppRecord(); }

// Moves the area target with an arrow key; false when the key is no arrow key.
bool MoveAreaTarget(AppContext& app, std::uint32_t key) {
  if (key != VK_LEFT && key != VK_RIGHT && key != VK_UP && key != VK_DOWN) return false;
  DynArray<TaskPoint>& task = ActiveTask();
  TaskPoint* point = nullptr;
  for (TaskPoint& p : task) {
    if (p.kind == app.navTarget.kind && p.index == app.navTarget.index) {
      point = &p;
      break;
    }
  }
  if (!point) return true;  // not in the active task: the key is ignored
  // The area's centre is the referenced point; the task point's own position is the target in it.
  TaskPoint reference = *point;
  reference.maxRadius = 0;
  const GeoPoint centre = PointRefPosition(reference);
  const GeoPoint target{point->lon, point->lat};
  double bearing = 0;
  GeoBearing(bearing, centre, target);
  const std::int32_t radial = static_cast<std::int32_t>(bearing * kRadToDeg);
  const std::uint32_t distance = GeoDistance(centre, target);
  std::uint32_t newDistance = distance;
  if (key == VK_LEFT || key == VK_RIGHT) {
    std::int32_t next = key == VK_LEFT ? radial - 1 : radial + 1;
    if (next < 0) next = 359;
    if (next >= 360) next = 0;
    if (!RadialInRange(next, point->startRadial, point->endRadial)) return true;
    bearing += key == VK_LEFT ? -kOneDegree : kOneDegree;
  } else if (key == VK_UP) {
    const std::uint32_t out = distance + 1000;
    newDistance = point->maxRadius > 0 && out > static_cast<std::uint32_t>(point->maxRadius)
                      ? static_cast<std::uint32_t>(point->maxRadius)
                      : out;
  } else {
    const std::int64_t in = static_cast<std::int64_t>(distance) - 1000;
    newDistance = static_cast<std::uint32_t>(in < point->minRadius ? (point->minRadius > 0 ? point->minRadius : 0) : in);
  }
  GeoPoint moved;
  GeoDestination(centre.lon, centre.lat, newDistance, -bearing, moved);
  MainLockGuard lock(app);  // the frame reads the task and the target on the notify thread
  point->lon = moved.lon;
  point->lat = moved.lat;
  app.navTarget = *point;
  return true;
}

// False when the key came within 1500 ms of the last accepted one (it is ignored).
bool ZoomKey(AppContext& app, WPARAM command) {
  const DWORD now = GetTickCount();
  if (now - app.lastZoomKeyTick < 1500) return false;
  // A zoom command still waiting is taken out instead of queueing a second step; other commands
  // stay queued.
  if (DropQueuedCommand(app)) return true;
  app.lastZoomKeyTick = now;
  PostMessageW(app.mainWindow, WM_COMMAND, command, 0);
  return true;
}

void OnCreate(AppContext& app, HWND window) {
  InitCommonControls();
  SetForegroundWindow(window);
  app.mainWindow = window;
  RECT client{};
  GetClientRect(window, &client);
  app.mapRect = client;
  MapSetScreenRect(app.map, client);
  MenuLayout(app.menu, client);
  PostMessageW(window, WM_COMMAND, kCmdStartup, 0);
}

}  // namespace

bool RadialInRange(std::int32_t radial, std::int32_t start, std::int32_t end) {
  if (start == end) return true;
  if (end > start) return radial >= start && radial <= end;
  return (radial >= start && radial <= 360) || (radial >= 0 && radial <= end);
}

void SetDesktopInstallHook(void (*hook)(AppContext&, LPARAM)) { g_installHook = hook; }

void OnKeyDown(AppContext& app, std::uint32_t key, LPARAM) {
  const bool areaTarget = app.navTarget.maxRadius != 0;
  if (app.areaTargetEdit && areaTarget && MoveAreaTarget(app, key)) return;
  if (key == VK_RETURN && areaTarget && !IsLargeScreen()) {
    app.areaTargetEdit = app.areaTargetEdit ? 0 : 1;
    PlaySoundAsync(app.areaTargetEdit ? u"infbeg.wav" : u"infend.wav");
    RefreshMapWindow(app);
    CenterMapOnFix(app);
  }
  if ((key == VK_UP && !ZoomKey(app, kCmdZoomWider)) || (key == VK_DOWN && !ZoomKey(app, kCmdZoomCloser))) return;
  MenuCommand(app.menu, key);
}

void OnTimer(AppContext& app, UINT_PTR id) {
  if (id != kWatchdogTimer || app.recorderBusy) return;
  ShowStatusStringId(app, 23);
  GpsPortOpen(app.gps, app.portName, app.baudRate);
}

void OnMenuLoop(AppContext& app, UINT message) {
  if (message == WM_ENTERMENULOOP) {
    app.dialogActive = 1;
  } else {
    app.dialogActive = 0;
    app.menuClosed = 1;
  }
}

LRESULT OnDesktopMessage(AppContext& app, WPARAM code, LPARAM argument) {
  PlaySoundAsync(u"hwandsw.wav");
  PlaySoundAsync(u"Loudest.wav");
  if (code == kDesktopInstall) {
    app.simulatorSpeedZero = 1;
    {
      std::lock_guard lock(app.gps.dataLock);
      app.gps.publishedStatus.groundSpeedMs = 0;
      app.gps.publishedStatus.groundSpeedKn = 0;
    }
    EnterCriticalSection(&app.mainLock);
    if (g_installHook) g_installHook(app, argument);
    LeaveCriticalSection(&app.mainLock);
    RefreshMapWindow(app);
    return 0;
  }
  return code == kDesktopIdentify ? kDesktopIdentity : 0;
}

int GpsDataCallback(HRESULT status, const GpsStatus* fix) {
  if (AppContext* app = App()) OnGpsUpdate(*app, fix, status);
  return 1;
}

LRESULT MainWndProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  AppContext* app = App();
  if (!app) return DefWindowProcW(window, message, wparam, lparam);
  switch (message) {
    case WM_CREATE:
      if (OnMainWindowCreate(*app, window) < 0) return -1;
      OnCreate(*app, window);
      return 0;
    case WM_DESTROY:
      OnDestroy(*app);
      PostQuitMessage(0);
      return 0;
    case WM_MOVE: SaveWindowRects(window); return 0;
    case WM_SIZE: OnMainWindowSize(*app); return 0;
    case WM_ACTIVATE: OnMainWindowActivate(*app, wparam); return 0;
    case WM_PAINT: OnMainWindowPaint(*app, window); return 0;
    case WM_KEYDOWN: OnKeyDown(*app, static_cast<std::uint32_t>(wparam), lparam); return 0;
    case WM_COMMAND: OnCommand(*app, wparam, lparam); return 0;
    case WM_TIMER: OnTimer(*app, wparam); return 0;
    case WM_INITMENUPOPUP: OnMainWindowInitMenuPopup(*app, reinterpret_cast<HMENU>(wparam)); return 1;
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK: OnMouse(*app, message, wparam, lparam); return 0;
    case WM_ENTERMENULOOP:
    case WM_EXITMENULOOP: OnMenuLoop(*app, message); return 1;
    case kMsgOptimize:
      OlcOptimizeCommand(*app, wparam, lparam);
      return 0;
    case kMsgGpsUpdate:
      // The message may come from another process: its wParam is no pointer of ours, so the
      // handler reads the GPS input's own published status.
      return HandleGpsUpdate(*app, nullptr, static_cast<HRESULT>(lparam), false);
    case kMsgDesktop: return OnDesktopMessage(*app, wparam, lparam);
    case kMsgTransparentNotice: ShowTransparentAirspaceNotice(*app); return 0;
    case kMsgNotice: ShowNotice(*app, wparam); return 0;
    default: return DefWindowProcW(window, message, wparam, lparam);
  }
}

}  // namespace cumulor
