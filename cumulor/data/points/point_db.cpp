#include "cumulor/data/points/point_db.h"

namespace cumulor {

namespace {

const char* TextAt(const DynArray<char*>& texts, std::int32_t i) { return i < texts.Size() ? texts[i] : nullptr; }

}  // namespace

UserWaypointTable& UserWaypoints() {
  static UserWaypointTable table;
  return table;
}

std::int32_t PointTableCount(std::int32_t kind) {
  const AeroTables& aero = AeroData();
  switch (kind) {
    case kPointAirport: return aero.airports.Size();
    case kPointNavaid: return aero.navaids.Size();
    case kPointIntersection: return aero.intersections.Size();
    case kPointUserWaypoint: return UserWaypoints().records.Size();
    default: return 0;
  }
}

bool PointRefIsValid(const PointRef& ref) {
  if (ref.kind < kPointAirport || ref.kind > kPointEmptyKind) return false;
  return ref.index > 0 && ref.index < PointTableCount(ref.kind);
}

const char* PointRefName(const PointRef& ref) {
  if (!PointRefIsValid(ref)) return nullptr;
  const AeroTables& aero = AeroData();
  switch (ref.kind) {
    case kPointAirport: return TextAt(aero.airportNames, ref.index);
    case kPointNavaid: return TextAt(aero.navaidNames, ref.index);
    case kPointIntersection: return aero.intersections[ref.index].name;
    case kPointUserWaypoint: {
      const UserWaypointTable& t = UserWaypoints();
      return ref.index < t.names.Size() ? t.names[ref.index].text : nullptr;
    }
    default: return nullptr;
  }
}

GeoPoint PointRefRecordPosition(const PointRef& ref) {
  if (!PointRefIsValid(ref)) return GeoPoint{};
  const AeroTables& aero = AeroData();
  switch (ref.kind) {
    case kPointAirport: return aero.airports[ref.index].position;
    case kPointNavaid: return aero.navaids[ref.index].position;
    case kPointIntersection: return aero.intersections[ref.index].position;
    case kPointUserWaypoint: return UserWaypoints().records[ref.index].position;
    default: return GeoPoint{};
  }
}

const char* PointRefCode(const PointRef& ref) {
  if (!PointRefIsValid(ref)) return "";
  switch (ref.kind) {
    case kPointAirport: return AeroData().airports[ref.index].code;
    case kPointIntersection: return AeroData().intersections[ref.index].name;
    case kPointUserWaypoint: return UserWaypoints().records[ref.index].code;
    default: return "";
  }
}

GeoPoint PointRefPosition(const TaskPoint& point) {
  const PointRef ref{point.kind, point.index};
  if (point.maxRadius == 0 && PointRefIsValid(ref)) return PointRefRecordPosition(ref);
  return GeoPoint{point.lon, point.lat};
}

}  // namespace cumulor
