// The install step for Velomar's data files: copies the language files shipped in
// velomar/data/traductions into the device at "\Program Files\Velomar\traductions".
#pragma once

#include <filesystem>

#include "platform/base/types.h"

namespace velomar {

// The program folder on the device.
inline constexpr const WCHAR* kProgramFolder = u"\\Program Files\\Velomar";

// The host folder that holds the shipped data (velomar/data of the source tree).
std::filesystem::path DataSourceFolder();

// Copies every file of <source>/traductions into "<program folder>\traductions" of the current
// device, creating the folders; files already there are replaced. False when a file could not be
// read or written.
bool InstallDataFiles(const std::filesystem::path& source = DataSourceFolder());

}  // namespace velomar
