// Where the program lives (its folder and file name) and where the storage card is.
#include "platform/libraries/libraries.h"
#include "platform/registry/registry.h"
#include "platform/text/wide_string.h"
#include "teskautils/TeskaUtils.h"

namespace {

constexpr const WCHAR* kStorageKey = u"System\\StorageManager\\Profiles\\SDMemory";
constexpr DWORD kStorageFolderBytes = 200;

}  // namespace

extern "C" LPWSTR GetCurrentDirectory(LPWSTR buffer) {
  if (buffer == nullptr) return nullptr;
  buffer[0] = 0;
  GetModuleFileNameW(nullptr, buffer, MAX_PATH);
  WCHAR* slash = wcsrchr(buffer, u'\\');
  if (slash != nullptr) *slash = 0;
  return slash;
}

extern "C" void GetCurrentExeName(LPWSTR buffer) {
  if (buffer == nullptr) return;
  WCHAR path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  const WCHAR* slash = wcsrchr(static_cast<const WCHAR*>(path), u'\\');
  if (slash != nullptr) wcscpy(buffer, slash + 1);
}

extern "C" void GetSdDirectory(LPWSTR buffer) {
  if (buffer == nullptr) return;
  buffer[0] = 0;
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kStorageKey, 0, 0, &key) != ERROR_SUCCESS) return;
  WCHAR folder[kStorageFolderBytes / 2 + 1] = {};
  DWORD size = kStorageFolderBytes;
  const LONG rc = RegQueryValueExW(key, u"Folder", nullptr, nullptr, reinterpret_cast<BYTE*>(folder), &size);
  RegCloseKey(key);
  // A value that cannot be read leaves the answer empty, like a missing key.
  if (rc != ERROR_SUCCESS || folder[0] == 0) return;
  if (folder[0] != u'\\') wcscpy(buffer, u"\\");
  wcscat(buffer, folder);
}
