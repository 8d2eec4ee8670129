#include "cumulor/app/core/gps_update.h"

#include <atomic>
#include <cmath>
#include <cstdio>
#include <mutex>

#include "cumulor/app/core/airspace_link.h"
#include "cumulor/app/core/commands.h"
#include "cumulor/app/core/flight_fix_steps.h"
#include "cumulor/app/core/main_lock.h"
#include "cumulor/app/core/main_window.h"
#include "cumulor/app/core/map_ops.h"
#include "cumulor/app/core/map_paint.h"
#include "cumulor/app/core/navbox_link.h"
#include "cumulor/app/core/settings_document.h"
#include "cumulor/app/core/status_line.h"
#include "cumulor/app/ui/dialog_run.h"
#include "cumulor/app/ui/screen_layout.h"
#include "cumulor/data/aero/tile_cache.h"
#include "cumulor/data/dialogs/airspace_dialogs.h"
#include "cumulor/data/points/point_db.h"
#include "cumulor/data/points/point_texts.h"
#include "cumulor/data/task/task_gates.h"
#include "cumulor/data/task/task_ops.h"
#include "cumulor/data/task/task_rules.h"
#include "cumulor/data/task/task_slots.h"
#include "cumulor/data/task/task_store.h"
#include "cumulor/nav/geo/geodesy.h"
#include "cumulor/nav/gps/gps_mode_loop.h"
#include "cumulor/nav/igc/igc_text.h"
#include "cumulor/nav/stats/flight_stats.h"
#include "cumulor/map/navbox_values/nav_box_values.h"
#include "cumulor/map/team/team_grid.h"
#include "platform/dialogs/message_box.h"
#include "platform/resources/resources.h"
#include "platform/sound/sound.h"
#include "platform/time/time.h"
#include "platform/window/window.h"

