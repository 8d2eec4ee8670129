#include "cumulor/nav/engine/engine_context.h"
#include "cumulor/data/trail/trail.h"
#include "cumulor/nav/gps/gps_input.h"
#include "cumulor/nav/igc/igc_log.h"

namespace cumulor {

HRESULT FixBufferReserve(GpsPort& gps, std::int32_t entries) {
  if (entries < kMinFixHistory) entries = kMinFixHistory;
  std::lock_guard<std::mutex> lock(gps.dataLock);
  if (gps.historyCapacity >= entries) return S_OK;
  DynArray<GpsFix> grown;
  if (grown.SetSize(entries) != S_OK) {
    EngineContext* app = gps.app;
    if (app && app->messageBox) app->messageBox(app, u"Out of Program Memory", u"Cumulor");
    return E_OUTOFMEMORY;
  }
  // The kept fixes move over newest first, so the ring starts again at slot 0.
  for (std::int32_t i = 0; i < gps.historyCount; ++i)
    grown[i] = gps.history[(gps.historyHead + i) % gps.historyCapacity];
  gps.history = std::move(grown);
  gps.historyCapacity = entries;
  gps.historyHead = 0;
  return S_OK;
}

void StoreFix(GpsPort& gps, const GpsFix& fix) {
  {
    std::lock_guard<std::mutex> lock(gps.dataLock);
    if (gps.historyCapacity == 0) return;
    // The newest fix takes the slot before the current newest; when full, that is the oldest.
    gps.historyHead = (gps.historyHead + gps.historyCapacity - 1) % gps.historyCapacity;
    gps.history[gps.historyHead] = fix;
    if (gps.historyCount < gps.historyCapacity) ++gps.historyCount;
  }
  EngineContext* app = gps.app;
  if (gps.mode == 0 && app && app->igcFile != INVALID_HANDLE_VALUE) IgcWriteB(gps, fix);
  TrailAddFix(fix, app && app->liveOptimisation);
}

}  // namespace cumulor
