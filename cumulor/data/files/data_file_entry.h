// DataFileEntry: one data file of a category list, and PathList, a list of them.
//
// 260 bytes: name (64 wide characters, terminated; the file name without folder, or a region or
// language name), folder (64 wide characters; empty: the data folder, otherwise a card folder such
// as "\Storage Card"), and the handle slot (-1 when none). Every writer cuts names and folders to
// 63 characters.
#pragma once

#include <cstdint>

#include "cumulor/app/base/dyn_array.h"
#include "platform/base/types.h"

namespace cumulor {

inline constexpr std::int32_t kDataFileNameChars = 64;

struct DataFileEntry {
  WCHAR name[kDataFileNameChars];
  WCHAR folder[kDataFileNameChars];
  std::int32_t handle;  // the file handle slot as stored (INVALID_HANDLE_VALUE: -1)
};
static_assert(sizeof(DataFileEntry) == 260);

using PathList = DynArray<DataFileEntry>;

// All zero but the handle slot, -1.
DataFileEntry NewDataFileEntry();
// Copies text into a 64-character field, cut to 63 characters and terminated (null: empty).
void SetEntryText(WCHAR (&field)[kDataFileNameChars], const WCHAR* text);
// Exact, case-sensitive comparison of the name, then the folder.
bool DataFileEntryEquals(const DataFileEntry& a, const DataFileEntry& b);
// Equal counts and every entry equal.
bool PathListEquals(const PathList& a, const PathList& b);

}  // namespace cumulor
