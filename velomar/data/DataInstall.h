// Velomar's install step: puts the program, its data files and its settings into a device.
// The data shipped in velomar/data (traductions/: the language files) goes under the program
// folder, settings.txt seeds the settings; the program is mapped to its host executable so that every start of it runs it.
#pragma once

#include <filesystem>

#include "platform/base/types.h"

namespace velomar {

// The program folder and the program on the device.
inline constexpr const WCHAR* kProgramFolder = u"\\Program Files\\Velomar";
inline constexpr const WCHAR* kProgramPath = u"\\Program Files\\Velomar\\Velomar.exe";
// The settings key, which the program itself never creates.
inline constexpr const WCHAR* kSettingsKey = u"\\SOFTWARE\\Morvane\\Velomar";

// A folder of the shipped data and the device folder it is copied into. New kinds of data
// (themes, help texts) add a row.
struct DataFolder {
  const char* source;  // relative to the data source folder
  const WCHAR* device;
};
inline constexpr DataFolder kDataFolders[] = {
    {"traductions", u"\\Program Files\\Velomar\\traductions"},
};

// The host folder that holds the shipped data (velomar/data of the source tree).
std::filesystem::path DataSourceFolder();
// The host executable of the program, as built; empty while the build has no program target
// `Velomar`.
std::filesystem::path HostProgram();

// Copies every folder of kDataFolders from <source> into the current device, keeping sub-folders
// and replacing files already there. False when a file could not be read or written.
bool InstallDataFiles(const std::filesystem::path& source = DataSourceFolder());
// Places the program at kProgramPath and maps it in HKEY_LOCAL_MACHINE "\Host\Programs".
bool InstallProgram(const std::filesystem::path& host_program = HostProgram());
// Creates the settings key and seeds the values of settings.txt in the data source folder, one "name text|dword
// value" a line (blank lines and lines starting with '#' skipped); a value is written only when
// absent. False when the file cannot be read or a line is malformed (that line is skipped).
bool SeedSettings();

// The themes the build draws (tools/themegen), in the build tree, and their device folder.
inline constexpr const WCHAR* kThemesFolder = u"\\Program Files\\Velomar\\themes";
std::filesystem::path ThemesSourceFolder();
// Copies the drawn themes into kThemesFolder, keeping sub-folders and replacing files already
// there. False when a file could not be read or written.
bool InstallThemes(const std::filesystem::path& source = ThemesSourceFolder());

// The Today item: its library at its CE path in the program folder (the loader finds the built
// libTodayVelomar.so by that name, and the item finds the themes beside that path), registered
// with the Today host under HKEY_LOCAL_MACHINE "\SOFTWARE\Microsoft\Today\Items\Velomar".
inline constexpr const WCHAR* kTodayItemLibrary = u"\\Program Files\\Velomar\\TodayVelomar.dll";
inline constexpr const WCHAR* kTodayItemKey = u"\\SOFTWARE\\Microsoft\\Today\\Items\\Velomar";
// Writes "DLL" (the library), "Enabled" 1 and "Order" 0 where absent, so that a user's choice
// stays. False when the key cannot be written.
bool RegisterTodayItem();


// The help texts (help/<help id>_<language>.txt, UTF-8 in the sources) into the translations
// folder and the change list (changesQXT.txt) into the program folder, both as UTF-16 with a
// byte-order mark, as the program reads them. False when a file could not be read or written.
bool InstallHelpTexts(const std::filesystem::path& source = DataSourceFolder());
// Ring tones (short generated wave files) where the shell lists them: "\My Documents\My Ringtones"
// and "\Windows\Rings".
bool InstallRingTones();
// The device's Today themes ("\Windows\*.tsk") and the association that opens them in the Today
// settings applet: HKEY_CLASSES_ROOT "\.tsk" and "\tskfile\Shell\Open\Command".
bool InstallTodayThemes();
inline constexpr const WCHAR* kTodayThemeNames[] = {u"Velomar Blue", u"Velomar Night", u"Windows Default"};

// The whole install step: data files, themes, settings, the program and its Today item, help texts,
// ring tones and Today themes. False when a part failed.
bool InstallVelomar();

}  // namespace velomar
