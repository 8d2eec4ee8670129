// The Cumulor program: its CE path, its CE command line, WinMain.
//
// Platform options come from the environment only (the command line's letters are the program's:
// any lower-case "s" or "x" is a flag). Besides the platform's own ($CE_DEVICE_DIR, $CE_SCREEN,
// $CE_DISPLAY, $CE_USER_SCRIPT), $CE_SCREENSHOT names a host PNG file that receives the screen once
// the start-up has run to its last command; $CE_SCREENSHOT_TIMES and $CE_SCREENSHOT_DIR ask for
// screenshots at fix times and on request (scripted_run.h).
#include <cstdlib>
#include <filesystem>

#include "cumulor/app/core/app_entry.h"
#include "cumulor/app/program/scripted_run.h"
#include "platform/display/display.h"
#include "platform/files/module_path.h"
#include "platform/libraries/libraries.h"
#include "platform/shell/launch_seam.h"
#include "platform/window/window.h"

int main(int argc, char** argv) {
  // Started on the device (a launcher, the desktop connection) the program is where that start
  // found it; run straight from the host it takes its installed place.
  if (const char* path = std::getenv("CE_MODULE_PATH"); !path || !*path)
    ce::files::SetModulePath(u"\\Program Files\\Cumulor.exe");
  const std::u16string commandLine = ce::shell::LaunchedCommandLine(argc, argv);
  std::filesystem::path startShot;
  if (const char* screenshot = std::getenv("CE_SCREENSHOT"); screenshot && *screenshot) startShot = screenshot;
  cumulor::SetStartupDoneHook([startShot](cumulor::AppContext& app) {
    cumulor::InstallScriptedRun(app);
    if (!startShot.empty()) ce::display::SaveScreenshot(startShot);
  });
  return cumulor::WinMain(GetModuleHandleW(nullptr), nullptr, commandLine.c_str(), SW_SHOW);
}
