// The trail dialog "Trace" (template 161, command 40101): the line and lift-dots switches.
#pragma once

#include "platform/base/types.h"

namespace cumulor {

inline constexpr int kTrailDialog = 161;
inline constexpr int kTrailLineCheck = 1327;
inline constexpr int kTrailLiftDotsCheck = 1328;

INT_PTR TrailDialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);

}  // namespace cumulor
