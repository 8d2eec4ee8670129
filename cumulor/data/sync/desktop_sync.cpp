#include "cumulor/data/sync/desktop_sync.h"

#include "cumulor/data/files/data_files.h"
#include "cumulor/data/waypoints/cup_import.h"
#include "cumulor/data/waypoints/strepla_import.h"
#include "cumulor/data/waypoints/waypoint_ui.h"
#include "platform/files/files.h"
#include "platform/kernel/sync.h"

namespace cumulor {

namespace {

bool ReadExactly(HANDLE file, void* buffer, DWORD size) {
  DWORD done = 0;
  auto* bytes = static_cast<std::uint8_t*>(buffer);
  while (done < size) {
    DWORD got = 0;
    if (!ReadFile(file, bytes + done, size - done, &got, nullptr) || got == 0) return false;
    done += got;
  }
  return true;
}

struct ListBit {
  std::uint32_t bit;
  const WCHAR* status;
  std::int32_t category;
  std::int32_t reloadType;
};

constexpr ListBit kListBits[] = {
    {kSyncAviationDb, u"Av Db", kFilesAviationDb, 14},    {kSyncCountries, u"Countries", kFilesCountries, 15},
    {kSyncTerrain, u"Maps", kFilesTerrain, 9},            {kSyncAirspace, u"SUA", kFilesUserAirspace, 11},
    {kSyncUserWaypoints, nullptr, kFilesUserWaypoints, 10}, {kSyncThermals, u"Thermals", kFilesThermals, 16},
    {kSyncPolar, u"Polar", kFilesPolar, 12},
};

class FileHandleHold {
 public:
  explicit FileHandleHold(HANDLE h) : handle_(h) {}
  ~FileHandleHold() {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  }
  FileHandleHold(const FileHandleHold&) = delete;
  FileHandleHold& operator=(const FileHandleHold&) = delete;
  HANDLE Get() const { return handle_; }

 private:
  HANDLE handle_;
};

}  // namespace

SyncHooks& SyncHooksInstalled() {
  static SyncHooks hooks;
  return hooks;
}

HRESULT ReadSyncList(HANDLE file, PathList& list) {
  list.SetSize(0);
  std::int32_t count = 0;
  if (!ReadExactly(file, &count, sizeof count)) return E_FAIL;
  if (count < 0 || count > kSyncListMax) return E_ABORT;
  if (list.SetSize(count) != S_OK) return E_OUTOFMEMORY;
  if (count > 0 && !ReadExactly(file, list.Data(), static_cast<DWORD>(count) * sizeof(DataFileEntry))) {
    list.SetSize(0);
    return E_FAIL;
  }
  for (DataFileEntry& entry : list) {
    entry.name[kDataFileNameChars - 1] = 0;
    entry.folder[kDataFileNameChars - 1] = 0;
    entry.handle = -1;
  }
  return S_OK;
}

HRESULT SynchronizeFiles(std::uint32_t flags) {
  const SyncHooks& hooks = SyncHooksInstalled();
  PathList lists[kDataFileTypeCount];
  bool read[kDataFileTypeCount] = {};
  HRESULT result = S_OK;
  {
    FileHandleHold file(CreateFileW(u"KVSync_Files.bin", GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.Get() == INVALID_HANDLE_VALUE) {
      WaypointMessage(u"Synchronization failed.");
      return E_FAIL;
    }
    for (std::int32_t c = 0; c < kDataFileTypeCount; ++c) {
      result = ReadSyncList(file.Get(), lists[c]);
      if (result != S_OK) break;
      read[c] = true;
    }
  }
  if (result != S_OK) WaypointMessage(u"Synchronization failed.");

  for (const ListBit& row : kListBits) {
    if ((flags & row.bit) == 0 || !read[row.category]) continue;
    if (row.status != nullptr && hooks.status) hooks.status(row.status);
    SelectedDataFiles()[row.category].selected = lists[row.category];
    const bool ownReload = !(row.bit == kSyncAviationDb && (flags & kSyncCountries) != 0);
    if (ownReload && hooks.reload) hooks.reload(row.reloadType);
  }

  if ((flags & kSyncImportWaypoints) != 0) {
    const bool cup = (flags & kSyncImportCup) != 0;
    const WCHAR* path = cup ? u"\\Cumulor.cup" : u"\\Cumulor.ste";
    const int imported = cup ? ImportSeeYou(path) : ImportStrePla(path);
    if (imported != 0) {
      CopyFileW(path, cup ? u"\\Cumulor_OLD.cup" : u"\\Cumulor_OLD.ste", FALSE);
      DeleteFileW(path);
      flags &= ~static_cast<std::uint32_t>(kSyncTasksDocument);
    }
  }
  if ((flags & kSyncSettingsDocument) != 0 && hooks.loadSettingsDocument)
    hooks.loadSettingsDocument(u"\\KV_SETTINGS_FROMDESKTOP.xml");
  if ((flags & kSyncTasksDocument) != 0) {
    if (hooks.loadTasksDocument) hooks.loadTasksDocument(u"\\KV_TASKS_FROMDESKTOP.xml");
    if (hooks.clearTaskNavigation) hooks.clearTaskNavigation();
  }
  WaypointClearStatus();
  return result;
}

}  // namespace cumulor
