// Starting programs and opening documents.
//
// A program is named by its CE path ("\Program Files\Velomar\Velomar.exe"); a bare name
// ("ctlpnl.exe") is looked up in "\Windows". A program starts when its file is in the device, or
// when it is one of the device's own programs. It runs on the host when HKEY_LOCAL_MACHINE
// "\Host\Programs" maps its CE path to a host executable; any other program is recorded and
// reported as started (a process that has already ended with exit code 0), never run on the host.
// Documents open through the file associations of HKEY_CLASSES_ROOT: "\.<ext>" (default value: the
// class) and "\<class>\Shell\<verb>\Command" (default value: the program and its arguments, "%1"
// standing for the document).
#pragma once

#include <string>
#include <string_view>

#include "platform/base/types.h"
#include "platform/kernel/sync.h"

struct STARTUPINFOW {
  DWORD cb;
  LPWSTR lpReserved;
  LPWSTR lpDesktop;
  LPWSTR lpTitle;
  DWORD dwX, dwY, dwXSize, dwYSize, dwXCountChars, dwYCountChars, dwFillAttribute, dwFlags;
  WORD wShowWindow;
  WORD cbReserved2;
  LPBYTE lpReserved2;
  HANDLE hStdInput, hStdOutput, hStdError;
};
using LPSTARTUPINFOW = STARTUPINFOW*;

struct PROCESS_INFORMATION {
  HANDLE hProcess;
  HANDLE hThread;
  DWORD dwProcessId;
  DWORD dwThreadId;
};
using LPPROCESS_INFORMATION = PROCESS_INFORMATION*;

// As on the device, `command_line` holds the arguments only, not the program's name. Failures:
// ERROR_FILE_NOT_FOUND (no such program), ERROR_PATH_NOT_FOUND, ERROR_INVALID_PARAMETER, or the
// code a test forced. The handles in `info` are the caller's to close; the thread handle stands
// for the same process.
BOOL CreateProcessW(LPCWSTR application, LPWSTR command_line, LPSECURITY_ATTRIBUTES process_attributes,
                    LPSECURITY_ATTRIBUTES thread_attributes, BOOL inherit_handles, DWORD creation_flags,
                    LPVOID environment, LPCWSTR current_directory, LPSTARTUPINFOW startup_info,
                    LPPROCESS_INFORMATION info);
// STILL_ACTIVE while the process runs.
BOOL GetExitCodeProcess(HANDLE process, LPDWORD exit_code);
// Ends a process. For GetCurrentProcess() the program ends at once with that exit code (no
// destructors run, as on the device); a host program started by CreateProcessW is killed and its
// handle reports the code; a start that was only recorded has already ended.
BOOL TerminateProcess(HANDLE process, UINT exit_code);

#define SW_HIDE 0
#define SW_SHOWNORMAL 1
#define SW_SHOW 5

#define SEE_MASK_NOCLOSEPROCESS 0x00000040u
#define SEE_MASK_FLAG_NO_UI 0x00000400u

#define SE_ERR_FNF 2
#define SE_ERR_PNF 3
#define SE_ERR_ACCESSDENIED 5
#define SE_ERR_NOASSOC 31
#define ERROR_NO_ASSOCIATION 1155L

struct SHELLEXECUTEINFO {
  DWORD cbSize;
  ULONG fMask;
  HWND hwnd;
  LPCWSTR lpVerb;
  LPCWSTR lpFile;
  LPCWSTR lpParameters;
  LPCWSTR lpDirectory;
  int nShow;
  HINSTANCE hInstApp;  // above 32 on success, else an SE_ERR_ code
  LPVOID lpIDList;
  LPCWSTR lpClass;
  HKEY hkeyClass;
  DWORD dwHotKey;
  HANDLE hIcon;
  HANDLE hProcess;  // with SEE_MASK_NOCLOSEPROCESS
};
using SHELLEXECUTEINFOW = SHELLEXECUTEINFO;
using LPSHELLEXECUTEINFO = SHELLEXECUTEINFO*;

// A program (".exe") starts with lpParameters as its command line; any other file opens with
// the program its class names for the verb (null: "Open"). A missing file fails with
// ERROR_FILE_NOT_FOUND, a file without association with ERROR_NO_ASSOCIATION.
BOOL ShellExecuteExW(LPSHELLEXECUTEINFO info);
#define ShellExecuteEx ShellExecuteExW

namespace ce::shell {
// Starts `application` with `arguments` as CreateProcessW does, and makes the file `start_mark`
// (a host path) as the program starts: in the new process just before its program runs, or at once
// for a start that is only recorded. Whoever finds the file knows the program was started, even
// when the caller died right after. ERROR_SUCCESS, or why the program could not start.
DWORD StartProgramMarked(std::u16string_view application, std::u16string_view arguments,
                         const std::string& start_mark);
}  // namespace ce::shell
