// Libraries and modules as the device's programs load them: LoadLibraryW / GetProcAddress (by name
// or by ordinal) / FreeLibrary, GetModuleHandleW and GetModuleFileNameW. Device libraries resolve to
// built-in stand-ins (builtin_libraries.h) or to shared libraries of ours (shared_libraries.h).
#pragma once

#include "platform/base/errors.h"
#include "platform/base/types.h"

#ifndef MAKEINTRESOURCEW
#define MAKEINTRESOURCEW(i) (reinterpret_cast<LPCWSTR>(static_cast<ULONG_PTR>(static_cast<WORD>(i))))
#endif
#ifndef MAKEINTRESOURCE
#define MAKEINTRESOURCE(i) MAKEINTRESOURCEW(i)
#endif
#ifndef IS_INTRESOURCE
#define IS_INTRESOURCE(p) ((reinterpret_cast<ULONG_PTR>(p) >> 16) == 0)
#endif

#define DLL_PROCESS_DETACH 0u
#define DLL_PROCESS_ATTACH 1u
#define DLL_THREAD_ATTACH 2u
#define DLL_THREAD_DETACH 3u

// Null with ERROR_MOD_NOT_FOUND when no stand-in or shared library answers to the name, or with
// ERROR_DLL_INIT_FAILED when the library's DllMain refuses the attach. Loading a loaded library
// again counts one more reference and gives the same module.
HMODULE LoadLibraryW(LPCWSTR lpLibFileName);
// Drops one reference; the last one detaches and unloads the library.
BOOL FreeLibrary(HMODULE hLibModule);
// `lpProcName` is an export name or an ordinal made with MAKEINTRESOURCEW; null with
// ERROR_PROC_NOT_FOUND when the library has no such export. The device's GetProcAddress takes a
// wide name; an 8-bit name is accepted too.
FARPROC GetProcAddressW(HMODULE hModule, LPCWSTR lpProcName);
FARPROC GetProcAddress(HMODULE hModule, LPCWSTR lpProcName);
FARPROC GetProcAddress(HMODULE hModule, LPCSTR lpProcName);
// A loaded library by name (no reference is added), or the program itself for null.
HMODULE GetModuleHandleW(LPCWSTR lpModuleName);
// The CE path of the program (null or the program's module) or of a loaded library. A buffer too
// small gets the path cut to size - 1 characters; the result is then `nSize` with
// ERROR_INSUFFICIENT_BUFFER.
DWORD GetModuleFileNameW(HMODULE hModule, LPWSTR lpFilename, DWORD nSize);

namespace ce::libraries {
// An entry point as the function type it really has (the cast through void(*)() is the one
// compilers accept between unrelated function types without a warning).
template <class Function>
Function* ProcAs(FARPROC proc) {
  return reinterpret_cast<Function*>(reinterpret_cast<void (*)()>(proc));
}
}  // namespace ce::libraries
