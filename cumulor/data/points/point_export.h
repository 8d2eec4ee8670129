// A point as a SeeYou .cup waypoint line, and the "Turnpoint" element of task and settings
// documents.
#pragma once

#include <cstdint>
#include <string>

#include "cumulor/app/base/xml_node.h"
#include "cumulor/data/points/point_db.h"
#include "platform/base/types.h"

namespace cumulor {

// "DDMM.mmmH" for latitudes, "DDDMM.mmmH" for longitudes (thousandths of a minute).
std::string FormatCupCoordinate(std::int32_t value, bool latitude);
// The line "\"name\",,,lat,lon,<elevation>m,1,,,,,\r\n".
std::string PointCupText(const PointRef& ref);
// Writes the point's line to an open file: 1, or 0 when the write fails.
std::int32_t PointCupLine(const PointRef& ref, HANDLE file);

// Appends child "Turnpoint" (name, type, icao, lat, lon and, for an area point, "Area").
void TurnpointToXml(const TaskPoint& point, XmlNode& parent);
// Reads a "Turnpoint" and finds its point (code or name within 1000 m): 1, or 0 for an unknown
// type, a missing position or no such point.
std::int32_t TurnpointFromXml(TaskPoint& point, const XmlNode& element);
// The desktop form: "WaypointType", "Lat"/"Lon" in 1/360000 degree, "Id", "Name", "Area".
std::int32_t TurnpointFromDesktopXml(TaskPoint& point, const XmlNode& element);

}  // namespace cumulor
