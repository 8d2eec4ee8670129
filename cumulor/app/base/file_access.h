// Whole-file reading and safe replacement of files at CE paths (the documents and the data-file
// writers).
#pragma once

#include <cstddef>
#include <cstdint>

#include "cumulor/app/base/dyn_array.h"
#include "platform/base/types.h"

namespace cumulor::detail {

enum class ReadOutcome { Ok, CannotOpen, ReadFailed };

// Opens the file for reading (no sharing) and reads it whole into bytes (emptied first).
ReadOutcome ReadFileWhole(const WCHAR* path, DynArray<std::uint8_t>& bytes);

// Writes data to a temporary file in the target's folder (path + ".tmp") and flushes it; only when
// every write, the flush and the close succeed, a previous target is copied to path + ".old" (when
// keepOldCopy is set) and the temporary file is renamed over the target in one step. Otherwise the
// temporary file is removed, the target stays as it was, and the result is false. At every moment
// the target holds the old or the new data whole.
bool ReplaceFileWith(const WCHAR* path, const void* data, std::size_t size, bool keepOldCopy = true);

// Removes from `folder` the temporary files of documents whose writing a kill cut short: the
// "<name>.xml.tmp", "<name>.dat.tmp" and "<name>.cup.tmp" ReplaceFileWith leaves when the process
// dies before its rename (the documents themselves are whole). Called at start, before anything
// writes; other files are left alone.
void RemoveUnfinishedDocuments(const WCHAR* folder);

}  // namespace cumulor::detail
