// The point tables: one descriptor per point kind (0..5; 0 and 5 stay empty) with its records,
// names, the distance and bearing of every record from a reference position, and the filtered
// list of the last search with the search record it came from.
#pragma once

#include <cstdint>

#include "cumulor/app/base/dyn_array.h"
#include "cumulor/app/base/geo_point.h"
#include "cumulor/data/aero/point_search.h"

namespace cumulor {

struct PointTable {
  std::int32_t kind = 0;
  DynArray<const void*> records;        // index 0: the placeholder record
  const DynArray<char*>* names = nullptr; // airports and navaids; null for the others
  DynArray<std::uint16_t> bearings;     // degrees, one per record
  DynArray<std::uint32_t> distances;    // metres, one per record
  DynArray<std::uint32_t> index;        // count - 1 entries, for the list views
  DynArray<std::int32_t> filtered;      // record indexes found by the last search
  std::int32_t listImage = 0;           // 0 airports, 1 navaids, 3 intersections, 4 user waypoints
  std::int32_t iconId = 0;              // 164, 163, 165, 176
  GeoPoint reference;                   // where distances and bearings were computed from
  std::uint8_t displayFlag = 0;         // drawn on the map
  SearchRecord search;                  // the table's search in the point lists

  std::int32_t Count() const { return records.Size(); }
};

inline constexpr std::int32_t kPointTableCount = 6;
PointTable& PointTableOf(std::int32_t kind);

// Kind 0 builds tables 1 to 4, kinds 1 to 4 that table; then sizes the bearing, distance and
// index arrays of all six tables.
void BuildPointIndexes(std::int32_t kind);
// Tables 1, 2, 4 and 5 drawn, intersections (3) hidden.
void ResetPointDisplayFlags();
// Reference positions of tables 1..5 to (0, 0), so that the next update recomputes them.
void ResetPointTableOrigins();
// When the position lies at least 1000 m (flat distance) from the table's reference, it becomes
// the reference and every record gets its distance and bearing from it.
void UpdatePointDistances(const GeoPoint& position, std::int32_t kind);

// Frees every table's records, distances, bearings and lists and resets its search and reference
// (at shutdown; BuildPointIndexes fills them again).
void FreePointTables();
// Resets the search records of tables 1 to 5 (after the point data were reloaded).
void ResetSearchStates();
// Rebuilds the table's filtered list from the search (see the definition for the modes).
void PointListFilter(const SearchRecord& s, std::int32_t kind);

}  // namespace cumulor
