#include "velomar/dialogs/ScreenMode.h"

#include "platform/window/window.h"
#include "velomar/core/app/App.h"
#include "velomar/ui/WindowMain.h"

namespace velomar::dialogs {

int ScreenMode() {
  if (CApp* app = CApp::GetApp()) {
    if (CWindowMain* main = app->GetMainWindow()) return main->GetScreenMode();
  }
  RECT rc{};
  GetWindowRect(GetDesktopWindow(), &rc);
  const LONG width = rc.right - rc.left;
  const LONG height = rc.bottom - rc.top;
  return height > width ? 0 : (height < width ? 1 : 2);
}

UINT TemplateForMode(int mode, UINT portrait, UINT landscape, UINT square) {
  switch (mode) {
    case 0: return portrait;
    case 1: return landscape;
    case 2: return square;
    default: return 0;
  }
}

UINT TemplateForScreen(UINT portrait, UINT landscape, UINT square) {
  return TemplateForMode(ScreenMode(), portrait, landscape, square);
}

}  // namespace velomar::dialogs
