// The desktop synchronisation. A desktop program copies data files to the device, writes
// "KVSync_Files.bin" (nine lists of DataFileEntry, categories 0 to 8, each a 32-bit count and
// count x 260 bytes) and asks for the synchronisation with a set of flags: selected lists are
// replaced, the copied waypoint file imported and the desktop's documents loaded.
#pragma once

#include <cstdint>
#include <functional>

#include "cumulor/data/files/data_file_entry.h"
#include "platform/base/types.h"

namespace cumulor {

inline constexpr std::int32_t kSyncListMax = 50000;

// Flags of the synchronisation request.
enum SyncFlags : std::uint32_t {
  kSyncAviationDb = 0x1,
  kSyncCountries = 0x2,
  kSyncTerrain = 0x4,
  kSyncAirspace = 0x8,
  kSyncUserWaypoints = 0x10,
  kSyncThermals = 0x20,
  kSyncPolar = 0x40,
  kSyncTasksDocument = 0x80,
  kSyncImportWaypoints = 0x100,
  kSyncImportCup = 0x200,
  kSyncSettingsDocument = 0x400,
};

// What the synchronisation asks of the application (the core fills these).
struct SyncHooks {
  std::function<void(const WCHAR* text)> status;    // the map's status line
  std::function<void(std::int32_t type)> reload;     // the reload command, synchronously
  std::function<void(const WCHAR* path)> loadSettingsDocument;  // desktop mode
  std::function<void(const WCHAR* path)> loadTasksDocument;
  // Clears the navigation state kept with the previous tasks.
  std::function<void()> clearTaskNavigation;
};
SyncHooks& SyncHooksInstalled();

// Reads one list: S_OK, E_ABORT for a count outside 0..50000, E_FAIL for a short read. Every read
// entry's names are terminated and its handle slot is -1.
HRESULT ReadSyncList(HANDLE file, PathList& list);

// Runs the synchronisation: 0 when all nine lists were read, else the first failing list's
// result, or E_FAIL when the file cannot be opened ("Synchronization failed.", nothing changed).
// A list that was not read whole leaves its category's selection as it was.
HRESULT SynchronizeFiles(std::uint32_t flags);

}  // namespace cumulor
