#include "cumulor/app/core/commands.h"
#include "cumulor/app/core/navbox_link.h"
#include "cumulor/app/core/team_link.h"
#include "cumulor/map/navbox/nav_box_set.h"
#include "cumulor/map/team/team_grid.h"

#include <chrono>
#include <map>
#include <string>

#include "cumulor/app/core/app_entry.h"
#include "cumulor/app/core/data_reload.h"
#include "cumulor/app/core/main_lock.h"
#include "cumulor/app/core/main_window.h"
#include "cumulor/app/core/map_ops.h"
#include "cumulor/app/core/message_pump.h"
#include "cumulor/app/core/profiles.h"
#include "cumulor/app/core/status_line.h"
#include "cumulor/app/ui/dialog_run.h"
#include "cumulor/app/ui/fonts.h"
#include "cumulor/app/ui/own_dialogs.h"
#include "cumulor/app/ui/screen_layout.h"
#include "cumulor/data/task/task_edit.h"
#include "cumulor/data/task/task_ops.h"
#include "cumulor/data/task/task_slots.h"
#include "cumulor/app/core/aviation_reload.h"
#include "cumulor/data/dialogs/airspace_dialogs.h"
#include "cumulor/data/dialogs/select_files_dialog.h"
#include "cumulor/data/files/data_files.h"
#include "cumulor/map/symbols/map_symbols_dialog.h"
#include "cumulor/data/trail/trail.h"
#include "cumulor/nav/dialogs/flight_stats_dialogs.h"
#include "cumulor/nav/dialogs/port_dialog.h"
#include "cumulor/nav/dialogs/recorder_dialogs.h"
#include "cumulor/nav/dialogs/replay_dialogs.h"
#include "cumulor/nav/gps/gps_input.h"
#include "cumulor/nav/gps/gps_mode_loop.h"
#include "cumulor/nav/recorder/recorder_hooks.h"
#include "cumulor/data/task/task_gates.h"
#include "cumulor/data/task/task_rules.h"
#include "cumulor/map/browser/waypoint_selection.h"
#include "cumulor/nav/thermal/thermal_db.h"
#include "platform/dialogs/message_box.h"
#include "platform/kernel/system_info.h"
#include "platform/display/virtual_keys.h"
#include "platform/files/files.h"
#include "platform/gdi/gdi.h"
#include "platform/resources/resources.h"
#include "platform/shell/launch.h"
#include "platform/text/format.h"
#include "platform/time/time.h"

