// The library root: the registry key under HKEY_LOCAL_MACHINE that holds the parameters.
#pragma once

#include <string>

#include "platform/base/types.h"

namespace teskautils {

inline constexpr const WCHAR* kDefaultRoot = u"\\SOFTWARE\\Teska\\Revisiones Brava PDA";
constexpr int kRootCapacity = 262;  // characters, for paths of at most 260

// A 32-bit value of the key `root`, read without any box: 1 when exactly 4 bytes were read.
int ReadLongUnderRoot(const WCHAR* root, const WCHAR* name, DWORD* value);
// A text value of the current root, read without any box: 1 when a non-empty text was read.
int ReadTextUnderRoot(const WCHAR* name, std::u16string& text);
// Puts the default root back (at attach: a process starts with it).
void ResetRoot();

}  // namespace teskautils
