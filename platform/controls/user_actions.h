// Acting on a control as the user would: the scripted user's steps send these, and the control
// does what a tap, a drag or typing would do, with the same notifications to its parent.
#pragma once

#define CE_UA_SELECT 0x7FF0   // wParam: entry (list box, combo box, tab control)
#define CE_UA_TRACK 0x7FF1    // wParam: thumb position (trackbar)
#define CE_UA_SPIN 0x7FF2     // wParam: +1 up, -1 down (up-down control)
#define CE_UA_SETTEXT 0x7FF3  // lParam: text the user enters (date/time picker: in its format's order)
#define CE_UA_COLUMN 0x7FF4   // wParam: column whose header is tapped (list view)
#define CE_UA_HOLD 0x7FF5     // wParam: row held (list view); lParam: column + 1, 0 the row's middle
