#include "cumulor/data/waypoints/user_waypoint_remove.h"

#include <utility>

#include "cumulor/data/aero/point_tables.h"
#include "cumulor/data/aero/tile_cache.h"
#include "cumulor/data/points/point_db.h"
#include "cumulor/data/task/task_rules.h"
#include "cumulor/data/task/task_slots.h"
#include "cumulor/data/task/task_store.h"
#include "cumulor/data/waypoints/user_waypoint_store.h"

namespace cumulor {
namespace {

UserWaypointReferenceVisitor& Visitor() {
  static UserWaypointReferenceVisitor visitor;
  return visitor;
}

template <class T>
void EraseAt(DynArray<T>& array, std::int32_t index) {
  if (index >= array.Size()) return;
  for (std::int32_t i = index; i + 1 < array.Size(); ++i) array[i] = array[i + 1];
  array.SetSize(array.Size() - 1);
}

// Every kept reference to a point: the task slots, the task targets, the start rule's points and
// the application's references.
void VisitReferences(const std::function<void(TaskPoint&)>& fix) {
  for (DynArray<TaskPoint>& slot : Tasks().slot)
    for (TaskPoint& p : slot) fix(p);
  TaskTargets& targets = TaskTargetsStore();
  fix(targets.homePoint);
  fix(targets.directTarget);
  fix(targets.previousTarget);
  fix(targets.defaultHome);
  TaskRule& start = Rules().rule[kRuleStart];
  fix(start.pointA);
  fix(start.pointB);
  if (Visitor()) Visitor()(fix);
}

}  // namespace

void SetUserWaypointReferenceVisitor(UserWaypointReferenceVisitor visitor) { Visitor() = std::move(visitor); }

void RenumberAfterRemoval(TaskPoint& ref, std::int32_t removed) {
  if (ref.kind != kPointUserWaypoint) return;
  if (ref.index == removed) {
    ref.kind = 0;
    ref.index = 0;
  } else if (ref.index > removed) {
    --ref.index;
  }
}

bool RemoveUserWaypoint(std::int32_t index) {
  UserWaypointTable& table = UserWaypoints();
  if (index < 1 || index >= table.records.Size()) return false;
  EraseAt(table.records, index);
  EraseAt(table.names, index);
  EraseAt(table.countries, index);

  VisitReferences([index](TaskPoint& ref) { RenumberAfterRemoval(ref, index); });
  AeroTiles().ListsClear(kTileUserWaypoints);
  AddUserWaypointsToTiles();
  BuildPointIndexes(kPointUserWaypoint);
  return true;
}

void RemoveAllUserWaypoints() {
  UserWaypointTable& table = UserWaypoints();
  if (table.records.Size() > 1) table.records.SetSize(1);
  if (table.names.Size() > 1) table.names.SetSize(1);
  if (table.countries.Size() > 1) table.countries.SetSize(1);
  VisitReferences([](TaskPoint& ref) {
    if (ref.kind != kPointUserWaypoint) return;
    ref.kind = 0;
    ref.index = 0;
  });
  AeroTiles().ListsClear(kTileUserWaypoints);
  AddUserWaypointsToTiles();
  BuildPointIndexes(kPointUserWaypoint);
}

}  // namespace cumulor
