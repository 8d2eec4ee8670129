// Cumulor's install step: puts the flight computer, its data files and its settings into a
// device. Shipped data lies in folders of cumulor/setup, one per device folder it goes to (see
// kDataFolders); the program is mapped to its host executable so that the Today launcher, the
// desktop connection and a second start all run it.
#pragma once

#include <filesystem>
#include <string_view>

#include "platform/base/types.h"

namespace cumulor {

// The program on the device: the first of the paths the launcher and the desktop library try
// that is not a variant build.
inline constexpr const WCHAR* kProgramPath = u"\\Program Files\\Cumulor.exe";
// The Today item's registration and its library (the loader finds the built libCumulor.so by
// this name).
inline constexpr const WCHAR* kTodayItemKey = u"\\SOFTWARE\\Microsoft\\Today\\Items\\Cumulor";
inline constexpr const WCHAR* kTodayItemLibrary = u"\\Program Files\\Cumulor.dll";
// The registry key of the program's screen rectangle and airspace switch-offs.
inline constexpr const WCHAR* kRegistryKey = u"\\Software\\Halcyra\\Cumulor";

// A folder of the shipped data and the device folder it is copied into, sub-folders kept. A
// folder that does not exist in the source is skipped, so a row may come before its files.
struct DataFolder {
  const char* source;  // relative to the data source folder
  const WCHAR* device;
};
inline constexpr DataFolder kDataFolders[] = {
    {"documents", u"\\My Documents"},  // the data folder: settings, task and language documents
};

// The host folder that holds the shipped data (cumulor/setup of the source tree).
std::filesystem::path DataSourceFolder();
// The host executable of the program, as built; empty while the build has no program target
// `Cumulor`.
std::filesystem::path HostProgram();

// The host folder of the program's tones (written at build time).
std::filesystem::path TonesFolder();
// The host folder of the generated demonstration flight (written at build time).
std::filesystem::path FlightsFolder();

// Copies every folder of kDataFolders from <source> into the current device, replacing files
// already there, the tones into "\Windows", where sounds named without a folder are found, and
// the demonstration flight into "\My Documents". False when a file could not be read or written.
bool InstallDataFiles(const std::filesystem::path& source = DataSourceFolder(),
                      const std::filesystem::path& tones = TonesFolder(),
                      const std::filesystem::path& flights = FlightsFolder());
// The demonstration: a task flown around the demonstration field (its IGC flight), the waypoints,
// airspace and task of that area, the area's .kv3 tiles with terrain and generated shape layers,
// and a settings document that names them and records flights. Kept apart from the program's own
// data so that a device may be set up without it.
inline constexpr const WCHAR* kDemoFlight = u"\\My Documents\\Demo_Task_Flight.igc";
// The host folder of the shipped demonstration files (waypoints, airspace, task, settings).
std::filesystem::path DemoSourceFolder();
// The host folder of the demonstration files written at build time (flight, tiles, shape layers).
std::filesystem::path DemoDataFolder();
// Copies both folders into "\My Documents", replacing files already there. False when a file
// could not be read or written.
bool InstallDemonstrationData(const std::filesystem::path& source = DemoSourceFolder(),
                              const std::filesystem::path& generated = DemoDataFolder());

// Places the program at `ce_path` (kProgramPath, or another of the paths the Today item and the
// desktop library try) and maps that path in HKEY_LOCAL_MACHINE "\Host\Programs".
bool InstallProgram(const std::filesystem::path& host_program = HostProgram(),
                    std::u16string_view ce_path = kProgramPath);
// Registers the Today item under HKEY_LOCAL_MACHINE "SOFTWARE\Microsoft\Today\Items\Cumulor"
// ("DLL" kTodayItemLibrary, "Enabled" 1, "Order" 1, each written only when absent).
bool RegisterTodayItem();
// Creates the program's registry key; seeded values are written only when absent.
bool SeedSettings();

}  // namespace cumulor