namespace cumulor {

namespace {

constexpr UINT kTextAwaitingLock = 20;
constexpr UINT kTextContinueInSimulator = 29;
constexpr WORD kCmdWindAltimeter = 40115;
constexpr BYTE kKeepAwakeKey = 0x73;
constexpr double kFeetToMetres = 0.30480370641307;
constexpr double kMetresToFeet = 3.2808;
constexpr double kMsToKnots = 1.943844494119952;
constexpr std::uint32_t kAutoZoomDistance = 3000;
constexpr std::uint32_t kAltimeterFieldDistance = 2500;

// Serialises the handling of fixes (notify thread and UI thread).
std::mutex& HandlingLock() {
  static std::mutex lock;
  return lock;
}

bool SamePoint(const TaskPoint& a, const TaskPoint& b) { return a.kind == b.kind && a.index == b.index; }

bool TargetIsValid(const TaskPoint& target) { return PointRefIsValid(PointRef{target.kind, target.index}); }

std::int32_t Feet(std::int32_t metres) { return static_cast<std::int32_t>(static_cast<double>(metres) * kMetresToFeet); }

// On the first fix: the zone's bias in whole hours, and with "Set GPS Time" (outside the simulator)
// the device clock set from the receiver's date and time.
void SetClockFromFix(AppContext& app, FixHandlingState& s) {
  TIME_ZONE_INFORMATION zone{};
  const DWORD id = GetTimeZoneInformation(&zone);
  s.timeZoneHours = zone.Bias / 60;
  if (!FixOption(2, 4) || app.simulator) return;
  if (id != TIME_ZONE_ID_STANDARD && id != TIME_ZONE_ID_DAYLIGHT) return;
  SYSTEMTIME utc{};
  if (FAILED(NmeaDateTimeToSystemTime(app.gps, utc))) return;
  FILETIME ft{};
  if (!SystemTimeToFileTime(&utc, &ft)) return;
  const std::int64_t bias = zone.Bias + (id == TIME_ZONE_ID_STANDARD ? zone.StandardBias : zone.DaylightBias);
  std::int64_t value = (static_cast<std::int64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
  value -= bias * 60 * 10000000LL;
  ft.dwLowDateTime = static_cast<DWORD>(value & 0xFFFFFFFF);
  ft.dwHighDateTime = static_cast<DWORD>(static_cast<std::uint64_t>(value) >> 32);
  SYSTEMTIME local{};
  if (FileTimeToSystemTime(&ft, &local)) SetLocalTime(&local);
}

// Once per run, on the first fix with an altitude: standing slowly near the go-to point, the
// altimeter is set to the point's elevation (the offset carries it to the following fixes).
void CalibrateAtGotoPoint(AppContext& app, FixHandlingState& s, const GpsStatus& fix) {
  if (s.altimeterChecked || app.simulator || fix.altitude == 0) return;
  s.altimeterChecked = true;
  const TaskPoint target = DirectTarget();
  if (!TargetIsValid(target) || fix.groundSpeedKn >= 10.0f) return;
  const std::int32_t elevation = PointElevation(PointRef{target.kind, target.index});
  if (elevation == 0) return;
  if (GeoDistance(app.mapCentre, PointRefPosition(target)) >= kAltimeterFieldDistance) return;
  SetFlightParameter(app.flight, kParamQnhOffset, elevation - GetFlightParameter(app.flight, kParamAltitude));
}

// Entering and leaving a climb: the map turns north up while circling when that option is on.
void CirclingChanged(AppContext& app, FixHandlingState& s) {
  const bool circling = app.circling != 0;
  if (circling == s.previousCircling) return;
  s.previousCircling = circling;
  if (!FixOption(2, 2)) return;
  SettingsKept& kept = KeptSettings();
  EnterCriticalSection(&app.mainLock);
  if (circling) {
    s.savedOrientation = kept.mapOrientation;
    kept.mapOrientation = 1;
  } else if (s.savedOrientation != 0) {
    kept.mapOrientation = s.savedOrientation;
  }
  LeaveCriticalSection(&app.mainLock);
}

// The re-centre of the five-fix cycle: when the counter wraps and the glider moved far enough for
// the zoom (or a re-centre was asked for), the visible data follow the new centre.
void FiveFixCycle(AppContext& app, FixHandlingState& s) {
  // The pen on the UI thread moves the view and sets the counter too: both under the main lock.
  EnterCriticalSection(&app.mainLock);
  MapSetView(app.map, app.mapCentre.lon, app.mapCentre.lat, app.mapRotation);
  const bool wrapped = --app.fixCycle < 1;
  if (wrapped) app.fixCycle = 5;
  LeaveCriticalSection(&app.mainLock);
  if (!wrapped) return;
  const std::uint32_t limit = 100u * static_cast<std::uint32_t>(kZoomTable[app.zoomIndex]);
  if (!s.recentreRequest && FlatDistance(app.mapCentreCopy, app.mapCentre) <= limit) return;
  app.dialogActive = 1;
  UpdateOwnPosition(app, app.map.view, true);
  SetFlatDistanceScale(std::cos(static_cast<double>(app.mapCentre.lat) * 3.141592653589793 / 6480000.0));
  app.mapCentreCopy = app.mapCentre;
  app.dialogActive = 0;
  s.recentreRequest = 0;
}

// Above the start rule's (before the start) or on-task rule's altitude limit, less the vertical
// airspace margin: dialog 151, at most every 30 (before start) or 15 (on task) fixes, until
// "Disable Today".
void AltitudeLimitWarning(AppContext& app, FixHandlingState& s) {
  const std::int32_t altitude = GetFlightParameter(app.flight, kParamQnhAltitude);
  if (s.altitudeWarningCountdown > 0) --s.altitudeWarningCountdown;
  const bool onTask = !AchievedList().Empty();
  const std::int32_t limitFeet = Rules().rule[onTask ? kRuleOnTask : kRuleStart].altitude;
  if (limitFeet <= 0) return;  // no limit set
  const std::int32_t limit = RoundToInt(static_cast<double>(limitFeet) * kFeetToMetres);
  if (s.altitudeDismissed[onTask] || altitude + app.suaDistY < limit || s.altitudeWarningCountdown != 0) return;
  const bool feet = app.altitudeUnit == 2;
  const char* unit = feet ? "ft" : "m";
  char text[160];
  std::snprintf(text, sizeof text,
                onTask ? "You are at: %d %s\nAltitude Limit On Task is: %d %s"
                       : "You are at: %d %s\nAltitude Limit Before Start is: %d %s",
                feet ? Feet(altitude) : altitude, unit, feet ? Feet(limit) : limit, unit);
  WCHAR wide[160] = {};
  for (std::size_t i = 0; i + 1 < sizeof text && text[i]; ++i) wide[i] = static_cast<WCHAR>(text[i]);
  app.dialogActive = 1;
  const INT_PTR result =
      RunDialog(kAltitudeWarningDialog, app.mainWindow, AltitudeWarningDlgProc, reinterpret_cast<LPARAM>(wide));
  app.dialogActive = 0;
  if (result == 2) s.altitudeDismissed[onTask] = 1;
  s.altitudeWarningCountdown = onTask ? 15 : 30;
}

// Near the next turnpoint on task the map zooms in once per target; the zoom is restored when the
// point is reached.
void AutomaticZoom(AppContext& app, FixHandlingState& s, const TaskPoint& target, std::uint32_t distance) {
  if (!FixOption(1, 1) || ActiveTask().Empty() || AchievedList().Empty()) return;
  if (SamePoint(target, s.lastZoomTarget) || target.maxRadius != 0) return;
  if (app.zoomIndex <= 1 || distance >= kAutoZoomDistance) return;
  app.savedZoomIndex = app.zoomIndex;
  app.zoomIndex = IsLargeScreen() ? 1 : 2;
  s.lastZoomTarget = target;
  EnterCriticalSection(&app.mainLock);
  MapSetScale(app.map, kZoomTable[app.zoomIndex]);
  LeaveCriticalSection(&app.mainLock);
  GridSetOrigin();
  RefreshMapWindow(app);
  PlaySoundAsync(u"WindMax.wav");
}

void RestoreZoom(AppContext& app) {
  if (!FixOption(1, 1) || app.savedZoomIndex < 0 || app.savedZoomIndex >= kZoomSteps) return;
  app.zoomIndex = app.savedZoomIndex;
  EnterCriticalSection(&app.mainLock);
  MapSetScale(app.map, kZoomTable[app.zoomIndex]);
  LeaveCriticalSection(&app.mainLock);
  GridSetOrigin();
  EnterCriticalSection(&app.mainLock);
  MapSetView(app.map, app.mapCentre.lon, app.mapCentre.lat, app.mapRotation);
  LeaveCriticalSection(&app.mainLock);
  UpdateOwnPosition(app, app.map.view, true);
  RefreshMapWindow(app);
  app.savedZoomIndex = -1;
}

// The start-line crossing before the start, the turnpoint reached on task and a restart over the
// start line; a reached turnpoint goes to the statistics and, with "Auto Advance", the task moves on.
void TaskProgress(AppContext& app, FixHandlingState& s, const TaskPoint& target, std::uint32_t distance) {
  DynArray<TaskPoint>& task = ActiveTask();
  DynArray<TaskPoint>& achieved = AchievedList();
  if (task.Empty()) return;
  const TaskRules& rules = Rules();
  const std::int32_t startType = rules.rule[kRuleStart].type;
  bool reached = false;
  bool startCrossed = false;
  if (achieved.Empty()) {
    const bool waitingForArm = FixOption(3, 7) && !s.startArmed;
    if (!waitingForArm && task.Size() >= 2 && (startType == 4 || startType == 5)) {
      const GeoPoint start = PointRefPosition(task[0]);
      reached = CheckStartLineCrossing(app.mapCentre, distance, &start);
      if (reached) {
        startCrossed = true;
        ResetStatsRecord(app.stats);
        OnCommand(app, MAKEWPARAM(kCmdTaskStart, 0), 0);
      }
    }
  } else {
    const TaskRule& onTask = rules.rule[kRuleOnTask];
    reached = onTask.type == 2 ? onTask.width > 0 && distance < static_cast<std::uint32_t>(onTask.width)
                               : InTurnpointSector(app, app.mapCentre, distance) != 0;
    if ((achieved.Size() == 1 && startType == 4) || startType == 5) {
      const GeoPoint first = PointRefPosition(achieved[0]);
      if (CheckStartLineRecrossing(app.mapCentre, distance, &first)) {
        ResetStatsRecord(app.stats);
        OnCommand(app, MAKEWPARAM(kCmdTaskStart, 0), 1);
        MessageBeep(MB_ICONEXCLAMATION);
      }
    }
  }
  if (!reached || target.maxRadius != 0 || SamePoint(target, s.lastReachedTarget)) return;
  MessageBeep(MB_ICONEXCLAMATION);
  if (startCrossed) return;
  RecordTaskPoint(app.stats, target);
  s.lastReachedTarget = target;
  if (FixOption(1, 2)) AdvanceTask();
  RestoreZoom(app);
}

}  // namespace

FixHandlingState& FixHandling() {
  static FixHandlingState state;
  return state;
}

void FixHandlingReset() {
  std::lock_guard guard(HandlingLock());
  FixHandlingState& s = FixHandling();
  s.watchdog = 0;
  s.recentreRequest = 0;
  s.startArmed = 0;
  s.calls = 0;
  s.altimeterChecked = s.firstFixCommandSent = false;
  s.timeZoneHours = 0;
  s.previousCircling = false;
  s.savedOrientation = 0;
  s.altitudeWarningCountdown = 0;
  s.altitudeDismissed[0] = s.altitudeDismissed[1] = 0;
  s.lastZoomTarget = TaskPoint{};
  s.lastReachedTarget = TaskPoint{};
  s.targetDistance = 0;
  SetFlatDistanceScale(1.0);  // until the first re-centre on the aircraft
}

bool FixOption(std::int32_t word, int bit) {
  if (word < 1 || word > 3 || bit < 0 || bit > 31) return false;
  // (switched by the option dialogs on the UI thread while the notify thread draws)
  return (std::atomic_ref<std::uint32_t>(KeptSettings().options[word]).load(std::memory_order_relaxed) >> bit) & 1u;
}

void StartSimulatorAt(AppContext& app, const GeoPoint& position) {
  SetGpsPosition(app.gps, position);
  const float speed = app.simulatorSpeedZero ? 0.0f : 150.0f;
  {
    std::lock_guard lock(app.gps.dataLock);
    app.gps.publishedStatus.groundSpeedMs = speed;
    app.gps.publishedStatus.groundSpeedKn = static_cast<float>(speed * kMsToKnots);
    app.gps.publishedStatus.track = 45;
  }
  SimulatorSetCourse(app.gps, speed, 45);
}

LRESULT OnGpsUpdate(AppContext& app, const GpsStatus* fix, HRESULT status) {
  return HandleGpsUpdate(app, fix, status, true);
}

LRESULT HandleGpsUpdate(AppContext& app, const GpsStatus* fix, HRESULT status, bool wait) {
  FixHandlingState& s = FixHandling();
  const GpsStatus current = fix ? *fix : GetGpsStatus(app.gps);
  EnterCriticalSection(&app.mainLock);
  app.mapCentre = current.position;
  LeaveCriticalSection(&app.mainLock);

  // Every sixth call a key-up keeps the device from going idle.
  if (++s.calls % 6 == 0) keybd_event(kKeepAwakeKey, 0, KEYEVENTF_KEYUP, 0);

  if (const UINT_PTR timer = s.watchdog.exchange(0)) KillTimer(app.mainWindow, timer);

  if (status == E_ABORT) {
    PostMessageW(app.mainWindow, WM_SYSCOMMAND, SC_CLOSE, 0);
    DestroyWindow(app.mainWindow);
    app.simulator = 1;  // no watchdog is armed again
    return 0;
  }
  if (status == E_FAIL) {
    WCHAR question[512] = {};
    LoadStringW(app.instance, kTextContinueInSimulator, question, 512);
    if (MessageBoxW(app.mainWindow, question, u"Cumulor", MB_YESNO) == IDYES) {
      app.simulator = 1;
      StartSimulatorAt(app, app.mapCentre);
      return 1;
    }
    PostMessageW(app.mainWindow, WM_SYSCOMMAND, SC_CLOSE, 0);
    return 0;
  }

  if (!app.simulator && app.mainWindow && SetTimer(app.mainWindow, kWatchdogTimer, kWatchdogMs, nullptr))
    s.watchdog = kWatchdogTimer;

  std::unique_lock handling(HandlingLock(), std::defer_lock);
  if (wait) {
    handling.lock();
  } else if (!handling.try_lock()) {
    return 0;  // the notify thread is handling a fix; this one merges into its next
  }

  if (!current.positionValid) {
    ShowStatusStringId(app, kTextAwaitingLock);
    return 0;
  }

  if (!app.dialogActive) {
    std::int32_t elevation = -1000;
    if (!TerrainElevationAt(AeroTiles(), app.mapCentre, elevation)) elevation = -1000;
    app.terrainElevation = elevation;
  }
  if (app.firstFixAwaited) SetClockFromFix(app, s);
  SetFlightParameter(app.flight, kParamAltitude, current.altitude);
  CalibrateAtGotoPoint(app, s, current);

  // Circling, climbs and the wind estimate.
  FlightFixSteps(app, current);
  CirclingChanged(app, s);

  if (!app.simulator && !s.firstFixCommandSent) {
    s.firstFixCommandSent = true;
    ClearStatusText(app, true);
    PostMessageW(app.mainWindow, WM_COMMAND, kCmdWindAltimeter, 0);
  }
  ClearStatusText(app, false);
  NavBoxFirstFix(app);

  if (!app.dialogActive) FiveFixCycle(app, s);
  AltitudeLimitWarning(app, s);
  // The proximity beeps and the airspace checks of the five-fix cycle.
  if (!app.dialogActive) AirspaceFixChecks(app, app.mapCentre);

  {
    // The UI thread edits the task and the target under the main lock; following the task opens
    // no dialog.
    MainLockGuard guard(app);
    const TaskPoint target = app.navTarget;
    if (TargetIsValid(target)) {
      s.targetDistance = GeoDistance(app.mapCentre, PointRefPosition(target));
      AutomaticZoom(app, s, target, s.targetDistance);
    }
    if (current.mark != 0) TaskProgress(app, s, target, s.targetDistance);
  }

  if (app.firstFixAwaited) {
    SetMapRegion(app, app.region);
    app.firstFixAwaited = 0;
    ClearStatusText(app, false);
    RefreshMapWindow(app);
  }
  if (!app.dialogActive) {
    // "Track up" and "Goal up" turn the map with the track or the bearing to the target.
    UpdateMapRotation(app);
    {
      // The UI thread draws the boxes too (a refresh of the map): their texts change under the lock.
      MainLockGuard guard(app);
      NavBoxValuesUpdate(app);
    }
    PaintMapScreen(app);
  }
  return 0;
}

}  // namespace cumulor
