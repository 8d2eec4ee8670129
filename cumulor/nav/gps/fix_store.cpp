#include "cumulor/app/app_context.h"
#include "cumulor/map/trail/trail.h"
#include "cumulor/nav/gps/gps_input.h"
#include "cumulor/nav/igc/igc_log.h"

namespace cumulor {

HRESULT FixBufferReserve(GpsPort& gps, std::int32_t entries) {
  if (entries < kMinFixHistory) entries = kMinFixHistory;
  std::lock_guard<std::mutex> lock(gps.dataLock);
  if (gps.historyCapacity >= entries) return S_OK;
  DynArray<GpsFix> grown;
  const std::int32_t count = gps.history.Size();
  if (grown.SetSize(entries) != S_OK || grown.SetSize(count) != S_OK) {
    AppContext* app = gps.app;
    if (app && app->messageBox) app->messageBox(app, u"Out of Program Memory", u"Cumulor");
    return E_OUTOFMEMORY;
  }
  for (std::int32_t i = 0; i < count; ++i) grown[i] = gps.history[i];
  gps.history = std::move(grown);
  gps.historyCapacity = entries;
  return S_OK;
}

void StoreFix(GpsPort& gps, const GpsFix& fix) {
  {
    std::lock_guard<std::mutex> lock(gps.dataLock);
    if (gps.historyCapacity == 0) return;
    const std::int32_t count = gps.history.Size();
    if (count < gps.historyCapacity) gps.history.SetSize(count + 1);
    for (std::int32_t i = gps.history.Size() - 1; i > 0; --i) gps.history[i] = gps.history[i - 1];
    gps.history[0] = fix;
  }
  AppContext* app = gps.app;
  if (gps.mode == 0 && app && app->igcFile != INVALID_HANDLE_VALUE) IgcWriteB(gps, fix);
  TrailAddFix(fix, app && app->liveOptimisation);
}

}  // namespace cumulor
