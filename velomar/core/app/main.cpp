// The Velomar program: its module path and CE command line, then the entry point.
#include <string>

#include "platform/files/module_path.h"
#include "platform/libraries/libraries.h"
#include "platform/shell/launch.h"
#include "platform/shell/launch_seam.h"
#include "velomar/core/app/WinMain.h"

int main(int argc, char** argv) {
  ce::files::SetModulePath(u"\\Program Files\\Velomar\\Velomar.exe");
  std::u16string command_line = ce::shell::LaunchedCommandLine(argc, argv);
  return WinMain(GetModuleHandleW(nullptr), nullptr, command_line.data(), SW_SHOW);
}