namespace cumulor {
namespace {

std::map<int, DLGPROC>& Procedures() {
  static std::map<int, DLGPROC> procedures;
  return procedures;
}

INT_PTR AboutProc(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
  if (message == WM_INITDIALOG) {
    SetWindowPos(dialog, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    return TRUE;
  }
  if (message == WM_COMMAND && (LOWORD(wparam) == IDOK || LOWORD(wparam) == IDCANCEL)) {
    PlayMenuClick();
    EndDialog(dialog, LOWORD(wparam));
    return TRUE;
  }
  return FALSE;
}

// The common dialog step: DialogActive around the modal run, then the map refreshed. False when
// the template's dialog is not built (nothing happens).
bool DialogStep(AppContext& app, int templateId, LPARAM param = 0, bool refresh = true) {
  DLGPROC proc = DialogProcedure(templateId);
  if (!proc) return false;
  app.dialogActive = 1;
  RunDialog(templateId, app.mainWindow, proc, param);
  app.dialogActive = 0;
  if (refresh) RefreshMapWindow(app);
  return true;
}

// A Volkslogger dialog (40052: download 133, 40047: declaration 128): the session with the on-task
// rule's sector (a cylinder: kind 360, else 90, its radius), the GPS input in recorder mode for the
// dialog's run, then back to normal mode. The download buffers are allocated before the exchange
// is requested and freed after the worker has left it.
void VolksloggerDialog(AppContext& app, int templateId, DLGPROC procedure) {
  const TaskRule& rule = Rules().rule[kRuleOnTask];
  const std::int32_t kind = rule.type == kGateCylinder ? kDeclarationSectorFull : kDeclarationSectorHalf;
  LoggerSession& session = app.loggerSession;
  if (FAILED(CreateLoggerSession(session, &app.gps, rule.width, kind))) return;
  session.abortEvent = app.abortEvent;
  app.dataFolder.CopyTo(session.dataFolder, MAX_PATH);
  for (std::size_t i = 0; i < MAX_PATH; ++i) session.cardFolder[i] = app.cardFolder[i];
  ResetLoggerEvents(session);
  if (templateId == kVlDownloadDialogTemplate && !AllocateLoggerBuffers(session)) return;
  app.recorderBusy = 1;
  app.dialogActive = 1;
  GpsSetRecorderMode(app.gps, kGpsRecorderMode);
  RunDialog(templateId, app.mainWindow, procedure, reinterpret_cast<LPARAM>(&app));
  GpsSetRecorderMode(app.gps, kGpsNormalMode);
  FreeBuffersAfterExchange(session, std::chrono::seconds(10));
  app.dialogActive = 0;
  app.recorderBusy = 0;
  RefreshMapWindow(app);
}

// A Filser/LX dialog; afterwards the device session ends (its port is closed).
void FilserDialog(AppContext& app, int templateId, LPARAM parameter) {
  app.recorderBusy = 1;
  app.dialogActive = 1;
  RunDialog(templateId, app.mainWindow, LxRecorderDialogProc, parameter);
  app.gps.commandWindow = nullptr;
  app.gps.deviceCommand = kDeviceSessionEnd;
  app.dialogActive = 0;
  app.recorderBusy = 0;
}

void ZoomTo(AppContext& app, std::int32_t index) {
  app.zoomIndex = index;
  MapSetScale(app.map, kZoomTable[index]);
  GridSetOrigin();
  app.mapCentreCopy = GeoPoint{};
  app.recentreCountdown = 2;
  const GeoPoint own = OwnPosition(app);
  MapSetView(app.map, own.lon, own.lat, app.mapRotation);
  UpdateOwnPosition(app, app.map.view, false);
  app.redrawRestart = 1;
  RefreshMapWindow(app);
}

void ZoomStep(AppContext& app, std::int32_t step) {
  const std::int32_t next = app.zoomIndex + step;
  if (next < 0 || next >= kZoomSteps) return;
  app.dialogActive = 1;
  app.zoomIndex = next;
  MapSetScale(app.map, kZoomTable[next]);
  GridSetOrigin();
  const GeoPoint own = OwnPosition(app);
  MapSetView(app.map, own.lon, own.lat, app.mapRotation);
  app.mapCentreCopy = GeoPoint{};
  UpdateOwnPosition(app, app.map.view, true);
  DropQueuedCommand(app);
  app.dialogActive = 0;
  if (step > 0) app.savedZoomIndex = -1;
  RefreshMapWindow(app);
}

void Quit(AppContext& app) {
  app.dialogActive = 1;
  WCHAR text[256] = {};
  LoadStringW(app.instance, 38, text, 256);
  if (MessageBoxW(app.mainWindow, text, u"Cumulor", MB_YESNO) == IDYES) {
    if (IsLargeScreen() && app.mainWindow) {
      HDC dc = GetDC(app.mainWindow);
      RECT r{};
      GetClientRect(app.mainWindow, &r);
      FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
      ReleaseDC(app.mainWindow, dc);
    }
    DestroyWindow(app.mainWindow);
  }
  app.dialogActive = 0;
  RefreshMapWindow(app);
}

void TaskStartOrFinish(AppContext& app, LPARAM lparam) {
  // The frame and the boxes on the notify thread read the task and its clock; nothing here waits
  // for the pilot.
  MainLockGuard lock(app);
  DynArray<TaskPoint>& task = ActiveTask();
  if (task.Empty()) return;
  if (lparam != 0) {
    ApplyEditedTask();
    ResetStatsRecord(app.stats);  // the statistics record starts again
    return;
  }
  DynArray<TaskPoint>& achieved = Tasks().slot[kAchievedSlot];
  if (!achieved.Empty()) {
    SumLegStats(app.stats);
    PlaySoundAsync(u"TADA.wav");
    return;
  }
  // The live optimisation starts here, the statistics record the start point, and the task
  // advances: the start point moves to the achieved list and the next point becomes the target.
  const TaskPoint start = task[0];
  TrailSetOlcStart();
  RecordTaskPoint(app.stats, start);
  AdvanceTask();
  GetLocalTime(&app.taskStartLocal);
  SystemTimeToFileTime(&app.taskStartLocal, &app.taskStartTime);
  if (app.taskTimeMinutes) {
    const std::int64_t start100ns =
        (static_cast<std::int64_t>(app.taskStartTime.dwHighDateTime) << 32) | app.taskStartTime.dwLowDateTime;
    app.taskDeadline = start100ns + static_cast<std::int64_t>(app.taskTimeMinutes) * 60 * 10000000;
    app.taskTimeSeconds = app.taskTimeMinutes * 60;
  } else {
    app.taskDeadline = 0;
    app.taskTimeSeconds = 0;
  }
  app.taskStarted = 1;
  app.taskStartAltitude = GetFlightParameter(app.flight, kParamQnhAltitude);
  PlaySoundAsync(u"Infbeg.wav");
}

void Toggle(AppContext& app, WORD command) {
  std::uint8_t* flag = command == kCmdTerrain ? &app.terrainShown : command == kCmdThermals ? &app.thermalsHidden : &app.labelsShown;
  *flag = *flag ? 0 : 1;
  app.dialogActive = 0;
  RefreshMapWindow(app);
  // The thermals toggle hides them when set; the text tells what is shown.
  const bool shown = command == kCmdThermals ? !*flag : *flag != 0;
  WCHAR text[64];
  ToggleText(command, shown, text, 64);
  if (command == kCmdThermals) OutputDebugStringW(text);
  ShowInfoBox(app, text, app.infoBoxRect, shown ? 1 : 2);
}

void StartExplorer(AppContext& app) {
  WCHAR program[MAX_PATH] = {};
  ExplorerProgram(program, MAX_PATH);
  WCHAR commandLine[2] = {};
  PROCESS_INFORMATION pi{};
  if (CreateProcessW(program, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr, nullptr, &pi)) {
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
  }
  app.explorerStarted = 1;
}

}  // namespace

void SetDialogProcedure(int templateId, DLGPROC procedure) { Procedures()[templateId] = procedure; }

DLGPROC DialogProcedure(int templateId) {
  switch (templateId) {
    case 131: return AboutProc;
    case kPortDialogTemplate: return PortDialogProc;
    case kStatsDialogTemplate: return StatsDialogProc;
    case kContestDialogTemplate: return ContestDialogProc;
    case kMarginsDialogTemplate: return MarginsDialogProc;
    case kMapSymbolsDialog: return MapSymbolsDialogProc;
    case kLoggerDialogTemplate: return LoggerDialogProc;
    case kReplayWindowTemplate: return ReplaySpeedDialogProc;
    case kEvaluateFlightTemplate: return EvaluateFlightDialogProc;
    case kFlarmDialogTemplate: return FlarmDialogProc;
    case kSelectFilesDialog: return SelectFilesDialogProc;
    case kAirspaceAlarmDialog: return AirspaceAlarmDialogProc;
    case kDisabledAirspaceDialog: return DisabledAirspaceDialogProc;
    case kAltitudeWarningDialog: return AltitudeWarningDlgProc;
    case kExportDataDialog: return ExportDataDialogProc;
    case kProfilesDialog: return ProfilesDialogProc;
    default: break;
  }
  auto it = Procedures().find(templateId);
  return it == Procedures().end() ? nullptr : it->second;
}

void ToggleText(WORD command, bool on, WCHAR* buffer, std::size_t size) {
  const char16_t* format = command == kCmdTerrain ? u"Terrain is %hs" : command == kCmdThermals ? u"Thermals are  %hs" : u"Labels %hs";
  ce::text::CopyOut(buffer, size, ce::text::Format(format, on ? "ON" : "OFF"));
}

void ShowInfoBox(AppContext& app, const WCHAR* text, const RECT& rect, std::int32_t kind) {
  if (app.mainWindow) {
    if (HDC dc = GetDC(app.mainWindow)) {
      RoundRect(dc, rect.left, rect.top - 2, rect.right, rect.bottom, 5, 5);
      HGDIOBJ old = nullptr;
      if (HFONT* font = FontHandleSlot(kFontSmall); font && *font) old = SelectObject(dc, *font);
      RECT r = rect;
      SetBkMode(dc, TRANSPARENT);
      DrawTextW(dc, text, -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
      if (old) SelectObject(dc, old);
      ReleaseDC(app.mainWindow, dc);
    }
  }
  if (kind == 1) PlaySoundAsync(u"infbeg.wav");
  if (kind == 2) PlaySoundAsync(u"infend.wav");
  if (kind == 3) PlaySoundAsync(u"Exclam.wav");
}

void ExplorerProgram(WCHAR* out, std::size_t size) {
  std::u16string program;
  HANDLE file = CreateFileW(u"\\Program Files\\CumulorRun.txt", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    char bytes[256] = {};
    DWORD read = 0;
    if (ReadFile(file, bytes, sizeof(bytes) - 1, &read, nullptr)) {
      for (DWORD i = 0; i < read && bytes[i] != '\n' && bytes[i] != 0 && program.size() < 64; ++i)
        program += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]));
      if (!program.empty() && program.back() == u'\r') program.pop_back();
    }
    CloseHandle(file);
  }
  if (program.empty()) program = u"\\Windows\\fexplore.exe";
  ce::text::CopyOut(out, size, program);
}

