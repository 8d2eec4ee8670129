// The airspace dialogs: "Airspace Alarm" (template 140), "DISABLED Airspace" (141), "Altitude
// Restriction Warning" (151) and "Export Data" (203), with the templates in
// cumulor/res/dialog-airspace.txt.
#pragma once

#include "cumulor/data/airspace/airspace_module.h"
#include "platform/base/types.h"
#include "platform/window/window.h"

namespace cumulor {

inline constexpr int kAirspaceAlarmDialog = 140;
inline constexpr int kDisabledAirspaceDialog = 141;
inline constexpr int kAltitudeWarningDialog = 151;
inline constexpr int kExportDataDialog = 203;

// What the alarm dialog is opened with (its lParam points at it).
struct AirspaceAlarmDialogArgs {
  AirspaceModule* module = nullptr;
  AirspaceAlarm alarm;
};

// "Today" switches the shape off for the day, "3 min" for three minutes (both only while the shape
// is still loaded); control 193 closes without a change.
INT_PTR AirspaceAlarmDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
// Lists the shapes of groups 2..12 still switched off; "Enable" switches the selected one on. lParam:
// the AirspaceModule.
INT_PTR DisabledAirspaceDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
// lParam: a text of two lines separated by a line feed; ends with 1 (OK) or 2 ("Disable Today").
INT_PTR AltitudeWarningDlgProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
// "Export" writes "\KV_Export.txt" and shows "Done." only when every write succeeded.
INT_PTR ExportDataDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);

// The alarm dialog run modally over `owner` for one alarm.
void RunAirspaceAlarmDialog(AirspaceModule& module, HWND owner, const AirspaceAlarm& alarm);

}  // namespace cumulor
