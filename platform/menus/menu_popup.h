// A popup menu drawn on the screen for a person at the live window: tapped rows pick commands or
// open popups ("<" goes back), a tap outside or the escape key dismisses it.
#pragma once

#include "platform/menus/menus.h"

namespace ce::menus {

// Whether unanswered menus are shown for a person: when the live window is shown, or when a test
// asks for it.
bool InteractiveMenus();
void SetInteractiveMenus(bool on);

// Shows the menu at (x, y) (screen, aligned by the TPM_ flags) and runs until the person picks a
// command (answered) or dismisses it (0). The owner gets WM_INITMENUPOPUP for popups opened.
UINT RunMenuPopup(HMENU menu, UINT flags, int x, int y, HWND owner);

}  // namespace ce::menus
