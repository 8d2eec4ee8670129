// The libraries' test seam: libraries and entry points a test makes absent, as on a device that
// lacks them. One object per process; tests Reset() it in set-up.
#pragma once

#include <mutex>
#include <set>
#include <string>
#include <string_view>
#include <utility>

#include "platform/base/types.h"

namespace ce::libraries {

class LibrarySeam {
 public:
  static LibrarySeam& Get();

  // LoadLibraryW of the name fails with ERROR_MOD_NOT_FOUND (a loaded one stays loaded).
  void SetAbsent(std::u16string_view library, bool absent = true);
  // GetProcAddress of that export name or ordinal fails with ERROR_PROC_NOT_FOUND.
  void SetEntryAbsent(std::u16string_view library, const std::string& export_name, bool absent = true);
  void SetOrdinalAbsent(std::u16string_view library, WORD ordinal, bool absent = true);
  void Reset();

  bool IsAbsent(std::u16string_view library) const;
  bool IsEntryAbsent(std::u16string_view library, const std::string& export_name) const;
  bool IsOrdinalAbsent(std::u16string_view library, WORD ordinal) const;

 private:
  mutable std::mutex lock_;
  std::set<std::u16string> libraries_;
  std::set<std::pair<std::u16string, std::string>> entries_;
  std::set<std::pair<std::u16string, WORD>> ordinals_;
};

// The key a library name is known by: the file name without its folder and without ".dll", in
// folded letter case ("\Windows\RIL.DLL" and "ril" are the same library).
std::u16string LibraryKey(std::u16string_view name);

}  // namespace ce::libraries
