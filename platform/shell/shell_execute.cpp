// ShellExecuteExW: programs by path, documents through the file associations.
#include "platform/base/errors.h"
#include "platform/files/ce_path.h"
#include "platform/files/files.h"
#include "platform/kernel/handle_table.h"
#include "platform/kernel/last_error.h"
#include "platform/registry/registry.h"
#include "platform/shell/launch.h"
#include "platform/shell/launch_internal.h"
#include "platform/text/utf.h"

namespace {

constexpr UINT kValueChars = 1024;

BOOL Fail(LPSHELLEXECUTEINFO info, DWORD error, int code) {
  info->hInstApp = reinterpret_cast<HINSTANCE>(static_cast<std::uintptr_t>(code));
  SetLastError(error);
  return FALSE;
}

std::u16string ReadDefault(const std::u16string& key) {
  WCHAR value[kValueChars] = {};
  if (FAILED(RegistryGetString(HKEY_CLASSES_ROOT, key.c_str(), nullptr, value, kValueChars))) return {};
  return std::u16string(ce::text::WideView(value));
}

}  // namespace

BOOL ShellExecuteExW(LPSHELLEXECUTEINFO info) {
  if (!info) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  info->hProcess = nullptr;
  if (info->cbSize < sizeof(SHELLEXECUTEINFO) || ce::text::WideView(info->lpFile).empty())
    return Fail(info, ERROR_INVALID_PARAMETER, SE_ERR_FNF);
  const std::u16string file(ce::text::WideView(info->lpFile));
  const std::u16string verb = ce::text::WideView(info->lpVerb).empty() ? u"Open" : std::u16string(info->lpVerb);

  const size_t slash = file.find_last_of(u"\\/");
  const size_t dot = file.find_last_of(u'.');
  const std::u16string extension =
      dot == std::u16string::npos || (slash != std::u16string::npos && dot < slash) ? u"" : file.substr(dot);

  std::u16string program, arguments, document;
  if (ce::files::NamesEqual(extension, u".exe")) {
    program = ce::shell::internal::ProgramPath(file);
    arguments = ce::text::WideView(info->lpParameters);
  } else {
    const DWORD attributes = GetFileAttributesW(file.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
      const DWORD e = GetLastError() ? GetLastError() : ERROR_FILE_NOT_FOUND;
      return Fail(info, e, e == ERROR_PATH_NOT_FOUND ? SE_ERR_PNF : SE_ERR_FNF);
    }
    const std::u16string file_class = extension.empty() ? u"" : ReadDefault(u"\\" + extension);
    const std::u16string command =
        file_class.empty() ? u"" : ReadDefault(u"\\" + file_class + u"\\Shell\\" + verb + u"\\Command");
    if (command.empty()) return Fail(info, ERROR_NO_ASSOCIATION, SE_ERR_NOASSOC);
    std::u16string_view program_part, arguments_part;
    ce::shell::internal::SplitCommandLine(command, &program_part, &arguments_part);
    program = program_part;
    arguments = arguments_part;
    if (program.empty()) return Fail(info, ERROR_NO_ASSOCIATION, SE_ERR_NOASSOC);
    program = ce::shell::internal::ProgramPath(program);
    const size_t at = arguments.find(u"%1");
    if (at != std::u16string::npos) arguments.replace(at, 2, file);
    else arguments += (arguments.empty() ? u"" : u" ") + file;
    document = file;
  }
  DWORD error = ERROR_FILE_NOT_FOUND;
  auto process = ce::shell::internal::StartProgram(program, arguments, document, verb, &error);
  if (!process) return Fail(info, error, error == ERROR_ACCESS_DENIED ? SE_ERR_ACCESSDENIED : SE_ERR_FNF);
  info->hInstApp = reinterpret_cast<HINSTANCE>(static_cast<std::uintptr_t>(33));
  if (info->fMask & SEE_MASK_NOCLOSEPROCESS) info->hProcess = ce::kernel::InsertHandle(process);
  SetLastError(ERROR_SUCCESS);
  return TRUE;
}
