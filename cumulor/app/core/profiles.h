// Settings profiles and the task backup, kept in a storage folder: three named profiles
// ("%s\KV_PROFILE_%d.XML", settings documents with a last child "Profile" naming them) and the
// task document "\KV_TASKS.xml" there, with the profiles dialog (template 199, command 40157).
#pragma once

#include <cstdint>
#include <string>

#include "cumulor/app/app_context.h"
#include "platform/window/window.h"

namespace cumulor {

inline constexpr int kProfilesDialog = 199;
inline constexpr std::int32_t kProfileCount = 3;

// The profile folder: "\iPAQ File Store" when it exists, else the storage-card folder of the
// application record when it exists, else none (empty). Chosen once at start-up.
void SelectStorageFolder(AppContext& app);
const std::u16string& ProfileFolder();
// "<folder>\KV_PROFILE_<n + 1>.XML" for profile n (0..2).
std::u16string ProfileFile(std::int32_t n);
// The name shown for profile n ("Name" until one is read or typed).
std::u16string& ProfileName(std::int32_t n);
// The profile saved last (0..2).
std::int32_t CurrentProfile();

// Profile n written with its name; 1 written, 0 not (the old file stays).
std::int32_t SaveProfile(AppContext& app, std::int32_t n);
// Profile n applied as a profile (zoom, fonts, declaration and the other elements a profile
// skips stay): the settings reader's result (0, 2 missing, 11 broken).
std::int32_t LoadProfile(AppContext& app, std::int32_t n);
// The name kept in a profile file: the text between the first ">" and the next "<" of the first
// line holding "Profile" (at most 79 characters); empty when there is none.
std::u16string ReadProfileName(const WCHAR* path);

INT_PTR ProfilesDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);

}  // namespace cumulor
