#include "cumulor/app/core/data_reload.h"

#include <mutex>
#include <string>

#include "cumulor/app/base/language.h"
#include "cumulor/app/core/aviation_reload.h"
#include "cumulor/app/core/commands.h"
#include "cumulor/app/core/map_ops.h"
#include "cumulor/app/core/target_select.h"
#include "cumulor/app/core/vector_map_link.h"
#include "cumulor/app/ui/own_dialogs.h"
#include "cumulor/data/aero/point_table_lock.h"
#include "cumulor/data/aero/point_tables.h"
#include "cumulor/data/airspace/airspace_reader.h"
#include "cumulor/data/dialogs/data_file_chooser.h"
#include "cumulor/data/points/point_texts.h"
#include "cumulor/data/task/task_ops.h"
#include "cumulor/data/task/task_store.h"
#include "cumulor/data/waypoints/user_waypoint_reader.h"
#include "cumulor/data/waypoints/user_waypoint_store.h"
#include "cumulor/map/browser/waypoint_selection.h"
#include "cumulor/nav/gps/gps_port.h"
#include "cumulor/nav/polar/polar.h"
#include "cumulor/nav/thermal/thermal_db.h"
#include "platform/text/format.h"
#include "platform/window/window.h"

namespace cumulor {
namespace {

constexpr std::int32_t kNoCategory = -1;

bool Listed(std::int32_t category) { return !SelectedDataFiles()[category].selected.Empty(); }

void Finish(AppContext& app) {
  app.dialogActive = 0;
  if (app.mainWindow) SetFocus(app.mainWindow);
}

// The thermal database of category 7 and what shows it.
void ReloadThermals(AppContext& app) {
  if (!ThermalDbLoad()) MessageBoxOkA("Error");
  app.thermalsHidden = 0;
  ThermalUpdate(nullptr);
  UpdateOwnPosition(app, app.map.view, false);
}

// The polar of category 3; an empty category names its polar "Default".
void ReloadPolar(AppContext& app) {
  const WCHAR* path = GetDataFilePath(kFilesPolar);
  const std::u16string pathCopy = path ? path : u"";
  const WCHAR* name = GetDataFileEntry(kFilesPolar);
  const std::u16string nameCopy = name ? name : u"";
  if (LoadPolar(app.flight, path ? pathCopy.c_str() : nullptr, name ? nameCopy.c_str() : nullptr) ==
      PolarSource::DefaultForEmptyCategory)
    SetDataFileName(kFilesPolar, u"Default");
}

// After the aeronautical database changed: the active task goes when no database is selected, a
// target is chosen again and the view follows.
void AfterAviationReload(AppContext& app) {
  if (!Listed(kFilesAviationDb)) ClearActiveTask();
  SelectTargetPoint(app);
  ResetPointTableOrigins();
  ResetSearchStates();
  UpdateOwnPosition(app, app.map.view, false);
}

void ClearTargetRefs(TaskPoint& point) { TaskPointInit(point); }

}  // namespace

DataFileLoadHooks AppDataFileLoadHooks(AppContext& app) {
  AppContext* record = &app;
  DataFileLoadHooks hooks;
  // The data-file module gives the whole text ("Installing <name>").
  hooks.installMessage = [](const WCHAR* text) { MessageBoxOk(text); };
  hooks.setupFinished = [record] { SetupFinished(*record); };
  hooks.buildPointIndexes = [] { BuildPointIndexes(0); };
  hooks.reload = [record](std::int32_t type) {
    if (record->mainWindow) SendMessageW(record->mainWindow, WM_COMMAND, kCmdReload, type);
  };
  return hooks;
}

void InstallDataFileChooserHooks(AppContext& app) {
  AppContext* record = &app;
  ChooserHooks hooks;
  hooks.owner = app.mainWindow;
  hooks.dialogActive = [record](bool active) { record->dialogActive = active ? 1 : 0; };
  hooks.afterAviationDb = [record](bool noDatabase) {
    if (noDatabase) ClearActiveTask();
    RestoreGotoTarget();
    SelectTargetPoint(*record);
  };
  SetChooserHooks(hooks);
}

void ApplyFilesElement(AppContext& app, const XmlNode& files, std::int32_t mode) {
  if (mode == 2) return;
  LoadDataFileLists(files, mode, AppDataFileLoadHooks(app));
}

void ApplySelectedLanguage() {
  if (!ListLanguageFiles()) return;
  // The name is copied: selecting a language rebuilds the menus, which may read the lists again.
  const WCHAR* name = GetDataFileEntry(kFilesLanguages);
  const std::u16string chosen = name ? name : u"";
  LangFind(chosen.c_str());
}

void ChooseLanguage(AppContext& app) {
  app.dialogActive = 1;
  InstallDataFileChooserHooks(app);
  ListLanguageFiles();
  ShowDataFileChooser(kFilesLanguages);
  if (const WCHAR* name = GetDataFileEntry(kFilesLanguages)) {
    const std::u16string chosen = name;
    LangFind(chosen.c_str());
  }
  app.dialogActive = 0;
  RefreshMapWindow(app);
}

bool PlaceSimulatorAtHome(AppContext& app) {
  const TaskPoint& home = HomePoint();
  const PointRef ref{home.kind, home.index};
  if (!PointRefIsValid(ref)) return false;
  const std::int32_t altitude = PointElevation(ref) + 1000;
  if (altitude > 0) SetSimulatorAltitude(app.gps, altitude);
  const GeoPoint at = PointRefPosition(home);
  SetGpsPosition(app.gps, GeoPoint{at.lon - 3, at.lat + 15});
  // The map starts again from the glider: no pan, no kept centre.
  app.map.panX = app.map.panY = 0;
  app.mapCentreCopy = GeoPoint{};
  return true;
}

void RebuildUserWaypoints(AppContext& app) {
  EnterCriticalSection(&app.mainLock);
  LoadUserWaypoints(app.gps, &app.fileHomePoint, &app.region);
  AddUserWaypointsToTiles();
  LeaveCriticalSection(&app.mainLock);
}

void ReloadUserWaypoints(AppContext& app) {
  EnterCriticalSection(&app.mainLock);
  EnterCriticalSection(&app.secondLock);
  const TaskPoint target = app.navTarget;
  if (!PointRefIsValid(PointRef{target.kind, target.index}) || target.kind == kPointUserWaypoint) {
    ClearTargetRefs(app.navTarget);
    ClearTargetRefs(PreviousTarget());
  }
  LoadUserWaypoints(app.gps, &app.fileHomePoint, &app.region);
  AddUserWaypointsToTiles();
  ResetPointTableOrigins();
  BuildPointIndexes(0);
  SelectTargetPoint(app);
  LeaveCriticalSection(&app.secondLock);
  LeaveCriticalSection(&app.mainLock);
}

void ReloadDataFiles(AppContext& app, LPARAM type) {
  app.dialogActive = 1;
  InstallDataFileChooserHooks(app);
  ScanDataFiles();
  std::int32_t category = kNoCategory;
  bool chooser = false;
  if (type >= 0 && type <= 8) {
    chooser = true;
    if (ShowDataFileChooser(static_cast<std::int32_t>(type))) category = static_cast<std::int32_t>(type);
  } else if (type >= 9 && type <= 16) {
    category = static_cast<std::int32_t>(type) - 9;
  }
  bool vectorStep = false;
  switch (category) {
    case kFilesTerrain:
    case kFilesShape: {
      // The visible database objects are collected again for the new maps.
      std::lock_guard<std::recursive_mutex> lock(PointTableLock());
      app.aeroDb.visible.SetSize(0);
      app.aeroDb.visibleObjects.SetSize(0);
      app.aeroDb.visibleItemCount = 0;
      vectorStep = true;
      break;
    }
    case kFilesUserWaypoints:
      ReloadUserWaypoints(app);
      vectorStep = true;
      break;
    case kFilesUserAirspace: {
      // The alarm kept for the map named a shape of the old load.
      {
        std::lock_guard<std::mutex> guard(app.pendingAlarmLock);
        app.pendingAlarm.reset();
      }
      AirspaceLoadAll(app.airspace);
      ReloadThermals(app);
      Finish(app);
      return;
    }
    case kFilesPolar: ReloadPolar(app); break;
    case kFilesAviationDb:
    case kFilesCountries:
      OnReloadAviationData(app, chooser ? 0 : 100);
      RestoreGotoTarget();
      if (app.simulator && PlaceSimulatorAtHome(app)) {
        app.dialogActive = 0;
        RefreshMapWindow(app);
      }
      AfterAviationReload(app);
      Finish(app);
      return;
    case kFilesThermals:
      ReloadThermals(app);
      Finish(app);
      return;
    default: break;  // languages, or no reload
  }
  // The maps and shape layers, after the point-table lock above is left (the main lock comes first).
  if (category == kFilesTerrain || category == kFilesShape) LoadAppVectorMaps(app);
  UpdateOwnPosition(app, app.map.view, vectorStep);
  Finish(app);
}

void SetupFinished(AppContext& app) {
  if (Listed(kFilesUserWaypoints)) {
    if (app.mainWindow) SendMessageW(app.mainWindow, WM_COMMAND, kCmdLoadUserWaypoints, 0);
    else RebuildUserWaypoints(app);
    SetMapRegion(app, app.region);
  }
  if (!Listed(kFilesAviationDb) && !Listed(kFilesUserWaypoints)) {
    if (AvailableDataFiles()[kFilesAviationDb].Empty()) {
      const std::u16string folder = app.dataFolder.Get();
      const std::u16string text = ce::text::Format(
          u"Setup OK. Now copy Airport *.ka1 and Map *.kv3 files to %s, and enable them in Menu.Files.", folder.c_str());
      MessageBoxOk(text.c_str());
    } else {
      InstallDataFileChooserHooks(app);
      ShowDataFileChooser(kFilesAviationDb);
      if (Listed(kFilesAviationDb)) OnReloadAviationData(app, 0);
    }
  } else if (GetDataFileFlag(kFilesAviationDb) || GetDataFileFlag(kFilesCountries) ||
             GetDataFileFlag(kFilesUserWaypoints)) {
    OnReloadAviationData(app, 0);
  }
  ScanPolarFiles();
  ReloadPolar(app);
  ThermalDbLoad();
}

}  // namespace cumulor
