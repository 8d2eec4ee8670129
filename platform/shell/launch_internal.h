// Inside the shell area: starting a program by CE path, shared by CreateProcessW and
// ShellExecuteExW.
#pragma once

#include <memory>
#include <string>

#include "platform/shell/process_object.h"

namespace ce::shell::internal {

// "ctlpnl.exe" -> "\Windows\ctlpnl.exe"; a name without extension gets ".exe".
std::u16string ProgramPath(std::u16string_view name);

// Splits `"\Windows\pword.exe" -opendoc %1` into the program (quoted, or up to the first blank)
// and its arguments (leading blanks dropped).
void SplitCommandLine(std::u16string_view command, std::u16string_view* program, std::u16string_view* arguments);

// Starts the program; null with *error set when it cannot start. The launch is recorded. With
// `start_mark`, that file is made as the program starts (see StartProgramMarked).
std::shared_ptr<ProcessObject> StartProgram(const std::u16string& ce_path, std::u16string_view command_line,
                                            std::u16string_view document, std::u16string_view verb, DWORD* error,
                                            const std::string* start_mark = nullptr);

}  // namespace ce::shell::internal
