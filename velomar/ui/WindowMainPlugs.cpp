// What the main window's commands open that is not built yet: the options sheet answers here as if
// the user had cancelled, so that its commands do nothing. The dialogs are in WindowMainDialogs.cpp;
// the commands around them (modal flag, what an OK or a cancel does) in WindowMainCommands.cpp.
#include "velomar/ui/WindowMain.h"

// ---- The options sheet ----

void CWindowMain::RunOptionsSheet(int /*start_page*/) {}
