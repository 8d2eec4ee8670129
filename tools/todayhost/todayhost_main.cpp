// todayhost: the device's Today screen as a process of its own. It loads the registered Today
// items and shows them on its screen: headless by default, live with $CE_DISPLAY=sdl. When
// $CE_SCREENSHOT names a host PNG file, the screen is saved there after every refresh that drew
// something (written beside and renamed, so a reader never sees half a file). WM_CLOSE posted to
// its window (class "TodayHost") unloads the items and ends it; WM_TODAYCUSTOM_CLEARCACHE posted
// there refreshes every item at once; WM_LBUTTONUP posted there is a tap at that point.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "platform/display/display.h"
#include "platform/files/module_path.h"
#include "platform/libraries/libraries.h"
#include "platform/libraries/shared_libraries.h"
#include "platform/shell/launch_seam.h"
#include "today_host.h"
#include "today_host_install.h"

int main(int argc, char** argv) {
  ce::files::SetModulePath(todayhost::kProgramPath);
  ce::shell::LaunchedCommandLine(argc, argv);  // the host takes no arguments
  // The system's own item libraries are found in the build's library folder unless the
  // environment names another.
  if (const char* folder = std::getenv("CE_LIBRARY_DIR"); folder == nullptr || *folder == 0)
    ce::libraries::SetLibraryFolder(TODAYHOST_LIBRARY_DIR);

  todayhost::TodayHost host;
  if (const char* screenshot = std::getenv("CE_SCREENSHOT"); screenshot && *screenshot) {
    const std::filesystem::path file(screenshot);
    host.SetRepaintHook([file] {
      std::filesystem::path part = file;
      part += ".part.png";
      std::error_code error;
      if (ce::display::SaveScreenshot(part)) std::filesystem::rename(part, file, error);
    });
  }
  if (!host.Create(GetModuleHandleW(nullptr))) return 1;
  return todayhost::RunMessageLoop();
}
