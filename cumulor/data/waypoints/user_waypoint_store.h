// The user-waypoint store (point kind 4): clearing, finding by name, adding or replacing, new
// waypoints made on the map, the serial number of generated names, and the user-waypoint file
// (one line per waypoint, written whole in place of the old file).
#pragma once

#include <cstdint>
#include <string>

#include "cumulor/app/base/geo_point.h"
#include "cumulor/app/base/xml_node.h"
#include "cumulor/data/points/point_db.h"

namespace cumulor {

inline constexpr std::uint32_t kWaypointFoundByName = 0x1000;
inline constexpr std::uint16_t kImportedZoom = 10000;
inline constexpr std::uint16_t kMapWaypointZoom = 2000;
inline constexpr std::int32_t kMaxWaypointFeet = 26246;

// The next number of generated names and codes (1 at start); settings element "UserSerial".
std::int32_t& UserSerial();
void LoadUserSerial(const XmlNode& settings);
void SaveUserSerial(XmlNode& settings);

// Makes the placeholder element 0 of the records, names and countries when the store is empty.
void EnsureUserWaypointPlaceholder();
// Empties list 3 of every tile and leaves the store with its placeholder only.
void ClearUserWaypoints();
// The first waypoint with flag 0x1000 whose name equals the text exactly; -1 when none.
std::int32_t FindUserWaypoint(const char* name);
// Overwrites the record found by name (its name stays), else appends record, name and country
// (names and countries are cut to 63 bytes). Returns the waypoint's index.
std::int32_t AddOrReplaceUserWaypoint(const WaypointRecord& record, const char* name, const char* country = "");
// Removes the last waypoint (a new one given up again).
void RemoveLastUserWaypoint();
// Adds every user waypoint from index 1 to list 3 of its tile.
void AddUserWaypointsToTiles();

// A new waypoint at the position: "UserTP%d" / "U%d" with the serial (then counted up), the
// terrain elevation (5000 m when unknown) in feet, zoom 2000. Its index.
std::int32_t NewUserWaypoint(const GeoPoint& position);

// "%02d:%02d.%03d%c" of one coordinate (degrees with at least two digits).
std::string FormatWaypointCoordinate(std::int32_t value, bool isLatitude);
// The file line of one waypoint, CR LF included.
std::string FormatUserWaypointLine(std::int32_t index);
// Writes the whole store to the first file of category 1 ("MyCumulor.dat" is named when the
// category has none). The old file is replaced only once the new one is complete: 1 on success,
// 0 (the old file as it was) when the file cannot be written.
int SaveUserWaypoints();

}  // namespace cumulor
