// The airspace settings dialogs: "User Airspace" (template 122, command 40117) for the classes of
// the airspace files and their fill, "Airspace Warnings" (139, opened from 122) for the alarm
// switches and margins, and "Airspace" (172, command 40107) for the database airspace classes
// shown and warned. They edit the application record (`AppRecord()`).
#pragma once

#include "platform/base/types.h"
#include "platform/window/window.h"

namespace cumulor {

inline constexpr int kUserAirspaceDialog = 122;
inline constexpr int kAirspaceWarningsDialog = 139;
inline constexpr int kDbAirspaceDialog = 172;

// Dialog 122: check box 1015 + class group (groups 1..13; group 1 has none), the buttons and the
// fill choice.
inline constexpr int kIdGroupBoxBase = 1015;
inline constexpr int kIdConfigureWarnings = 1211;
inline constexpr int kIdOffList = 1212;
inline constexpr int kIdFillSolid = 1244;
inline constexpr int kIdFillSeeThrough = 1245;
inline constexpr int kIdTitleOk = 1355;

// Dialog 139.
inline constexpr int kIdAlarmsEnabled = 1217;
inline constexpr int kIdAlarmSmall = 1101;
inline constexpr int kIdAlarmAudio = 1102;
inline constexpr int kIdVerticalMargin = 1212;
inline constexpr int kIdHorizontalMargin = 1214;
inline constexpr int kIdVerticalPlus = 1218;
inline constexpr int kIdVerticalMinus = 1219;
inline constexpr int kIdHorizontalPlus = 1220;
inline constexpr int kIdHorizontalMinus = 1221;

// Dialog 172: the label choice, the tab control and check box 1359 + database class (0..14).
inline constexpr int kIdLabelName = 1244;
inline constexpr int kIdLabelId = 1245;
inline constexpr int kIdClassTabs = 1386;
inline constexpr int kIdClassBoxBase = 1359;

INT_PTR UserAirspaceDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
INT_PTR AirspaceWarningsDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
INT_PTR DbAirspaceDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);

// Gives the focus back to a dialog still open after a tap on one of its controls, so that the
// hardware keys keep coming to the dialog.
void KeepKeyFocus(HWND dialog);
// The focus handling these dialogs share: WM_SETFOCUS is kept, WM_ACTIVATE gives the focus back
// to the dialog, and a hardware key runs `onKey` (the dialog's confirm or end). True when the
// message was handled (the procedure answers TRUE); other keys and messages answer false.
bool KeyFocusMessage(HWND dialog, UINT message, WPARAM wparam, void (*onKey)(HWND));
// Ends the dialog with 1 (the keys' answer of the dialogs that read nothing then).
void EndKeyDialog(HWND dialog);
// The OK and cancel of these dialogs: the title's OK button (kIdTitleOk) and IDOK run `confirm`,
// IDCANCEL ends the dialog with 1. TRUE for those ids, FALSE for any other.
INT_PTR ConfirmOrEnd(HWND dialog, int id, void (*confirm)(HWND));

// A dialog procedure of these dialogs from its parts: KeyFocusMessage with `OnKey` first;
// WM_INITDIALOG runs `Init` and gives the dialog the focus; WM_COMMAND answers what `Command` does
// with the control id, the focus kept on the dialog afterwards.
template <void (*Init)(HWND), INT_PTR (*Command)(HWND, int), void (*OnKey)(HWND)>
INT_PTR KeyDialogProcedure(HWND dialog, UINT message, WPARAM wparam) {
  if (KeyFocusMessage(dialog, message, wparam, OnKey)) return TRUE;
  switch (message) {
    case WM_INITDIALOG:
      Init(dialog);
      SetFocus(dialog);  // the hardware keys come to the dialog
      return FALSE;
    case WM_COMMAND: {
      const INT_PTR handled = Command(dialog, LOWORD(wparam));
      KeepKeyFocus(dialog);
      return handled;
    }
    default: return FALSE;
  }
}

}  // namespace cumulor
