// The Velomar program: its module path and CE command line, then the entry point.
//
// Platform options come from the environment ($CE_DEVICE_DIR, $CE_SCREEN, $CE_DISPLAY,
// $CE_USER_SCRIPT); $CE_SCREENSHOT names a host PNG file that receives the screen once the main
// window has first been painted while shown (the program starts hidden: a second start with an
// empty command line, or the tray icon, shows it).
#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/display/display.h"
#include "platform/files/module_path.h"
#include "platform/libraries/libraries.h"
#include "platform/shell/launch.h"
#include "platform/shell/launch_seam.h"
#include "velomar/core/app/WinMain.h"
#include "velomar/ui/WindowMain.h"

namespace {

std::filesystem::path g_screenshot;

void SaveScreenshot() { ce::display::SaveScreenshot(g_screenshot); }

}  // namespace

int main(int argc, char** argv) {
  ce::files::SetModulePath(u"\\Program Files\\Velomar\\Velomar.exe");
  std::u16string command_line = ce::shell::LaunchedCommandLine(argc, argv);
  if (const char* screenshot = std::getenv("CE_SCREENSHOT"); screenshot && *screenshot) {
    g_screenshot = screenshot;
    CWindowMain::SetShownPaintHook(SaveScreenshot);
  }
  return WinMain(GetModuleHandleW(nullptr), nullptr, command_line.data(), SW_SHOW);
}
