#include "cumulor/app/core/replay_link.h"

#include "cumulor/app/core/map_ops.h"
#include "cumulor/app/core/status_line.h"
#include "cumulor/app/ui/dialog_run.h"
#include "cumulor/data/trail/trail.h"
#include "cumulor/nav/dialogs/replay_dialogs.h"
#include "cumulor/nav/gps/gps_mode_loop.h"
#include "cumulor/nav/replay/igc_fix_reader.h"
#include "platform/dialogs/commdlg.h"
#include "platform/dialogs/message_box.h"
#include "platform/window/window.h"

namespace cumulor {
namespace {

void (*g_showHook)(AppContext&) = nullptr;

void Done(AppContext& app) {
  // The wind history starts again with the new flight.
  ResetWindHistory(app.thermalView);
  app.dialogActive = 0;
  RefreshMapWindow(app);
}

}  // namespace

void SetShowFlightHook(void (*hook)(AppContext& app)) { g_showHook = hook; }

void OlcOptimizeCommand(AppContext& app, WPARAM command, LPARAM) {
  app.loadedFlight.ownFile = 0;
  app.dialogActive = 1;
  app.replay.fixTimesSetClock = 0;
  IgcFileClose(app);
  if (command != kFlightShow && command != kFlightPlayback) {
    app.dialogActive = 0;
    RefreshMapWindow(app);
    return;
  }
  WCHAR path[MAX_PATH] = {};
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = app.mainWindow;
  ofn.lpstrFilter = u"IGC-Format (*.igc)\0*.igc\0";
  ofn.lpstrFile = path;
  ofn.nMaxFile = MAX_PATH;
  ofn.lpstrInitialDir = u"\\My Documents";
  ofn.lpstrTitle = u"Select a flight";
  ofn.Flags = OFN_FILEMUSTEXIST;
  if (!GetOpenFileNameW(&ofn) || path[0] == 0) {
    app.dialogActive = 0;
    RefreshMapWindow(app);
    return;
  }
  const HRESULT opened = IgcFileOpen(app, path);  // a file that cannot be opened leaves the flight empty
  if (app.mainWindow) SetWindowTextW(app.mainWindow, path);
  ShowStatusText(app, u"Please Wait...");
  TrailClear();
  FreeIgcFixes(app);
  LoadIgcFixes(app);
  if (const std::u16string why = NoFixReason(app, path, opened); !why.empty()) {
    // Nothing to replay or show: the pilot is told why instead of a replay that ends at once.
    IgcFileClose(app);
    if (app.mainWindow) SetWindowTextW(app.mainWindow, u"Cumulor");
    MessageBoxW(app.mainWindow, why.c_str(), u"Cumulor", MB_OK | MB_ICONEXCLAMATION);
  } else if (command == kFlightPlayback) {
    app.replay.fixTimesSetClock = 1;
    // A replay window of an earlier replay goes; the new one belongs to this replay.
    if (HWND old = app.replayWindow.exchange(nullptr)) DestroyWindow(old);
    ReplayStart(app);
    HWND window = CreateModelessDialog(kReplayWindowTemplate, app.mainWindow, ReplaySpeedDialogProc, 0);
    app.replayWindow = window;
    if (window) ShowWindow(window, SW_SHOW);
  } else if (g_showHook) {
    g_showHook(app);
  }
  Done(app);
}

}  // namespace cumulor
