// Point references and the point tables they lead to.
//
// Airports, navaids and intersections live in the aeronautical tables (aero_tables.h); the user
// waypoint table (kind 4) is held here: its records, names and country texts. Kind 5 is valid but
// its table is never filled. Index 0 of every table is a placeholder; valid indexes start at 1.
#pragma once

#include <cstdint>

#include "cumulor/app/base/dyn_array.h"
#include "cumulor/app/base/geo_point.h"
#include "cumulor/data/points/aero_tables.h"
#include "cumulor/data/task/task_point.h"

namespace cumulor {

enum PointKind : std::int32_t {
  kPointAirport = 1,
  kPointNavaid = 2,
  kPointIntersection = 3,
  kPointUserWaypoint = 4,
  kPointEmptyKind = 5,
};

struct PointRef {
  std::int32_t kind = 0;
  std::int32_t index = 0;
};

struct WaypointRecord {
  GeoPoint position;
  char code[12] = {};
  char comment[32] = {};
  std::uint32_t flags = 0;
  std::uint16_t zoomLimit = 0;
  std::int16_t elevation = 0;   // feet
};

// A name or country text of a table entry, NUL-terminated.
struct PointText {
  char text[64] = {};
};

struct UserWaypointTable {
  DynArray<WaypointRecord> records;
  DynArray<PointText> names;
  DynArray<PointText> countries;
};

UserWaypointTable& UserWaypoints();

// Kind 1..5 and 0 < index < the table's count.
bool PointRefIsValid(const PointRef& ref);
// The number of records of a kind's table, placeholder included (0 for kinds without one).
std::int32_t PointTableCount(std::int32_t kind);
// The 8-bit name of the point: the name table's entry, or the intersection's own name; null when
// it has none or the reference is not valid.
const char* PointRefName(const PointRef& ref);
// The record's position ((0, 0) for an invalid reference).
GeoPoint PointRefRecordPosition(const PointRef& ref);
// The record's identifier code (airports, intersections, user waypoints; navaids have none):
// empty when absent.
const char* PointRefCode(const PointRef& ref);
// An area point answers its own position; otherwise the referenced record's, or the task point's
// stored copy when the reference does not lead to a record.
GeoPoint PointRefPosition(const TaskPoint& point);

}  // namespace cumulor
