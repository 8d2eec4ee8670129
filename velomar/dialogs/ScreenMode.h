// How an opener picks a dialog's template: by the main window's screen mode (0 portrait,
// 1 landscape, 2 square). Without a main window the mode comes from the screen's shape, by the
// same rule.
#pragma once

#include "platform/base/types.h"

namespace velomar::dialogs {

int ScreenMode();
// The template of the current screen mode; 0 (no template: creation fails) for any other mode.
UINT TemplateForScreen(UINT portrait, UINT landscape, UINT square);
UINT TemplateForMode(int mode, UINT portrait, UINT landscape, UINT square);

}  // namespace velomar::dialogs
