#include "cumulor/app/core/task_link.h"

#include "cumulor/app/app_context.h"
#include "cumulor/app/base/number_text.h"
#include "cumulor/app/core/map_ops.h"
#include "cumulor/app/core/commands.h"
#include "cumulor/app/core/main_lock.h"
#include "cumulor/app/core/main_window.h"
#include "cumulor/app/core/map_paint.h"
#include "cumulor/app/core/message_pump.h"
#include "cumulor/app/core/status_line.h"
#include "cumulor/app/core/target_select.h"
#include "cumulor/app/ui/dialog_run.h"
#include "cumulor/app/ui/own_dialogs.h"
#include "cumulor/app/ui/screen_layout.h"
#include "cumulor/data/dialogs/point_page.h"
#include "cumulor/data/dialogs/quick_task_dialog.h"
#include "cumulor/data/dialogs/sector_dialog.h"
#include "cumulor/data/sync/desktop_sync.h"
#include "cumulor/data/task/task_store.h"
#include "cumulor/data/waypoints/waypoint_ui.h"
#include "cumulor/map/browser/waypoint_selection.h"
#include "cumulor/map/browser_frame/waypoint_browser.h"
#include "cumulor/nav/gps/gps_port.h"
#include "cumulor/nav/igc/igc_text.h"

