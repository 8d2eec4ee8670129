// The reader of the user-waypoint files (the files of data-file category 1): one waypoint a line,
// "code,latitude,longitude,elevation,letters,name,comment[*option]".
#pragma once

#include <cstdint>

#include "cumulor/data/points/point_db.h"
#include "cumulor/data/task/task_point.h"
#include "platform/base/types.h"

namespace cumulor {

struct GpsPort;

// Parses one line into the record and the name (at most 63 bytes, trailing blanks removed). The
// zoom is 10000 unless the option after '*' sets another ("V" sets the GPS's manual variation).
// S_OK, or E_FAIL for a missing or unreadable field, a position past 90 or 180 degrees, an
// elevation above 26246 in the unit written or one whose feet do not fit 16 bits.
HRESULT ParseUserWaypointLine(GpsPort& gps, WaypointRecord& record, char (&name)[64], const char* line);

// Rebuilds the user-waypoint store from every file of category 1 in list order, under the main
// lock. A file that cannot be read (unless empty) is shown in the status line for 4 s; a line
// that does not parse shows "Syntax Error in <path>" and the line, 4 s each, and is left out.
// A waypoint with the letter H becomes the file home point (kind 4) when fileHome is given.
// When bounds is given (the application's region rectangle), it is emptied first and grows by
// every waypoint read. Always 0.
int LoadUserWaypoints(GpsPort& gps, TaskPoint* fileHome, GeoRect* bounds = nullptr);

}  // namespace cumulor
