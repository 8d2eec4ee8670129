#include "cumulor/app/core/flight_fix_steps.h"

#include <atomic>
#include <cmath>
#include <mutex>

#include "cumulor/app/app_context.h"
#include "cumulor/app/core/main_lock.h"
#include "cumulor/app/core/map_ops.h"
#include "cumulor/data/points/point_db.h"
#include "cumulor/data/task/task_slots.h"
#include "cumulor/map/navbox/nav_box_set.h"
#include "cumulor/map/settings/map_settings_link.h"
#include "cumulor/map/team/team_grid.h"
#include "cumulor/nav/geo/geodesy.h"
#include "cumulor/nav/polar/glide.h"
#include "cumulor/nav/gps/gps_port.h"
#include "cumulor/nav/stats/flight_stats.h"
#include "cumulor/nav/terrain/terrain_clearance.h"
#include "cumulor/nav/thermal/thermal_db.h"
#include "cumulor/nav/wind/wind_estimator.h"
#include "platform/time/time.h"

namespace cumulor {

namespace {

struct FixSteps {
  std::mutex lock;
  TurnState turn;
  WindEstimator wind;
  bool havePrevious = false;
  std::uint32_t previousTime = 0;
  bool wasCircling = false;
  std::uint8_t lastLeftTurn = 0;
};

FixSteps& Steps() {
  static FixSteps steps;
  return steps;
}

}  // namespace

void TerrainClearanceSteps(AppContext& app, const GeoPoint& own) {
  if (!app.terrainClearanceOn) return;
  const DynArray<TaskPoint>& task = ActiveTask();
  GeoPoint from = own;
  for (std::int32_t i = 0; i < task.Size(); ++i) {
    const GeoPoint to = PointRefPosition(task[i]);
    const std::uint32_t distance = GeoDistance(from, to);
    double course = 0.0;
    GeoBearing(course, from, to);
    const std::int32_t loss = GlideAltitudeLoss(app.flight, distance, course);
    const std::int32_t length = static_cast<std::int32_t>(distance < 0x7FFFFFFFu ? distance : 0x7FFFFFFFu);
    if (i == 0) {
      BuildTerrainProfile(GetFlightParameter(app.flight, kParamQnhAltitude), from, to, loss, length);
    } else {
      ExtendTerrainProfile(from, to, loss, length);
    }
    from = to;
  }
  if (!task.Empty()) FindProfileMinimum();
}

void FlightFixStepsReset() {
  FixSteps& s = Steps();
  std::lock_guard<std::mutex> guard(s.lock);
  s.turn = TurnState{};
  s.wind = WindEstimator{};
  s.havePrevious = false;
  s.wasCircling = false;
}

void FlightFixSteps(AppContext& app, const GpsStatus& status) {
  FixSteps& s = Steps();
  std::lock_guard<std::mutex> guard(s.lock);
  GpsFix fix;
  if (GetFixBuffer(app.gps, &fix, 1) < 1) return;

  // Circling, from the turn of the track; the time step is the time since the previous fix.
  const std::uint32_t now = fix.timeOfDay;
  std::int32_t stepMs = 0;
  if (s.havePrevious && now > s.previousTime) stepMs = static_cast<std::int32_t>(now - s.previousTime) * 1000;
  s.previousTime = now;
  s.havePrevious = true;
  std::uint8_t leftTurn = 0;
  bool circling = DetectCircling(s.turn, fix.track, stepMs, leftTurn) != 0;
  if (circling) {
    if (leftTurn != s.lastLeftTurn) app.circlingCount = 0;
    ++app.circlingCount;
    s.lastLeftTurn = leftTurn;
  }
  if (status.groundSpeedKn < 4.0f) circling = false;
  if (app.simulator) ++app.stats.replaySeconds;  // each simulated fix is a second of the climb clock

  // A climb starts on entering a circle and is counted on leaving it.
  if (circling != s.wasCircling) {
    if (circling) {
      StartClimb(app.stats, status.altitude);
    } else {
      app.circlingCount = 0;
      EndClimb(app.stats, status.altitude);
    }
  }
  s.wasCircling = circling;
  app.circling = circling ? 1 : 0;
  app.turnDirection = leftTurn;

  // With a compass and an airspeed from the instruments, the wind is the difference of the ground
  // and air vectors.
  if (app.compassPresent && fix.airspeed > 0.0f)
    ComputeWindFromVectors(app, fix, static_cast<std::int32_t>(app.gps.compassHeading.load()));

  // Each new wind estimate goes to the thermal database, and with "Auto update" to the flight
  // state (the wind box and the glide computations).
  if (!app.simulator || app.gps.replayActive) {
    WindResult result;
    const DWORD tick = GetTickCount();
    if (EstimateWind(s.wind, circling, fix, result, tick, stepMs) &&
        (static_cast<std::int32_t>(result.speed) != static_cast<std::int32_t>(app.windSpeed) ||
         result.direction != app.windDirection)) {
      app.windSpeed = result.speed;
      app.windDirection = result.direction;
      app.windTick = tick;
      const std::int32_t altitude = status.altitude < 0 ? 0 : status.altitude > 65535 ? 65535 : status.altitude;
      PushWindSample(app.thermalView, WindSample{tick, static_cast<std::uint16_t>(altitude),
                                                 static_cast<std::int16_t>(result.direction), result.speed});
      const ThermalWind wind{result.direction, result.speed};
      ThermalUpdate(&wind);
      if (std::atomic_ref<std::uint8_t>(MapDisplay().autoWind).load(std::memory_order_relaxed)) {
        SetFlightParameter(app.flight, kParamWindSpeed, static_cast<std::int32_t>(result.speed), 1);
        SetFlightParameter(app.flight, kParamWindDirection, result.direction, 1);
      }
    }
  }
  // With the team grid on, the own code of the map centre shows in box 22.
  if (const WCHAR* code = TeamGridOnFix(app.mapCentre)) {
    MainLockGuard guard(app);
    NavBoxSetValue(app.navBoxes, 22, code);
  }
  TerrainClearanceSteps(app, status.position);
}

}  // namespace cumulor
