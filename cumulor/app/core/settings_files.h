// The data-file lists in the settings document: what loading "Files" sets off in the application
// (the first set-up of the data files, the point indexes, the terrain reload), and the start-up
// read of "Files" from "\KV_SETTINGS.xml" in the data folder. The settings document's other
// elements are read and written by the settings module.
#pragma once

#include <cstdint>

#include "cumulor/app/app_context.h"
#include "cumulor/app/base/xml_node.h"
#include "cumulor/data/files/data_files.h"

namespace cumulor {

// The document modes of the settings reader.
inline constexpr std::int32_t kSettingsMain = 1;
inline constexpr std::int32_t kSettingsDesktop = 2;
inline constexpr std::int32_t kSettingsProfile = 3;
inline constexpr std::int32_t kSettingsInstall = 4;

// The hooks LoadDataFileLists calls, bound to the application record.
DataFileLoadHooks AppDataFileLoadHooks(AppContext& app);

// Applies a "Files" element read in `mode`; a desktop document (mode 2) never changes the lists.
void ApplyFilesElement(AppContext& app, const XmlNode& files, std::int32_t mode);

// Start-up: the "Files" element of the settings document in the data folder, when the document
// exists and parses; otherwise the lists stay as they are. True when an element was applied.
bool LoadSettingsFiles(AppContext& app);

// After the first set-up of the data files: the user waypoints are rebuilt (command 40017) when
// their category lists files, and the aeronautical database is reloaded when it lists files and
// the database, country or user waypoint selection changed.
void SetupFinished(AppContext& app);

}  // namespace cumulor
