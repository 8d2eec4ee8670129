// The serial port settings dialog (template 160, "Cumulor COM Port"): eight port buttons and five
// rate buttons that store their choice in the application record at once.
#pragma once

#include "platform/base/types.h"

namespace cumulor {

inline constexpr int kPortDialogTemplate = 160;
inline constexpr int kIdPortFirst = 1320;   // ports 1..8: 1320..1327
inline constexpr int kIdRateFirst = 1330;   // 4800, 9600, 19200, 38400, 57600: 1330..1334
inline constexpr int kIdPortClose = 1355;

// lparam: the application record, or 0 for the process's one. Ends with 2 on OK, Cancel, the
// close button and the hardware keys 193..196.
INT_PTR PortDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);

}  // namespace cumulor
