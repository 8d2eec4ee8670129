// The waypoint lists' window-side helper the task pages use: the go-to target's caption.
#pragma once

#include "platform/base/types.h"

namespace cumulor {

inline constexpr int kIdTargetCode = 1346;
inline constexpr int kIdTargetName = 1347;

// When the go-to target is valid: its code into control 1346 and its name into 1347.
void ShowGotoTargetCaption(HWND dialog);

}  // namespace cumulor
