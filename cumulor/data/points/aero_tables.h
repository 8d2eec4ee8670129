// The program-wide aeronautical tables the KA1 reader fills and the point references resolve into.
//
// Every record and text table keeps a placeholder at index 0, so that index 0 means none; the
// database airspaces have no placeholder. The name tables always have the airport table's count
// (an airport without a name has an absent entry). Text entries are owned (new[]) and null when
// absent.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "cumulor/data/points/aero_records.h"

namespace cumulor {

inline constexpr std::size_t kKa1HeaderSize = 512;

struct AeroTables {
  AeroTables();
  ~AeroTables();
  AeroTables(const AeroTables&) = delete;
  AeroTables& operator=(const AeroTables&) = delete;

  std::uint8_t header[kKa1HeaderSize] = {};   // the header of the last file read
  std::int32_t regionKind = 0;                // 1: the regions are states

  DynArray<AirportRecord> airports;
  DynArray<char*> airportNames;
  DynArray<char*> nearNames;                  // the second ("near") airport names
  DynArray<RunwayRecord> runways;
  DynArray<FrequencyRecord> frequencies;
  DynArray<char*> frequencyTexts;             // the texts frequencies refer to
  DynArray<char*> remarks;                    // first byte: the remark type
  DynArray<NavaidRecord> navaids;             // placeholder only
  DynArray<char*> navaidNames;                // placeholder only
  DynArray<IntersectionRecord> intersections; // placeholder only
  std::vector<std::unique_ptr<AeroAirspace>> airspaces;
  std::vector<std::int32_t> airspaceInView;   // one per airspace: 1 while its bounds meet the view

  DynArray<RegionRecord> allRegions;          // offered by the files
  DynArray<RegionRecord> selectedRegions;
  DynArray<std::uint16_t> loadedIds;          // database airspace ids loaded from the current file

  // Empties every table down to its placeholder (texts freed), the regions and the airspaces.
  void Clear();
};

// The process's aeronautical tables.
AeroTables& AeroData();

}  // namespace cumulor
