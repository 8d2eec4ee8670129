#include "cumulor/app/core/target_select.h"

#include "cumulor/app/core/main_lock.h"
#include "cumulor/app/core/map_ops.h"
#include "cumulor/data/points/point_db.h"
#include "cumulor/data/task/task_slots.h"
#include "cumulor/data/task/task_store.h"
#include "cumulor/nav/gps/gps_port.h"

namespace cumulor {
namespace {

bool Valid(const TaskPoint& point) { return PointRefIsValid(PointRef{point.kind, point.index}); }

void Navigate(AppContext& app, const TaskPoint& target) {
  const GeoPoint position = PointRefPosition(target);
  SetNavigationTarget(app, target, &position, 0);
}

// Own position, map centre and view on the point.
void MoveGliderTo(AppContext& app, const GeoPoint& position) {
  SetGpsPosition(app.gps, position);
  app.mapCentre = position;
  MapSetView(app.map, position.lon, position.lat, app.mapRotation);
}

}  // namespace

void SelectTargetPoint(AppContext& app) {
  if (Valid(app.navTarget)) return;

  DynArray<TaskPoint>& active = ActiveTask();
  if (!active.Empty()) {
    if (Valid(active[0])) {
      Navigate(app, active[0]);
      return;
    }
    MainLockGuard lock(app);
    active.SetSize(0);
  }
  for (const TaskPoint* candidate : {&app.fileHomePoint, &PreviousTarget(), &DefaultHome()}) {
    if (Valid(*candidate)) {
      Navigate(app, *candidate);
      return;
    }
  }

  if (!PointRefIsValid(PointRef{kPointAirport, 1})) {
    const GeoPoint own = OwnPosition(app);
    if (own.lon == 0 && own.lat == 0) {
      SetGpsPosition(app.gps, kDefaultOwnPosition);
      app.mapCentre = kDefaultOwnPosition;
    }
    return;
  }
  TaskPoint airport;
  airport.kind = kPointAirport;
  airport.index = 1;
  const GeoPoint position = PointRefRecordPosition(PointRef{kPointAirport, 1});
  airport.lon = position.lon;
  airport.lat = position.lat;
  Navigate(app, airport);
  if (!Valid(DefaultHome())) DefaultHome() = airport;
  if (app.simulator) MoveGliderTo(app, position);
}

}  // namespace cumulor
