// Sub-records of the application record whose modules are not built yet: plain data, built and
// torn down by AppContextInit and AppContextFree. Each module replaces its block with its own
// header when it is built.
#pragma once

#include <cstdint>

#include "cumulor/app/base/dyn_array.h"
#include "cumulor/map/view/map_view.h"
#include "platform/base/types.h"
#include "platform/kernel/sync.h"

namespace cumulor {

// ---- Text context of the IGC and coordinate text operations (seven words they do not read) ----
struct IgcHelper {
  std::int32_t word[7] = {};
};

// ---- Aeronautical database (the tile cache, its map tiles and the overview contours are
// cumulor/data/aero's) ----
struct AeroDb {
  DynArray<std::int32_t> visible{4999};           // the visible database objects
  std::int32_t visibleItemCount = 0;               // the visible-area record
  GeoRect visibleArea;
  DynArray<std::int32_t> visibleObjects{2000};
  CRITICAL_SECTION pointTableLock{};               // shared with the point tables
  std::uint8_t locksReady = 0;
};

}  // namespace cumulor
