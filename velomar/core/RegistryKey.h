// Single values of one registry key below HKEY_LOCAL_MACHINE. No cache: every read goes to the
// registry and every write is immediate. The key is never created; when it is missing, reads find
// nothing and writes are lost.
#pragma once

#include <string>

#include "platform/base/types.h"

class CRegistryKey {
 public:
  explicit CRegistryKey(const WCHAR* path);
  virtual ~CRegistryKey() = default;

  // Text values are read up to 199 characters; an absent value reads as empty text.
  virtual std::u16string GetString(const WCHAR* name);
  virtual void SetString(const WCHAR* name, const WCHAR* text);
  // An absent value (or one of another type) reads as 0.
  virtual DWORD GetDWORD(const WCHAR* name);
  virtual void SetDWORD(const WCHAR* name, DWORD value);

  // Reads the value whatever its type into buffer; size holds the capacity in bytes on the way in
  // and the byte count on the way out. Answers the registry's result.
  LONG GetBinary(const WCHAR* name, BYTE* buffer, DWORD* size);
  void SetBinary(const WCHAR* name, const BYTE* data, DWORD size);

  const std::u16string& GetPath() const { return m_path; }

 private:
  std::u16string m_path;
};
