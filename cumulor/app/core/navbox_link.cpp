#include "cumulor/app/core/navbox_link.h"

#include <functional>
#include <utility>

#include "cumulor/app/core/gps_update.h"
#include "cumulor/app/core/main_lock.h"
#include "cumulor/app/core/map_ops.h"
#include "cumulor/app/core/pen_input.h"
#include "cumulor/app/core/settings_document.h"
#include "cumulor/app/ui/dialog_run.h"
#include "cumulor/app/ui/screen_layout.h"
#include "cumulor/map/browser/waypoint_selection.h"
#include "cumulor/map/navbox/nav_box_set.h"
#include "cumulor/map/navbox_ui/nav_box_dialogs.h"
#include "cumulor/map/navbox_ui/nav_box_draw.h"
#include "cumulor/map/navbox_values/nav_box_values.h"
#include "platform/dialogs/message_box.h"
#include "platform/window/window.h"

namespace cumulor {
namespace {

constexpr std::int32_t kPurposePointSelection = 4;
constexpr WPARAM kCmdWaypointBrowser = 40102;

// The action a box tap asked for, run once the pen handling let go of the main lock (UI thread).
std::function<void()>& PendingTapAction() {
  static std::function<void()> action;
  return action;
}

}  // namespace

void RunNavBoxTapAction() {
  std::function<void()> action = std::move(PendingTapAction());
  PendingTapAction() = nullptr;
  if (action) action();
}

std::atomic<bool>& NavBoxStartAllowed() {
  static std::atomic<bool> allowed{false};
  return allowed;
}

void InstallNavBoxHooks(AppContext& app) {
  NavBoxSetGlobal() = &app.navBoxes;
  NavBoxInstallWindowHooks(app.navBoxes);
  AppContext* record = &app;
  NavBoxHooks& hooks = app.navBoxes.hooks;
  hooks.dialogActive = [record](bool on) { record->dialogActive = on ? 1 : 0; };
  hooks.startAllowed = [] { return NavBoxStartAllowed().load(); };
  hooks.startTap = [record] {
    PendingTapAction() = [record] {
      PlayMenuClick();
      ConfirmNextWaypoint(*record);
    };
  };
  hooks.radialTap = [record] {
    PendingTapAction() = [record] {
      if (MessageBoxW(record->mainWindow, u"Select New Reference Point?", u"Select", MB_YESNO) != IDYES) return;
      ClearGotoTarget(kPurposePointSelection);
      SendMessageW(record->mainWindow, WM_COMMAND, kCmdWaypointBrowser, 0);
    };
  };
  if (std::function<void(std::int32_t)> open = hooks.appearance) {
    hooks.appearance = [open](std::int32_t box) { PendingTapAction() = [open, box] { open(box); }; };
  }
  hooks.resized = [record] {
    RECT client{};
    if (record->mainWindow && GetClientRect(record->mainWindow, &client))
      PostMessageW(record->mainWindow, WM_SIZE, 0, MAKELPARAM(client.right - client.left, client.bottom - client.top));
  };

  NavBoxValueSources& sources = NavBoxValueSourcesInstalled();
  sources.referencePoint = [] { return KeptSettings().radialPoint; };
  sources.requiredGlideRatio = [] {
    const AppContext* record = AppRecord();
    return record != nullptr ? record->requiredGlideRatio.load() : std::int32_t{999};
  };

  NavBoxDialogHooks& dialogs = NavBoxDialogHooksInstalled();
  dialogs.requiredAltitude = [record] { return record->flight.requiredAltitudeMode.load(); };
  dialogs.startSwitchedOff = [] { FixHandling().startArmed = 0; };
  dialogs.refreshMap = [record] { RefreshMapWindow(*record); };
  dialogs.highResolution = [] { return IsLargeScreen(); };
}

void RunNavBoxListCommand(AppContext& app) {
  app.dialogActive = 1;
  RunNavBoxListDialog(app.mainWindow);
  NavBoxSetRepairLinks(app.navBoxes);
  app.dialogActive = 0;
  RefreshMapWindow(app);
}

void NavBoxFirstFix(AppContext& app) {
  if (app.navBoxes.ready) return;
  MainLockGuard guard(app);  // the UI thread lays the boxes out and draws them as well
  if (!app.navBoxes.window) app.navBoxes.window = app.mainWindow;
  NavBoxSetApplyLanguage(app.navBoxes);
  NavBoxValuesUpdate(app);
  NavBoxSetActivate(app.navBoxes);
}

}  // namespace cumulor
