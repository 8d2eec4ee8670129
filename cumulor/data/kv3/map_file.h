// Opening a .kv3 map file of the map file list and reading it by its version: a tiled file
// (version 2 or more) stays open, its handle kept in its list entry for the tile loads; a
// whole-file map (version 1) is read at once by the reader the caller gives.
#pragma once

#include <array>
#include <cstdint>
#include <functional>

#include "cumulor/data/files/data_file_entry.h"
#include "cumulor/data/kv3/tiled_file.h"
#include "platform/base/types.h"

namespace cumulor::kv3 {

struct MapFileContext {
  TiledFileContext tiled;
  // Reads a whole-file map from the open file (positioned behind the header); 0 or E_FAIL.
  std::function<HRESULT(HANDLE file, const std::array<std::uint8_t, kHeaderBytes>& header)> readWholeFile;
  // Shown when a file cannot be opened: "File %s NOT FOUND." with the path.
  std::function<void(const WCHAR* text)> showMissing;
};

// Opens the file of entry listIndex of list (-1: a new entry for path is appended; its folder and
// name must each fit 63 characters) and reads it. An entry whose file is already open is left as
// it is: its handle stays registered with the tiles and 0 is returned. 0 or E_FAIL.
HRESULT LoadMapFile(MapFileContext& context, PathList& list, const WCHAR* path, std::int32_t listIndex);

// Closes every kept handle of the list (a reload of the maps); the caller empties the tile index
// and frees the loaded tiles first.
void CloseMapFiles(PathList& list);

// The handle an entry keeps, or null.
HANDLE EntryHandle(const DataFileEntry& entry);

}  // namespace cumulor::kv3
