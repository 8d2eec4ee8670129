#include "cumulor/app/core/settings_files.h"

#include <string>

#include "cumulor/app/base/xml_reader.h"
#include "cumulor/app/core/aviation_reload.h"
#include "cumulor/app/core/commands.h"
#include "cumulor/app/core/map_ops.h"
#include "cumulor/app/ui/own_dialogs.h"
#include "cumulor/data/aero/point_tables.h"
#include "platform/window/window.h"

namespace cumulor {

DataFileLoadHooks AppDataFileLoadHooks(AppContext& app) {
  AppContext* record = &app;
  DataFileLoadHooks hooks;
  hooks.installMessage = [](const WCHAR* name) {
    std::u16string text = u"Installing ";
    text += name;
    MessageBoxOk(text.c_str());
  };
  hooks.setupFinished = [record] { SetupFinished(*record); };
  hooks.buildPointIndexes = [] { BuildPointIndexes(0); };
  hooks.reload = [record](std::int32_t type) {
    if (record->mainWindow) SendMessageW(record->mainWindow, WM_COMMAND, kCmdReload, type);
  };
  return hooks;
}

void ApplyFilesElement(AppContext& app, const XmlNode& files, std::int32_t mode) {
  if (mode == kSettingsDesktop) return;
  LoadDataFileLists(files, mode, AppDataFileLoadHooks(app));
}

bool LoadSettingsFiles(AppContext& app) {
  const std::u16string path = app.dataFolder.Get() + u"\\KV_SETTINGS.xml";
  XmlNode top = XmlNode::ConstructTop();
  if (XmlParseFile(path.c_str(), top) != kXmlParsed || top.ChildCount() == 0) return false;
  // The document element is the first child, whatever its name.
  const XmlNode* files = top.Child(0)->FindChild("Files");
  if (!files) return false;
  ApplyFilesElement(app, *files, kSettingsMain);
  return true;
}

void SetupFinished(AppContext& app) {
  const bool waypoints = !SelectedDataFiles()[kFilesUserWaypoints].selected.Empty();
  if (waypoints) {
    if (app.mainWindow) SendMessageW(app.mainWindow, WM_COMMAND, kCmdLoadUserWaypoints, 0);
    SetMapRegion(app, app.region);
  }
  if (SelectedDataFiles()[kFilesAviationDb].selected.Empty()) return;
  if (GetDataFileFlag(kFilesAviationDb) || GetDataFileFlag(kFilesCountries) || GetDataFileFlag(kFilesUserWaypoints))
    OnReloadAviationData(app, 0);
}

}  // namespace cumulor
