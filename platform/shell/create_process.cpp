// CreateProcessW and the start of programs: the device's own, the host-mapped, the recorded.
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <mutex>

#include "platform/base/errors.h"
#include "platform/files/ce_path.h"
#include "platform/files/files.h"
#include "platform/kernel/handle_table.h"
#include "platform/kernel/last_error.h"
#include "platform/registry/registry.h"
#include "platform/shell/launch.h"
#include "platform/shell/launch_internal.h"
#include "platform/shell/launch_seam.h"
#include "platform/text/utf.h"

namespace ce::shell {
namespace {

std::u16string Fold(std::u16string_view s) {
  std::u16string out(s);
  for (char16_t& c : out) c = ce::files::FoldNameChar(c);
  return out;
}

struct Launcher {
  std::mutex mutex;
  std::vector<Launch> launches;
  DWORD fail_next = 0;
  std::map<std::u16string, DeviceProgram> device_programs;  // by folded CE path

  Launcher() {
    for (const char16_t* p : {u"\\Windows\\ctlpnl.exe", u"\\Windows\\CommApplet.exe", u"\\Windows\\fexplore.exe"})
      device_programs[Fold(p)] = nullptr;
  }
};

Launcher& TheLauncher() {
  static Launcher* launcher = new Launcher;
  return *launcher;
}

}  // namespace

std::vector<Launch> RecordedLaunches() {
  Launcher& l = TheLauncher();
  std::lock_guard lock(l.mutex);
  return l.launches;
}

void ClearRecordedLaunches() {
  Launcher& l = TheLauncher();
  std::lock_guard lock(l.mutex);
  l.launches.clear();
}

void FailNextLaunch(DWORD error) {
  Launcher& l = TheLauncher();
  std::lock_guard lock(l.mutex);
  l.fail_next = error;
}

void RegisterDeviceProgram(std::u16string_view ce_path, DeviceProgram handler) {
  Launcher& l = TheLauncher();
  std::lock_guard lock(l.mutex);
  l.device_programs[Fold(internal::ProgramPath(ce_path))] = std::move(handler);
}

std::u16string LaunchedCommandLine(int argc, char** argv) {
  return argc > 1 && argv[1] ? ce::text::FromUtf8(argv[1]) : std::u16string();
}

namespace internal {

void SplitCommandLine(std::u16string_view command, std::u16string_view* program, std::u16string_view* arguments) {
  while (!command.empty() && command.front() == u' ') command.remove_prefix(1);
  size_t end;
  if (!command.empty() && command.front() == u'"') {
    const size_t close = command.find(u'"', 1);
    *program = command.substr(1, close == std::u16string_view::npos ? std::u16string_view::npos : close - 1);
    end = close == std::u16string_view::npos ? command.size() : close + 1;
  } else {
    end = std::min(command.find(u' '), command.size());
    *program = command.substr(0, end);
  }
  std::u16string_view rest = command.substr(end);
  while (!rest.empty() && rest.front() == u' ') rest.remove_prefix(1);
  *arguments = rest;
}

std::u16string ProgramPath(std::u16string_view name) {
  std::u16string path(name);
  if (path.find(u'\\') == std::u16string::npos && path.find(u'/') == std::u16string::npos)
    path = u"\\Windows\\" + path;
  const auto slash = path.find_last_of(u"\\/");
  if (path.find(u'.', slash) == std::u16string::npos) path += u".exe";
  return path;
}

std::shared_ptr<ProcessObject> StartProgram(const std::u16string& ce_path, std::u16string_view command_line,
                                            std::u16string_view document, std::u16string_view verb, DWORD* error,
                                            const std::string* start_mark) {
  Launcher& l = TheLauncher();
  DeviceProgram handler;
  bool device_program = false;
  {
    std::lock_guard lock(l.mutex);
    if (l.fail_next) {
      *error = l.fail_next;
      l.fail_next = 0;
      return nullptr;
    }
    auto it = l.device_programs.find(Fold(ce_path));
    if (it != l.device_programs.end()) {
      device_program = true;
      handler = it->second;
    }
  }
  Launch record{ce_path, std::u16string(command_line), std::u16string(document), std::u16string(verb), false};
  if (!device_program) {
    const DWORD attributes = GetFileAttributesW(ce_path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
      *error = GetLastError() ? GetLastError() : ERROR_FILE_NOT_FOUND;
      return nullptr;
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
      *error = ERROR_ACCESS_DENIED;
      return nullptr;
    }
  }
  std::shared_ptr<ProcessObject> process;
  WCHAR host[MAX_PATH] = {};
  if (!device_program &&
      SUCCEEDED(RegistryGetString(HKEY_LOCAL_MACHINE, u"\\Host\\Programs", ce_path.c_str(), host, MAX_PATH)) &&
      host[0]) {
    process = SpawnHostProgram(ce::text::ToUtf8(ce::text::WideView(host)), ce_path, command_line, error, start_mark);
    if (!process) return nullptr;
    record.on_host = true;
  } else {
    if (handler) {
      if (DWORD e = handler(command_line)) {
        *error = e;
        return nullptr;
      }
    }
    process = EndedProcess();
    if (start_mark) {
      const int fd = ::open(start_mark->c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
      if (fd >= 0) ::close(fd);
    }
  }
  std::lock_guard lock(l.mutex);
  l.launches.push_back(std::move(record));
  return process;
}

}  // namespace internal
}  // namespace ce::shell

BOOL CreateProcessW(LPCWSTR application, LPWSTR command_line, LPSECURITY_ATTRIBUTES, LPSECURITY_ATTRIBUTES, BOOL,
                    DWORD, LPVOID, LPCWSTR, LPSTARTUPINFOW, LPPROCESS_INFORMATION info) {
  if (info) *info = PROCESS_INFORMATION{};
  std::u16string_view name = ce::text::WideView(application);
  std::u16string_view args = ce::text::WideView(command_line);
  // Without a program name the command line starts with it.
  if (name.empty()) ce::shell::internal::SplitCommandLine(ce::text::WideView(command_line), &name, &args);
  if (name.empty()) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  DWORD error = ERROR_FILE_NOT_FOUND;
  auto process = ce::shell::internal::StartProgram(ce::shell::internal::ProgramPath(name), args, u"", u"", &error);
  if (!process) {
    SetLastError(error);
    return FALSE;
  }
  if (info) {
    info->hProcess = ce::kernel::InsertHandle(process);
    info->hThread = ce::kernel::DuplicateHandleOf(info->hProcess);
    info->dwProcessId = process->id();
    info->dwThreadId = process->id();
  }
  SetLastError(ERROR_SUCCESS);
  return TRUE;
}

DWORD ce::shell::StartProgramMarked(std::u16string_view application, std::u16string_view arguments,
                                   const std::string& start_mark) {
  if (application.empty()) return ERROR_INVALID_PARAMETER;
  DWORD error = ERROR_FILE_NOT_FOUND;
  auto process = internal::StartProgram(internal::ProgramPath(application), arguments, u"", u"", &error, &start_mark);
  return process ? ERROR_SUCCESS : error;
}

BOOL TerminateProcess(HANDLE process, UINT exit_code) {
  if (process == GetCurrentProcess()) {
    std::fflush(nullptr);
    std::_Exit(static_cast<int>(exit_code));
  }
  auto p = ce::kernel::LookupAs<ce::shell::internal::ProcessObject>(process);
  if (!p) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  auto lock = ce::kernel::LockKernel();
  if (p->ExitCodeLocked() == STILL_ACTIVE && p->host_process()) ::kill(static_cast<pid_t>(p->id()), SIGKILL);
  p->EndLocked(exit_code);
  return TRUE;
}

BOOL GetExitCodeProcess(HANDLE process, LPDWORD exit_code) {
  auto p = ce::kernel::LookupAs<ce::shell::internal::ProcessObject>(process);
  if (!p || !exit_code) {
    SetLastError(p ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE);
    return FALSE;
  }
  auto lock = ce::kernel::LockKernel();
  *exit_code = p->ExitCodeLocked();
  return TRUE;
}
