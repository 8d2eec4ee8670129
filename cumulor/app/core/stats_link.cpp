#include "cumulor/app/core/stats_link.h"

#include "cumulor/app/app_context.h"
#include "cumulor/app/core/map_ops.h"
#include "cumulor/app/core/olc_show.h"
#include "cumulor/app/core/replay_link.h"
#include "cumulor/app/ui/own_dialogs.h"
#include "cumulor/nav/gps/gps_port.h"
#include "cumulor/nav/olc/olc.h"
#include "cumulor/nav/stats/flight_stats.h"
#include "cumulor/nav/thermal/thermal_db.h"
#include "platform/kernel/sync.h"

namespace cumulor {

namespace {

GeoPoint Own() {
  AppContext* app = AppRecord();
  return app != nullptr ? GetGpsStatus(app->gps).position : GeoPoint{};
}

bool ReplayFixTimes() {
  AppContext* app = AppRecord();
  return app != nullptr && app->replay.fixTimesSetClock != 0;
}

std::uint32_t FixTime() {
  AppContext* app = AppRecord();
  return app != nullptr ? GetGpsStatus(app->gps).timeOfDay : 0;
}

std::int32_t TaskSpeedUnit() {
  AppContext* app = AppRecord();
  return app != nullptr ? app->taskSpeedUnit : 7;
}

void DataFolder(WCHAR* out) {
  out[0] = 0;
  if (AppContext* app = AppRecord()) app->dataFolder.CopyTo(out, MAX_PATH);
}

void Message(const WCHAR* text) { MessageBoxOk(text); }

ThermalWind Wind() {
  AppContext* app = AppRecord();
  return app != nullptr ? ThermalWind{app->windDirection, app->windSpeed} : ThermalWind{};
}

std::int32_t Altitude() {
  AppContext* app = AppRecord();
  return app != nullptr ? GetFlightParameter(app->flight, kParamQnhAltitude) : 0;
}

void Lock() {
  if (AppContext* app = AppRecord()) EnterCriticalSection(&app->mainLock);
}

void Unlock() {
  if (AppContext* app = AppRecord()) LeaveCriticalSection(&app->mainLock);
}

void Refresh() {
  if (AppContext* app = AppRecord()) RefreshMapWindow(*app);
}

TaskPoint Target() {
  AppContext* app = AppRecord();
  return app != nullptr ? app->navTarget : TaskPoint{};
}

}  // namespace

void InstallStatsHooks() {
  StatsHooks& stats = StatsHooksInstalled();
  stats.ownPosition = Own;
  stats.replayFixTimes = ReplayFixTimes;
  stats.fixTimeOfDay = FixTime;
  stats.taskSpeedUnit = TaskSpeedUnit;
  stats.dataFolder = DataFolder;

  ThermalHooks& thermal = ThermalHooksInstalled();
  thermal.showMessage = Message;
  thermal.currentWind = Wind;
  thermal.ownPosition = Own;
  thermal.altitude = Altitude;
  thermal.lock = Lock;
  thermal.unlock = Unlock;
  thermal.refreshMap = Refresh;

  SetOlcTargetSource(Target);
  SetShowFlightHook(ShowLoadedFlight);
}

}  // namespace cumulor
