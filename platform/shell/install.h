// What a suite's install step puts into a device: its programs (at their CE paths, started as host
// processes), its data files, and the settings it seeds.
#pragma once

#include <filesystem>
#include <string_view>

#include "platform/base/types.h"

namespace ce::shell {

// Puts a program of the system at its CE path (a small file naming the host program) and maps the
// path in HKEY_LOCAL_MACHINE "\Host\Programs" to the host executable, so that every start of it
// (CreateProcessW, ShellExecuteExW, the notification launcher, another program) runs the host
// program. The program's folder is created. False when the file or the value cannot be written.
bool InstallHostProgram(std::u16string_view ce_path, const std::filesystem::path& host_executable);

// Copies every file under `host_folder` into `ce_folder` of the device, keeping its sub-folders,
// creating the folders and replacing files already there. A host folder that does not exist copies
// nothing. False when a file could not be read or written.
bool InstallHostFiles(const std::filesystem::path& host_folder, std::u16string_view ce_folder);

// Creates `key` under `root` (with its parents) when it is absent. False when it cannot be made.
bool SeedKey(HKEY root, std::u16string_view key);
// Writes a value under `key` only when the value is absent, so that installing again keeps what
// the user changed. The key is created. False when it cannot be written.
bool SeedValue(HKEY root, std::u16string_view key, std::u16string_view name, DWORD value);
bool SeedValue(HKEY root, std::u16string_view key, std::u16string_view name, std::u16string_view value);

}  // namespace ce::shell
