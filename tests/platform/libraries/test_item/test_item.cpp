// A library in the manner of a Today item: it writes its attach and detach, with its own CE path,
// to "\dll_log.txt", refuses to attach while "\refuse" exists, and exports its item entry by
// ordinal 240.
#include <string>

#include "platform/files/files.h"
#include "platform/kernel/kernel.h"
#include "platform/libraries/libraries.h"
#include "platform/libraries/shared_libraries.h"
#include "platform/text/utf.h"

namespace {

void Log(const char* what, HINSTANCE self) {
  WCHAR path[MAX_PATH];
  GetModuleFileNameW(self, path, MAX_PATH);
  std::string line = std::string(what) + " " + ce::text::ToUtf8(ce::text::WideView(path)) + "\n";
  HANDLE h = CreateFileW(u"\\dll_log.txt", GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, 0, nullptr);
  SetFilePointer(h, 0, nullptr, FILE_END);
  DWORD n = 0;
  WriteFile(h, line.data(), static_cast<DWORD>(line.size()), &n, nullptr);
  CloseHandle(h);
}

}  // namespace

extern "C" __attribute__((visibility("default"))) BOOL DllMain(HINSTANCE self, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    Log("DLL_PROCESS_ATTACH", self);
    return GetFileAttributesW(u"\\refuse") == INVALID_FILE_ATTRIBUTES;
  }
  if (reason == DLL_PROCESS_DETACH) Log("DLL_PROCESS_DETACH", self);
  return TRUE;
}

extern "C" __attribute__((visibility("default"))) int TodayItemInit(int value) { return value + 1; }

CE_ORDINAL_EXPORTS({240, "TodayItemInit"});
