// The readable texts of airspace: the three lines a map tap lists for a file airspace and for a
// database airspace (name, limits, distance), the limit texts, and the text export of the database
// airspace and airports ("\KV_Export.txt").
#pragma once

#include <cstdint>
#include <string>

#include "cumulor/data/airspace/airspace_shape.h"
#include "cumulor/data/points/aero_records.h"

namespace cumulor {

// "%dMSL", "%dAGL", "FL%d" (value / 100), "GND", "UNLIMITED", "BY NOTAM"; other types: "".
std::u16string AeroLimitText(const AeroLimit& limit);
// The class name of a database airspace, "?" outside 0..15.
const char* AeroAirspaceClassText(std::int32_t airspaceClass);

std::u16string AirspaceNameText(const AirspaceShape& shape);
// "%s - %s": the floor and the ceiling as written in the file.
std::u16string AirspaceLimitsText(const AirspaceShape& shape);
// "Distance: Inside", or "Distance: " with the distance to the outline (one decimal) and the unit.
std::u16string AirspaceDistanceText(const AirspaceShape& shape, const GeoPoint& position, const std::u16string& unit);

// "%hs: %hs %hs" with the class, the long and the short name (short first when `shortFirst`), and
// the suffix last when it is not empty.
std::u16string AeroAirspaceInfoText(const AeroAirspace& airspace, bool shortFirst);
std::u16string AeroAirspaceLimitsText(const AeroAirspace& airspace);
std::u16string AeroAirspaceDistanceText(const AeroAirspace& airspace, const GeoPoint& position,
                                        const std::u16string& unit);
// The map label: the short name (with `shortFirst`) or the long name, then the suffix.
std::string AeroAirspaceLabel(const AeroAirspace& airspace, bool shortFirst);

// Writes the database airspace and the airports of the aeronautical tables to `path`: 1 when every
// write and the close succeeded. The text goes to a temporary file beside it that replaces the old
// file only then, so a failed export leaves an earlier file whole.
int ExportAeroData(const WCHAR* path);

}  // namespace cumulor
