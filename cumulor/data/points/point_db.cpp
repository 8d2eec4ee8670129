#include "cumulor/data/points/point_db.h"

namespace cumulor {

UserWaypointTable& UserWaypoints() {
  static UserWaypointTable table;
  return table;
}

bool PointRefIsValid(const PointRef& ref) {
  if (ref.kind < kPointAirport || ref.kind > kPointEmptyKind) return false;
  if (ref.kind != kPointUserWaypoint) return false;  // the other tables are still empty
  return ref.index > 0 && ref.index < UserWaypoints().records.Size();
}

const char* PointRefName(const PointRef& ref) {
  if (!PointRefIsValid(ref)) return nullptr;
  const UserWaypointTable& t = UserWaypoints();
  if (ref.index >= t.names.Size()) return nullptr;
  return t.names[ref.index].text;
}

GeoPoint PointRefPosition(const TaskPoint& point) {
  const PointRef ref{point.kind, point.index};
  if (point.maxRadius == 0 && PointRefIsValid(ref)) return UserWaypoints().records[ref.index].position;
  return GeoPoint{point.lon, point.lat};
}

}  // namespace cumulor