namespace cumulor {

namespace {

void NavigationTarget(const TaskPoint& target, const GeoPoint& origin, std::uint8_t flag) {
  TargetOrigin() = origin;
  if (AppContext* app = AppRecord()) SetNavigationTarget(*app, target, &origin, flag);
}

GeoPoint OwnPosition() {
  AppContext* app = AppRecord();
  return app != nullptr ? GetGpsStatus(app->gps).position : GeoPoint{};
}

void Sound(const char* file) {
  WCHAR wide[64];
  int i = 0;
  for (; file[i] != '\0' && i < 63; ++i) wide[i] = static_cast<WCHAR>(static_cast<unsigned char>(file[i]));
  wide[i] = 0;
  PlaySoundAsync(wide);
}

int Eta(std::int64_t& time, std::uint32_t distance, double course) {
  AppContext* app = AppRecord();
  if (app == nullptr) {
    time = 0;
    return 0;
  }
  // The task and point pages compute their legs on the UI thread while the frame on the notify
  // thread sets the speed the times are flown at.
  MainLockGuard guard(*app);
  return EtaCompute(*app, time, distance, course);
}

// The on-task zone the map draws around the points.
void ZoneRadius(std::int32_t distance, std::int32_t radius) {
  AppContext* app = AppRecord();
  if (app == nullptr) return;
  MainLockGuard guard(*app);  // the frame draws the ring on the notify thread
  MapProjectDistance(app->map, distance, radius);
}

void ResetStatistics() {
  if (AppContext* app = AppRecord()) ResetStatsRecord(app->stats);
}

// The sector dialog's start points: the point list opened to pick one; the pick is cleared after.
bool ChooseSectorPoint(TaskPoint& point) {
  AppContext* app = AppRecord();
  if (app == nullptr || app->mainWindow == nullptr) return false;
  ClearGotoTarget(kBrowsePurposePick);
  // The point list ends with the map's dialog flag cleared; the sector dialog is still open.
  const std::int32_t active = app->dialogActive.load();
  SendMessageW(app->mainWindow, WM_COMMAND, 40102, 0);
  app->dialogActive = active;
  const bool chosen = GetGotoTarget(point);
  InvalidateGotoTarget();
  return chosen;
}

std::int32_t Variation() {
  AppContext* app = AppRecord();
  return app != nullptr ? GetGpsStatus(app->gps).variation : 0;
}

// The point page's information texts in the application's units.
PointInfoEnv PointInfoUnits() {
  PointInfoEnv env;
  if (AppContext* app = AppRecord()) {
    env.altitudeFeet = app->altitudeUnit == kUnitFeet;
    env.distanceKm = app->distanceUnit == kUnitKilometres;
    env.climbKnots = app->climbUnit == 4;
    env.altitudeUnit = app->altitudeUnitText;
  }
  env.positionText = [](const GeoPoint& position) {
    WCHAR text[40] = {};
    return std::u16string(FormatPosition(position, text));
  };
  env.flagLetters = [](std::uint32_t flags) {
    WCHAR letters[16] = {};
    WaypointFlagLetters(flags, letters);
    std::string text;
    for (const WCHAR* p = letters; *p != 0; ++p) text += static_cast<char>(*p);
    return text;
  };
  return env;
}

// The desktop request: the synchronisation with the request's flags (inside the main lock).
void DesktopInstall(AppContext&, LPARAM argument) { SynchronizeFiles(static_cast<std::uint32_t>(argument)); }

void InstallWaypointHooks() {
  WaypointUi& ui = WaypointUiInstalled();
  ui.message = [](const std::u16string& text) { MessageBoxOk(text.c_str()); };
  ui.askOkCancel = [](const std::u16string& text) { return MessageBoxOkCancel(text.c_str()); };
  ui.status = [](const std::u16string& text) {
    if (AppContext* app = AppRecord()) ShowStatusText(*app, text.c_str());
  };
  ui.pumpWait = [](DWORD ms) { PumpMessagesWait(nullptr, ms); };
  ui.lockMain = [] {
    if (AppContext* app = AppRecord()) EnterCriticalSection(&app->mainLock);
  };
  ui.unlockMain = [] {
    if (AppContext* app = AppRecord()) LeaveCriticalSection(&app->mainLock);
  };
  ui.clearStatus = [] {
    if (AppContext* app = AppRecord()) ClearStatusText(*app, false);
  };
  ui.navigationTarget = [] {
    AppContext* app = AppRecord();
    return app != nullptr ? app->navTarget : TaskPoint{};
  };
  ui.selectTargetPoint = [] {
    if (AppContext* app = AppRecord()) SelectTargetPoint(*app);
  };
  ui.clearNavigationTarget = [] {
    if (AppContext* app = AppRecord()) TaskPointInit(app->navTarget);
  };

  SyncHooks& sync = SyncHooksInstalled();
  sync.status = [](const WCHAR* text) {
    if (AppContext* app = AppRecord()) ShowStatusText(*app, text);
  };
  sync.reload = [](std::int32_t type) {
    if (AppContext* app = AppRecord())
      if (app->mainWindow) SendMessageW(app->mainWindow, WM_COMMAND, kCmdReload, static_cast<LPARAM>(type));
  };
  SetDesktopInstallHook(DesktopInstall);
  // The sector dialog (40113) and the quick task entry (40152).
  SectorDialogHooks sector;
  sector.choosePoint = ChooseSectorPoint;
  sector.largeScreen = IsLargeScreen();
  SetSectorDialogHooks(sector);
  SetDialogProcedure(kSectorDialog, SectorDialogProc);
  SetDialogProcedure(kQuickTaskDialog, QuickTaskDialogProc);
  // The waypoint browser (40085 at the task page, 40102 at the point list).
  SetDialogProcedure(kWaypointBrowser, WaypointBrowserProc);
}

}  // namespace

void InstallTaskHooks() {
  InstallWaypointHooks();
  TaskHooks& hooks = TaskHooksInstalled();
  hooks.setNavigationTarget = NavigationTarget;
  hooks.ownPosition = OwnPosition;
  hooks.playSound = Sound;
  hooks.etaCompute = Eta;
  hooks.magneticVariation = Variation;
  hooks.setZoneRadius = ZoneRadius;
  hooks.resetStatistics = ResetStatistics;
  hooks.lockMain = [] {
    if (AppContext* app = AppRecord()) EnterCriticalSection(&app->mainLock);
  };
  hooks.unlockMain = [] {
    if (AppContext* app = AppRecord()) LeaveCriticalSection(&app->mainLock);
  };
  // The point page: the simulator flag and the simulated glider's position.
  PointPageHooks& page = PointPageHooksInstalled();
  page.simulator = [] {
    AppContext* app = AppRecord();
    return app != nullptr && app->simulator != 0;
  };
  page.setReferencePosition = [](const GeoPoint& position) {
    if (AppContext* app = AppRecord()) SetGpsPosition(app->gps, position);
  };
  page.infoEnv = PointInfoUnits;
  page.drawMap = [](HDC dc, const RECT& rect, const GeoPoint& centre) {
    if (AppContext* app = AppRecord()) PaintPointMap(*app, dc, rect, centre);
  };
}

}  // namespace cumulor
