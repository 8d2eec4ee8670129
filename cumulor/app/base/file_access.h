// Whole-file reading and safe replacement of files at CE paths (private to this folder).
#pragma once

#include <cstddef>
#include <cstdint>

#include "cumulor/app/base/dyn_array.h"
#include "platform/base/types.h"

namespace cumulor::detail {

enum class ReadOutcome { Ok, CannotOpen, ReadFailed };

// Opens the file for reading (no sharing) and reads it whole into bytes (emptied first).
ReadOutcome ReadFileWhole(const WCHAR* path, DynArray<std::uint8_t>& bytes);

// Writes data to a temporary file in the target's folder; only when every write and the close
// succeed, the target is replaced by it. Otherwise the temporary file is removed, the target stays
// as it was, and the result is false.
bool ReplaceFileWith(const WCHAR* path, const void* data, std::size_t size);

}  // namespace cumulor::detail
