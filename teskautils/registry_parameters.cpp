// Registry parameters: values of the library root under HKEY_LOCAL_MACHINE. Every operation
// opens the root afresh, reads or writes one value and closes it.
#include <algorithm>
#include <cstring>

#include "platform/registry/registry.h"
#include "platform/text/wide_string.h"
#include "teskautils/TeskaUtils.h"
#include "teskautils/registry_root.h"

namespace {

constexpr std::size_t kLongestRoot = 260;

// The process-wide root; the caller sets it once, before other threads use the parameters.
WCHAR g_root[teskautils::kRootCapacity] = u"\\SOFTWARE\\Teska\\Revisiones Brava PDA";

constexpr const WCHAR* kMissingParameter =
    u"No se encontro el parametro %s.La aplicación no esta correctamente instalada. Instale de nuevo";

LONG OpenRoot(const WCHAR* root, HKEY* key) { return RegOpenKeyExW(HKEY_LOCAL_MACHINE, root, 0, 0, key); }

}  // namespace

namespace teskautils {

int ReadLongUnderRoot(const WCHAR* root, const WCHAR* name, DWORD* value) {
  if (value == nullptr) return 0;
  HKEY key = nullptr;
  if (OpenRoot(root, &key) != ERROR_SUCCESS) return 0;
  DWORD read = 0;
  DWORD size = sizeof read;
  const LONG rc = RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&read), &size);
  RegCloseKey(key);
  if (rc != ERROR_SUCCESS || size != sizeof read) return 0;
  *value = read;
  return 1;
}

int ReadTextUnderRoot(const WCHAR* name, std::u16string& text) {
  HKEY key = nullptr;
  if (OpenRoot(g_root, &key) != ERROR_SUCCESS) return 0;
  DWORD type = 0;
  DWORD size = 0;
  LONG rc = RegQueryValueExW(key, name, nullptr, &type, nullptr, &size);
  std::u16string value;
  if (rc == ERROR_SUCCESS && type == REG_SZ && size >= sizeof(WCHAR)) {
    value.resize(size / sizeof(WCHAR));
    size = static_cast<DWORD>(value.size() * sizeof(WCHAR));
    rc = RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(value.data()), &size);
    value.resize(std::min<std::size_t>(value.size(), size / sizeof(WCHAR)));
  } else {
    rc = ERROR_INVALID_DATA;
  }
  RegCloseKey(key);
  if (rc != ERROR_SUCCESS) return 0;
  value = value.substr(0, value.find(u'\0'));  // up to the terminator
  if (value.empty()) return 0;
  text = value;
  return 1;
}

void ResetRoot() { wcscpy(g_root, kDefaultRoot); }

}  // namespace teskautils

extern "C" int SetRootRegistry(LPCWSTR path) {
  LogFormateado(2, u"Estableciendo el root del registro a %s", path);
  if (path == nullptr || wcslen(path) > kLongestRoot) {
    LogFormateado(4, u"Error al establecer el root del registro a %s", path);
    return 0;
  }
  wcscpy(g_root, path);
  return 0;
}

extern "C" LONG GetKey(HKEY* key) { return OpenRoot(g_root, key); }

extern "C" int ExistsRoot() {
  HKEY key = nullptr;
  if (GetKey(&key) != ERROR_SUCCESS) return 0;
  RegCloseKey(key);
  return 1;
}

extern "C" int CreateRoot() {
  // The key is named without the root's leading backslash (a root set without one is taken whole).
  const WCHAR* path = g_root[0] == u'\\' ? g_root + 1 : g_root;
  HKEY key = nullptr;
  DWORD disposition = 0;
  if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, path, 0, nullptr, 0, 0, nullptr, &key, &disposition) != ERROR_SUCCESS)
    return 0;
  RegCloseKey(key);
  return 1;
}

extern "C" int GetRegistryParameterString(LPCWSTR name, LPWSTR buffer, DWORD size_bytes) {
  HKEY key = nullptr;
  if (GetKey(&key) != ERROR_SUCCESS) return 0;
  DWORD size = size_bytes;
  LONG rc = buffer ? RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size)
                   : ERROR_INVALID_PARAMETER;
  RegCloseKey(key);
  if (rc == ERROR_SUCCESS) {
    // The text must end inside the buffer, whether or not the stored value carried its zero.
    const DWORD chars = size / 2;
    const DWORD capacity = size_bytes / 2;
    if (chars > 0 && buffer[chars - 1] == 0) return 1;
    if (chars < capacity) {
      buffer[chars] = 0;
      return 1;
    }
    rc = ERROR_MORE_DATA;
  }
  ErrorBox(nullptr, kMissingParameter, name);
  return 0;
}

extern "C" int GetRegistryParameterBinary(LPCWSTR name, BYTE* buffer, DWORD* size_bytes) {
  HKEY key = nullptr;
  if (GetKey(&key) != ERROR_SUCCESS) return 0;
  const LONG rc = size_bytes ? RegQueryValueExW(key, name, nullptr, nullptr, buffer, size_bytes)
                             : ERROR_INVALID_PARAMETER;
  RegCloseKey(key);
  if (rc == ERROR_SUCCESS && buffer != nullptr) return 1;
  ErrorBox(nullptr, kMissingParameter, name);
  return 0;
}

extern "C" int GetRegistryParameterLong(LPCWSTR name, DWORD* value) {
  return teskautils::ReadLongUnderRoot(g_root, name, value);
}

extern "C" LONG SetRegistryParameterString(LPCWSTR name, LPCWSTR text, DWORD size_bytes) {
  HKEY key = nullptr;
  const LONG open = GetKey(&key);
  if (open != ERROR_SUCCESS) return open;
  const LONG rc = text ? RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), size_bytes)
                       : ERROR_INVALID_PARAMETER;
  RegCloseKey(key);
  if (rc != ERROR_SUCCESS) ErrorBox(nullptr, kMissingParameter, name);
  return rc;
}

extern "C" LONG SetRegistryParameterLong(LPCWSTR name, DWORD value) {
  HKEY key = nullptr;
  const LONG open = GetKey(&key);
  if (open != ERROR_SUCCESS) return open;
  const LONG rc = RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
  RegCloseKey(key);
  return rc;
}
