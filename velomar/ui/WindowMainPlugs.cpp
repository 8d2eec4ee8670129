// The options sheet that the main window's commands open (the modal flag and what follows are in
// WindowMainCommands.cpp): a new sheet each time, from the page asked for.
#include "velomar/dialogs/PropertySheetOptions.h"
#include "velomar/ui/WindowMain.h"

void CWindowMain::RunOptionsSheet(int start_page) {
  CPropertySheetOptions sheet(this);
  sheet.DoModal(start_page);
}
