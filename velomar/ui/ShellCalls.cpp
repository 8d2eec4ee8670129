#include "velomar/ui/ShellCalls.h"

#include "platform/libraries/libraries.h"

namespace velomar::ui {
namespace {

FARPROC ShellEntry(WORD ordinal) {
  HMODULE shell = LoadLibraryW(u"aygshell.dll");
  if (!shell) return nullptr;
  // The library stays loaded for the life of the process, as the shell's own does.
  return GetProcAddressW(shell, MAKEINTRESOURCEW(ordinal));
}

}  // namespace

BOOL ShellWindowState(HWND window, DWORD state) {
  using Fn = BOOL (*)(HWND, DWORD);
  auto fn = reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(ShellEntry(21)));
  return fn ? fn(window, state) : FALSE;
}

BOOL ShellCreateMenuBar(SHMENUBARINFO* info) {
  using Fn = BOOL (*)(SHMENUBARINFO*);
  auto fn = reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(ShellEntry(34)));
  return fn ? fn(info) : FALSE;
}

HBITMAP ShellLoadImageFile(LPCWSTR path) {
  using Fn = HBITMAP (*)(LPCWSTR);
  auto fn = reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(ShellEntry(75)));
  return fn ? fn(path) : nullptr;
}

}  // namespace velomar::ui
