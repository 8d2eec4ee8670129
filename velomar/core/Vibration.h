// The phone's vibrator (notification LED 1). Works from any thread and without any manager:
// exceptions use it before the phone manager exists.
#pragma once

#include "platform/base/types.h"

// Switches the vibrator on, sleeps `duration_ms` on the calling thread, and switches it off.
void VibratePhone(DWORD duration_ms);
