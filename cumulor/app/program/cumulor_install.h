// The install step of Cumulor: puts the program at its CE path and maps it to the host program in
// HKLM "\Host\Programs" (so that starting "\Program Files\Cumulor.exe" on the device runs it),
// makes the documents folder, and puts the program's sounds into "\Windows", where sounds named
// without a folder are found.
#pragma once

#include <filesystem>

#include "platform/base/types.h"

namespace cumulor {

inline constexpr const WCHAR* kProgramPath = u"\\Program Files\\Cumulor.exe";

// The host program built beside this step and the folder of the generated tones.
std::filesystem::path BuiltProgram();
std::filesystem::path BuiltTones();

// Installs into the current device folder; false when a file could not be written.
bool InstallCumulor(const std::filesystem::path& hostProgram = BuiltProgram(),
                    const std::filesystem::path& tones = BuiltTones());

}  // namespace cumulor
