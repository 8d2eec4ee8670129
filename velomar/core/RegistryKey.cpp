#include "velomar/core/RegistryKey.h"

#include "platform/registry/registry.h"

namespace {

constexpr UINT kStringChars = 200;

// The key opened for one operation and closed after it.
class OpenKey {
 public:
  explicit OpenKey(const std::u16string& path) {
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, 0, &m_key) != ERROR_SUCCESS) m_key = nullptr;
  }
  ~OpenKey() {
    if (m_key) RegCloseKey(m_key);
  }
  OpenKey(const OpenKey&) = delete;
  OpenKey& operator=(const OpenKey&) = delete;
  HKEY get() const { return m_key; }

 private:
  HKEY m_key = nullptr;
};

}  // namespace

CRegistryKey::CRegistryKey(const WCHAR* path) : m_path(path ? path : u"") {}

std::u16string CRegistryKey::GetString(const WCHAR* name) {
  OpenKey key(m_path);
  if (!key.get()) return {};
  WCHAR buffer[kStringChars] = {};
  RegistryGetString(key.get(), nullptr, name, buffer, kStringChars);
  buffer[kStringChars - 1] = 0;
  return std::u16string(buffer);
}

void CRegistryKey::SetString(const WCHAR* name, const WCHAR* text) {
  OpenKey key(m_path);
  if (!key.get()) return;
  RegistrySetString(key.get(), nullptr, name, text ? text : u"");
}

DWORD CRegistryKey::GetDWORD(const WCHAR* name) {
  OpenKey key(m_path);
  DWORD value = 0;
  if (!key.get() || RegistryGetDWORD(key.get(), nullptr, name, &value) != S_OK) return 0;
  return value;
}

void CRegistryKey::SetDWORD(const WCHAR* name, DWORD value) {
  OpenKey key(m_path);
  if (!key.get()) return;
  RegistrySetDWORD(key.get(), nullptr, name, value);
}

LONG CRegistryKey::GetBinary(const WCHAR* name, BYTE* buffer, DWORD* size) {
  OpenKey key(m_path);
  if (!key.get()) {
    if (size) *size = 0;
    return ERROR_FILE_NOT_FOUND;
  }
  return RegQueryValueExW(key.get(), name, nullptr, nullptr, buffer, size);
}

void CRegistryKey::SetBinary(const WCHAR* name, const BYTE* data, DWORD size) {
  OpenKey key(m_path);
  if (!key.get()) return;
  RegSetValueExW(key.get(), name, 0, REG_BINARY, data, size);
}
