// The point tables: one descriptor per point kind (0..5; 0 and 5 stay empty) with its records,
// names, the distance and bearing of every record from a reference position, and the filtered
// list of the last search.
#pragma once

#include <cstdint>

#include "cumulor/app/base/dyn_array.h"
#include "cumulor/app/base/geo_point.h"

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

// A search of the point lists.
struct SearchRecord {
  char text[64] = {};
  std::int32_t length = 0;
  bool numberMode = false;
  bool prefixMode = false;
  bool directionMode = false;
  bool wildcardMode = false;
  std::int32_t number = 0;
  std::uint32_t maxDistance = 0x7FFFFFFF;
  std::uint32_t firstWord = 0x7FFFFFFF;
  std::int32_t direction = 0;           // degrees
};

void SearchRecordReset(SearchRecord& s);
// Rebuilds the table's filtered list from the search (see the definition for the modes).
void PointListFilter(const SearchRecord& s, std::int32_t kind);

// Name matches of the point lists: the text at the start of the name (case-insensitive), and
// the text anywhere in the code or the name.
bool PrefixMatch(const char* name, const char* text);
bool NameMatch(const char* code, const char* name, const char* text);

}  // namespace cumulor
