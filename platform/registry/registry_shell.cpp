// The shell's registry helpers: one value of a key or of its subkey.
#include <cstring>

#include "platform/registry/registry.h"
#include "platform/text/utf.h"

namespace {

// The key to work on: `key` itself, or its subkey opened (or created) for the call.
class SubKey {
 public:
  SubKey(HKEY key, LPCWSTR sub_key, bool create) {
    if (!sub_key || !*sub_key) {
      key_ = key;
      return;
    }
    error_ = create ? RegCreateKeyExW(key, sub_key, 0, nullptr, 0, 0, nullptr, &key_, nullptr)
                    : RegOpenKeyExW(key, sub_key, 0, 0, &key_);
    owned_ = error_ == ERROR_SUCCESS;
  }
  ~SubKey() {
    if (owned_) RegCloseKey(key_);
  }
  HKEY key() const { return key_; }
  LONG error() const { return error_; }

 private:
  HKEY key_ = nullptr;
  LONG error_ = ERROR_SUCCESS;
  bool owned_ = false;
};

HRESULT FromError(LONG error) { return error == ERROR_SUCCESS ? S_OK : HRESULT_FROM_WIN32(error); }

}  // namespace

HRESULT RegistryGetString(HKEY key, LPCWSTR sub_key, LPCWSTR value_name, LPWSTR data, UINT data_chars) {
  if (!data || data_chars == 0) return E_INVALIDARG;
  data[0] = 0;
  SubKey k(key, sub_key, false);
  if (k.error() != ERROR_SUCCESS) return FromError(k.error());
  DWORD type = 0;
  DWORD size = data_chars * static_cast<DWORD>(sizeof(WCHAR));
  LONG error = RegQueryValueExW(k.key(), value_name, nullptr, &type, reinterpret_cast<LPBYTE>(data), &size);
  if (error == ERROR_SUCCESS && type != REG_SZ && type != REG_EXPAND_SZ) {
    data[0] = 0;
    return E_INVALIDARG;
  }
  if (error != ERROR_SUCCESS) {
    data[0] = 0;
    return FromError(error);
  }
  // The stored text may lack its terminator; the caller always gets a terminated text.
  std::size_t chars = size / sizeof(WCHAR);
  if (chars >= data_chars && (chars == 0 || data[chars - 1] != 0)) {
    data[0] = 0;
    return HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER);
  }
  data[chars < data_chars ? chars : data_chars - 1] = 0;
  return S_OK;
}

HRESULT RegistrySetString(HKEY key, LPCWSTR sub_key, LPCWSTR value_name, LPCWSTR data) {
  if (!data) return E_INVALIDARG;
  SubKey k(key, sub_key, true);
  if (k.error() != ERROR_SUCCESS) return FromError(k.error());
  DWORD size = static_cast<DWORD>((ce::text::WideLength(data) + 1) * sizeof(WCHAR));
  return FromError(RegSetValueExW(k.key(), value_name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data), size));
}

HRESULT RegistryGetDWORD(HKEY key, LPCWSTR sub_key, LPCWSTR value_name, DWORD* data) {
  if (!data) return E_INVALIDARG;
  *data = 0;
  SubKey k(key, sub_key, false);
  if (k.error() != ERROR_SUCCESS) return FromError(k.error());
  DWORD type = 0;
  BYTE bytes[4];
  DWORD size = sizeof bytes;
  LONG error = RegQueryValueExW(k.key(), value_name, nullptr, &type, bytes, &size);
  if (error == ERROR_MORE_DATA) return E_INVALIDARG;  // longer than a DWORD: another type
  if (error != ERROR_SUCCESS) return FromError(error);
  if (type != REG_DWORD || size != 4) return E_INVALIDARG;
  *data = static_cast<DWORD>(bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) | (static_cast<DWORD>(bytes[3]) << 24));
  return S_OK;
}

HRESULT RegistrySetDWORD(HKEY key, LPCWSTR sub_key, LPCWSTR value_name, DWORD data) {
  SubKey k(key, sub_key, true);
  if (k.error() != ERROR_SUCCESS) return FromError(k.error());
  const BYTE bytes[4] = {static_cast<BYTE>(data), static_cast<BYTE>(data >> 8), static_cast<BYTE>(data >> 16),
                         static_cast<BYTE>(data >> 24)};
  return FromError(RegSetValueExW(k.key(), value_name, 0, REG_DWORD, bytes, 4));
}
