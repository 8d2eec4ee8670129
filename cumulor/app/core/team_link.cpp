#include "cumulor/app/core/team_link.h"

#include "cumulor/app/core/commands.h"
#include "cumulor/app/core/map_ops.h"
#include "cumulor/app/ui/dialog_run.h"
#include "cumulor/map/team/team_dialogs.h"
#include "cumulor/map/team/team_grid.h"
#include "platform/window/window.h"

namespace cumulor {

namespace {

GeoPoint MapPosition() {
  AppContext* app = AppRecord();
  return app ? app->mapCentre : GeoPoint{};
}

void PanTo(const GeoPoint& position) {
  AppContext* app = AppRecord();
  if (!app) return;
  app->map.panX = position.lon - app->mapCentre.lon;
  app->map.panY = position.lat - app->mapCentre.lat;
  UpdateOwnPosition(*app, app->map.view, false);
}

}  // namespace

void InstallTeamHooks() { SetTeamMapLink(TeamMapLink{MapPosition, PanTo}); }

void TeamMarkCommandFor(AppContext& app, std::int32_t slot) {
  if (!TeamMarkCommand(slot, app.mainWindow)) {
    PlaySoundAsync(u"Splat.wav");
    PostMessageW(app.mainWindow, WM_COMMAND, kCmdTeamGrid, 0);
  }
  RefreshMapWindow(app);
}

void RunTeamSetup(AppContext& app) {
  app.dialogActive = 1;
  TeamDialog(app.mainWindow);
  app.dialogActive = 0;
  RefreshMapWindow(app);
}

}  // namespace cumulor
