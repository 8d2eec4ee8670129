// CE paths on the host. The device's file system is the device folder's root ("\"): a CE path is
// resolved component by component, each matched without regard to case against what is there, so
// "\program files\VELOMAR" finds "<root>/Program Files/Velomar". '/' is taken as a separator too;
// "." and ".." are resolved by name and never leave the root; a relative path starts at the root
// (the device has no current directory). Host names are the UTF-8 form of the CE names.
#pragma once

#include <filesystem>
#include <string_view>

#include "platform/base/types.h"

namespace ce::files {

struct ResolvedPath {
  DWORD error = 0;             // 0, ERROR_PATH_NOT_FOUND (a folder on the way is missing) or ERROR_INVALID_NAME
  std::filesystem::path host;  // the host path; for a missing last component, with the case given
  bool exists = false;         // the last component exists (any kind)
  bool is_root = false;        // the path names "\" itself
};

// Resolves a CE path. A name holding a wildcard or another character the device refuses in names
// gives ERROR_INVALID_NAME.
ResolvedPath ResolvePath(std::u16string_view ce_path);

// The host path of a CE path, for code that opens files through a host library (shapelib's I/O
// hooks); empty when a folder on the way does not exist or the name is invalid.
std::filesystem::path HostPath(std::u16string_view ce_path);

// True for a device name: it ends in ':' and holds no path separator ("COM1:").
bool IsDeviceName(std::u16string_view name);

// Without regard to case, as the device compares file and library names (the platform's towlower).
bool NamesEqual(std::u16string_view a, std::u16string_view b);
char16_t FoldNameChar(char16_t c);

}  // namespace ce::files
