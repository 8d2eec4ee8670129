// The system's own libraries (TeskaUtils, TodayVelomar, Cumulor's Today launcher, KVComDll) are
// shared libraries of ours, found by their device name in one host folder: "TodayVelomar.dll"
// (any folder, any letter case) is "lib<TodayVelomar>.so", matched without regard to case. The
// folder is the one set here, else $CE_LIBRARY_DIR, else the folder of the running program.
//
// A library that exports DllMain (extern "C" BOOL DllMain(HINSTANCE, DWORD, LPVOID)) has it called
// with DLL_PROCESS_ATTACH after loading and DLL_PROCESS_DETACH before unloading. Its ordinal
// exports are declared in the library with CE_ORDINAL_EXPORTS (below), or from outside with
// MapOrdinal.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "platform/base/types.h"

namespace ce::libraries {

void SetLibraryFolder(const std::filesystem::path& folder);  // empty: back to the default
std::filesystem::path LibraryFolder();
// A device library whose host file does not follow the lib<name>.so rule.
void MapSharedLibrary(std::u16string_view device_name, const std::string& file_name);
// Ordinal `ordinal` of the named library is its export `export_name`.
void MapOrdinal(std::u16string_view device_name, WORD ordinal, const std::string& export_name);

}  // namespace ce::libraries

// In a shared library of ours, the ordinal exports of its device name:
//   CE_ORDINAL_EXPORTS({240, "TodayItemInit"})
struct CeOrdinalExport {
  WORD ordinal;
  const char* name;
};
#define CE_ORDINAL_EXPORTS(...)                                                                    \
  extern "C" __attribute__((visibility("default"))) const CeOrdinalExport ce_ordinal_exports[] = { \
      __VA_ARGS__, {0, nullptr}}
