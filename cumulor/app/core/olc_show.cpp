#include "cumulor/app/core/olc_show.h"

#include <mutex>

#include "cumulor/app/app_context.h"
#include "cumulor/app/core/map_ops.h"
#include "cumulor/app/core/status_line.h"
#include "cumulor/data/trail/trail.h"
#include "cumulor/nav/replay/igc_fix_reader.h"

namespace cumulor {

void ShowLoadedFlight(AppContext& app) {
  app.dialogActive = 1;
  app.replay.hold = 1;
  IgcFileClose(app);
  ShowStatusText(app, u"Optimizing OLC...");
  RefreshMapWindow(app);
  {
    LoadedFlight& flight = app.loadedFlight;
    std::lock_guard<std::mutex> guard(flight.lock);
    for (std::int32_t i = 0; i < flight.FixCount(); ++i) TrailAddFix(flight.fixes[i], true);
  }
  TrailOptimize();
  app.replay.hold = 0;
  app.dialogActive = 0;
}

}  // namespace cumulor
