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

// ---- Vector map objects ----
struct VectorMapStore {
  std::int32_t objectCount = 0;
};

// ---- Aeronautical database with its tile cache ----
inline constexpr std::int32_t kTileSlotCount = 9;

struct TileSlot {
  DynArray<std::int32_t> list[4];
  std::int32_t count = 0;
};

struct AeroDb {
  DynArray<std::int32_t> visible{4999};           // the visible database objects
  std::int32_t visibleItemCount = 0;               // the visible-area record
  GeoRect visibleArea;
  DynArray<std::int32_t> visibleObjects{2000};
  TileSlot slot[kTileSlotCount];
  std::int32_t slotParameters[2] = {9, 3};
  CRITICAL_SECTION tileLock{};
  RECT tileRect[12] = {};
  CRITICAL_SECTION pointTableLock{};               // shared with the point tables
  std::uint8_t locksReady = 0;
};

}  // namespace cumulor
