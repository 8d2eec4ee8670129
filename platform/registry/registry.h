// The registry: keys under the predefined roots, values of the platform's types, shared by every
// process of the device and kept in the device folder.
#pragma once

#include "platform/base/errors.h"
#include "platform/base/types.h"

#define HKEY_CLASSES_ROOT (reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x80000000u)))
#define HKEY_CURRENT_USER (reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x80000001u)))
#define HKEY_LOCAL_MACHINE (reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x80000002u)))

#define REG_NONE 0u
#define REG_SZ 1u
#define REG_EXPAND_SZ 2u
#define REG_BINARY 3u
#define REG_DWORD 4u
#define REG_MULTI_SZ 7u

#define REG_OPTION_NON_VOLATILE 0u
#define REG_CREATED_NEW_KEY 1u
#define REG_OPENED_EXISTING_KEY 2u

#define KEY_QUERY_VALUE 0x0001u
#define KEY_SET_VALUE 0x0002u
#define KEY_READ 0x20019u
#define KEY_WRITE 0x20006u
#define KEY_ALL_ACCESS 0xF003Fu

struct SECURITY_ATTRIBUTES;
using REGSAM = DWORD;
using PHKEY = HKEY*;

// Key paths are '\'-separated, case-insensitive, and a leading '\' is ignored. Value names are
// case-insensitive; a null or empty name is the key's default value. Sizes are in bytes (text
// values include their terminating zero when the writer gave it). Every call answers an error
// code: ERROR_SUCCESS, ERROR_FILE_NOT_FOUND (no such key or value), ERROR_MORE_DATA (buffer too
// small; the size then holds what is needed), ERROR_NO_MORE_ITEMS (enumeration ended),
// ERROR_INVALID_HANDLE, ERROR_INVALID_PARAMETER (also a name over 255 characters),
// ERROR_KEY_DELETED (the open key was deleted).
LONG RegOpenKeyExW(HKEY key, LPCWSTR sub_key, DWORD options, REGSAM sam, PHKEY result);
LONG RegCreateKeyExW(HKEY key, LPCWSTR sub_key, DWORD reserved, LPWSTR class_name, DWORD options,
                     REGSAM sam, SECURITY_ATTRIBUTES* security, PHKEY result, LPDWORD disposition);
LONG RegCloseKey(HKEY key);
LONG RegFlushKey(HKEY key);
LONG RegQueryValueExW(HKEY key, LPCWSTR value_name, LPDWORD reserved, LPDWORD type, LPBYTE data,
                      LPDWORD data_size);
LONG RegSetValueExW(HKEY key, LPCWSTR value_name, DWORD reserved, DWORD type, const BYTE* data,
                    DWORD data_size);
LONG RegDeleteValueW(HKEY key, LPCWSTR value_name);
// Deletes the subkey with every key and value below it.
LONG RegDeleteKeyW(HKEY key, LPCWSTR sub_key);
// Subkeys and values are enumerated in the order they were created. Name sizes are in characters:
// in, the buffer's capacity with the terminator; out, the name's length without it.
LONG RegEnumKeyExW(HKEY key, DWORD index, LPWSTR name, LPDWORD name_chars, LPDWORD reserved,
                   LPWSTR class_name, LPDWORD class_chars, FILETIME* last_write);
LONG RegEnumValueW(HKEY key, DWORD index, LPWSTR value_name, LPDWORD value_name_chars,
                   LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD data_size);

// The shell's registry helpers: one value of `key` or of its subkey (null: the key itself).
// Answers S_OK or HRESULT_FROM_WIN32 of the registry's error; a value of another type than asked
// for answers E_INVALIDARG. The getters leave an empty text or 0 behind when they fail. The
// setters create the subkey when it is missing.
HRESULT RegistryGetString(HKEY key, LPCWSTR sub_key, LPCWSTR value_name, LPWSTR data, UINT data_chars);
HRESULT RegistrySetString(HKEY key, LPCWSTR sub_key, LPCWSTR value_name, LPCWSTR data);
HRESULT RegistryGetDWORD(HKEY key, LPCWSTR sub_key, LPCWSTR value_name, DWORD* data);
HRESULT RegistrySetDWORD(HKEY key, LPCWSTR sub_key, LPCWSTR value_name, DWORD data);