void OnCommand(AppContext& app, WPARAM wparam, LPARAM lparam) {
  EnterCriticalSection(&app.mainLock);  // the status line on the notify thread sets the popup too
  app.map.popup.kind = app.map.popup.kind == 1 || app.map.popup.kind == 2 ? 0 : app.map.popup.kind;
  LeaveCriticalSection(&app.mainLock);
  const WORD id = LOWORD(wparam);
  if (id >= kCmdZoomFirst && id <= kCmdZoomLast) {
    ZoomTo(app, id - kCmdZoomFirst);
    return;
  }
  if (id >= kCmdTeamMarkFirst && id <= kCmdTeamMarkFirst + 2) {
    TeamMarkCommandFor(app, id - kCmdTeamMarkFirst);
    return;
  }
  if (id >= kCmdProfileFirst && id < kCmdProfileFirst + kProfileCount) {
    // The menu's "1 Prof" .. "3 Prof": the saved profile applied at once, the map shown again.
    app.dialogActive = 1;
    LoadProfile(app, id - kCmdProfileFirst);
    {
      // The notify thread draws the frame from the view under the main lock.
      MainLockGuard lock(app);
      MapSetView(app.map, app.mapCentre.lon, app.mapCentre.lat, app.mapRotation);
    }
    app.dialogActive = 0;
    RefreshMapWindow(app);
    return;
  }
  switch (id) {
    case kCmdShowPosition: {
      app.dialogActive = 1;
      WCHAR text[32];
      FormatPosition(app.mapCentre, text);
      MessageBoxOk(text);
      app.dialogActive = 0;
      return;
    }
    case kCmdStartGps:
      if (!app.gpsThreadsStarted) {
        app.gpsThreadsStarted = 1;
        GpsStart(app.gps, GpsDataCallback, app.simulator, app.mainWindow);
      }
      RunStartupDoneHook(app);
      return;
    case kCmdStartup: StartupSequence(app); return;
    case kCmdRecentre: {
      app.map.panX = app.map.panY = 0;
      const GeoPoint own = OwnPosition(app);
      MapSetView(app.map, own.lon, own.lat, app.mapRotation);
      UpdateOwnPosition(app, app.map.view, false);
      RefreshMapWindow(app);
      return;
    }
    case kCmdZoomCloser: ZoomStep(app, -1); return;
    case kCmdZoomWider: ZoomStep(app, +1); return;
    case kCmdQuit: Quit(app); return;
    case kCmdTaskStart: TaskStartOrFinish(app, lparam); return;
    case kCmdMark:
      AddMark(app, OwnPosition(app));
      app.dialogActive = 0;
      return;
    case kCmdTeamGrid: RunTeamSetup(app); return;
    case kCmdThermalView:
      if (app.thermalViewShown) {
        CloseWindProfileView(app.thermalView);
      } else {
        app.thermalViewShown = 1;
        NavBoxSetHide(app.navBoxes);
      }
      app.dialogActive = 0;
      RefreshMapWindow(app);
      return;
    case kCmdMenu: MenuHandleClick(app.menu, kCmdMenu, 0, 0, nullptr); return;
    case kCmdAbout: DialogStep(app, 131); return;
    case kCmdReplayEnded:
      // A replay started since this was posted keeps its window.
      if (app.gps.replayActive) return;
      if (HWND window = app.replayWindow.exchange(nullptr)) DestroyWindow(window);
      return;
    case kCmdReload:
      ReloadDataFiles(app, lparam);
      app.dialogActive = 0;
      if (app.mainWindow) SetFocus(app.mainWindow);
      return;
    case kCmdLoadUserWaypoints: RebuildUserWaypoints(app); return;
    case kCmdSimDeclaration: {
      app.dialogActive = 1;
      if (!app.simulator) {
        WCHAR text[256] = {};
        LoadStringW(app.instance, 59, text, 256);
        MessageBoxOk(text);
      } else if (ActiveTask().Empty()) {
        WCHAR text[256] = {};
        LoadStringW(app.instance, 60, text, 256);
        MessageBoxOk(text);
      } else {
        FilserDialog(app, kDeclarationDialogTemplate, 0);
      }
      app.dialogActive = 0;
      return;
    }
    case kCmdVlDeclaration: VolksloggerDialog(app, kDeclarationDialogTemplate, VlDeclarationDialogProc); return;
    case kCmdVlDownload: VolksloggerDialog(app, kVlDownloadDialogTemplate, VlDownloadDialogProc); return;
    case kCmdExplorer: StartExplorer(app); return;
    case kCmdDialogDone:
      app.dialogActive = 0;
      RefreshMapWindow(app);
      return;
    case kCmdPort: DialogStep(app, kPortDialogTemplate); return;
    case 40156: ChooseLanguage(app); return;
    case kCmdThermalQuery:
      app.dialogActive = 1;
      ThermalQueryDialog(app.mainWindow);
      app.dialogActive = 0;
      RefreshMapWindow(app);
      return;
    case kCmdFonts:
      app.dialogActive = 1;
      // A role's font changes in the dialog at once: the boxes are measured and laid out again.
      if (SelectFontDialog(app.mainWindow) != -1) NavBoxSetRearrange(app.navBoxes, false);
      app.dialogActive = 0;
      RefreshMapWindow(app);
      return;
    case kCmdTerrain:
    case kCmdThermals:
    case kCmdLabels: Toggle(app, id); return;
    case 40147:
      PlayMenuClick();
      DialogStep(app, 189);
      return;
    case kCmdCloseMenu:
      MenuClose(app.menu);
      CloseMenuLoop(app);
      CloseModelessDialogs(app);
      return;
    case kCmdZoomLayers:
      // The per-layer zoom dialog of the vector map, modeless over the map.
      if (DLGPROC proc = DialogProcedure(155)) {
        app.dialogActive = 1;
        app.zoomLayerDialog = CreateModelessDialog(155, app.mainWindow, proc, app.zoomIndex);
        if (app.zoomLayerDialog) ShowWindow(app.zoomLayerDialog, SW_SHOW);
      }
      return;
    case 40053:
      // The recorder dialog, with the full-screen guard; no refresh.
      if (DialogProcedure(134)) {
        app.dialogActive = 1;
        RunDialog(134, app.mainWindow, DialogProcedure(134), 0);
        app.dialogActive = 0;
      }
      return;
    case kCmdLxDownload: FilserDialog(app, kLxDownloadDialogTemplate, 1); return;
    // Commands that open a dialog of another module, each with its template.
    case 40056: DialogStep(app, 138, 0, false); return;
    case 40057: DialogStep(app, kDisabledAirspaceDialog, reinterpret_cast<LPARAM>(&app.airspace), false); return;
    case 40101: DialogStep(app, 161); return;
    case 40105: RunNavBoxListCommand(app); return;
    case kCmdReloadAviationData: OnReloadAviationData(app, lparam); return;
    case 40106: {
      AppContext* record = &app;
      SelectFilesHooks hooks;
      hooks.commandWindow = app.mainWindow;
      hooks.closeModeless = [record] { CloseModelessDialogs(*record); };
      hooks.statusString = [record](int id) { ShowStatusStringId(*record, static_cast<UINT>(id)); };
      hooks.opened = [record](HWND dialog, bool overMap) {
        if (overMap) {
          SetActiveDialog(*record, dialog, 0);
        } else {
          record->countryWindow = dialog;
          record->dialogActive = 1;
        }
      };
      hooks.closed = [record](HWND dialog) {
        if (record->activeDialog == dialog) SetActiveDialog(*record, nullptr, 0);
        if (record->countryWindow == dialog) record->countryWindow = nullptr;
        record->dialogActive = 0;
      };
      SetSelectFilesHooks(hooks);
      DialogStep(app, kSelectFilesDialog);
      if (app.mainWindow) SetFocus(app.mainWindow);
      return;
    }
    case 40107: DialogStep(app, 172); return;
    case 40108: DialogStep(app, 127); return;
    case 40109: DialogStep(app, 168); return;
    case 40111: DialogStep(app, 179); return;
    case 40113: DialogStep(app, 185); return;
    case 40114: DialogStep(app, 121); return;
    case 40115: DialogStep(app, 117); return;
    case 40116: DialogStep(app, 110); return;
    case 40117: DialogStep(app, 122); return;
    case 40141: DialogStep(app, 186); return;
    case 40145: DialogStep(app, 188); return;
    case 40152: DialogStep(app, 192); return;
    case 40155: DialogStep(app, 195); return;
    case 40157: DialogStep(app, 199, 0, false); return;
    case 40161: DialogStep(app, 200); return;
    case 40162: DialogStep(app, kExportDataDialog); return;
    case 40166: DialogStep(app, 208); return;
    case kCmdNewGoto:
      // A new go-to: the task's start-line progress starts afresh, and the point chosen in the
      // lists becomes the target.
      ResetStartLineChecks();
      ClearGotoTarget(kBrowsePurposeGoto);
      [[fallthrough]];
    case 40085:
    case 40102:
      if (DialogStep(app, 162, id == 40085 ? 1 : 0)) {
        const GeoPoint own = OwnPosition(app);
        MapSetView(app.map, own.lon, own.lat, app.mapRotation);
        UpdateOwnPosition(app, app.map.view, false);
        app.redrawRestart = 1;
        RefreshMapWindow(app);
      }
      return;
    default: return;
  }
}

}  // namespace cumulor
