// The running program's CE path ("\Program Files\Velomar\Velomar.exe"), which GetModuleFileNameW
// answers for the main module. A program sets it at start; without that, $CE_MODULE_PATH (UTF-8)
// names it, and failing both it is "\Windows\<host program name>.exe".
#pragma once

#include <string>
#include <string_view>

namespace ce::files {

void SetModulePath(std::u16string_view ce_path);
std::u16string ModulePath();

}  // namespace ce::files
