// Where the flight-state spin buttons and QNH functions put their texts: a control of a dialog.
// The application core installs the writer (SetDlgItemTextW of the window layer); until it does,
// texts go nowhere, so the computations run the same with or without a dialog.
#pragma once

#include "platform/base/types.h"

namespace cumulor {

using DialogTextWriter = void (*)(HWND dialog, int control, const WCHAR* text);
void SetDialogTextWriter(DialogTextWriter writer);
// Shows the text in the control; nothing when no writer is installed or the dialog is null.
void ShowControlText(HWND dialog, int control, const WCHAR* text);
// The same for 8-bit ASCII text.
void ShowControlTextA(HWND dialog, int control, const char* text);

}  // namespace cumulor
