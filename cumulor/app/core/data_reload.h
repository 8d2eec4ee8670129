// The data files reloaded while the map stays up (command 40058 with a reload type), the user
// waypoints rebuilt (command 40017), and what loading the settings element "Files" sets off in the
// application: the first set-up of the data files, the point indexes and the terrain reload.
#pragma once

#include <cstdint>

#include "cumulor/app/app_context.h"
#include "cumulor/app/base/xml_node.h"
#include "cumulor/data/files/data_files.h"

namespace cumulor {

// The hooks LoadDataFileLists calls, bound to the application record.
DataFileLoadHooks AppDataFileLoadHooks(AppContext& app);
// The data-file chooser's hooks (owner, DialogActive, what follows a database choice).
void InstallDataFileChooserHooks(AppContext& app);

// Applies a "Files" element read in `mode` (settings document modes); a desktop document (mode 2)
// never changes the lists.
void ApplyFilesElement(AppContext& app, const XmlNode& files, std::int32_t mode);

// Reload types: 0..8 the category after its chooser (only when the chooser changed the list),
// 9..16 category type - 9 without a chooser, 17 and above no reload. Runs with DialogActive set
// and ends with it cleared and the focus on the main window.
void ReloadDataFiles(AppContext& app, LPARAM type);

// Command 40017: the user-waypoint table read again from the files of category 1 and put back
// into the tiles' user-waypoint lists; a waypoint marked home becomes the file home point.
void RebuildUserWaypoints(AppContext& app);

// The user waypoints reloaded while the map is up, under MainLock then SecondLock: a navigation
// target that is not valid or is a user waypoint is cleared (with the previous target), the table
// read again and put into the tiles, the point indexes rebuilt and a target chosen again.
void ReloadUserWaypoints(AppContext& app);

// The languages listed again and, when any exists, the one the selection names applied (start-up).
void ApplySelectedLanguage();
// Command 40156: the language chooser over the listed languages, then the chosen one applied
// (the menu texts follow).
void ChooseLanguage(AppContext& app);

// The simulated glider placed near the home point: 1000 m above its elevation (when that is
// positive) and 15 north, 3 west of it (1/36000 degree). Nothing without a valid home point.
// True when the glider was placed.
bool PlaceSimulatorAtHome(AppContext& app);

// After the first set-up of the data files: the user waypoints rebuilt when category 1 lists
// files; without a selected database or user-waypoint file the set-up message when the scan found
// no database file, else the database chooser;
// else a database reload when the database, country or user-waypoint selection changed; always
// the polar files scanned, the polar and the thermal database loaded.
void SetupFinished(AppContext& app);

}  // namespace cumulor
