// Notification LEDs. LED 0 is the notification light, LED 1 the vibrator (so vibration is
// LED 1 switched on). Their states are recorded in the simulated device (sound_effects.h).
#pragma once

#include "platform/base/types.h"

#define NLED_COUNT_INFO_ID 0
#define NLED_SUPPORTS_INFO_ID 1
#define NLED_SETTINGS_INFO_ID 2

struct NLED_COUNT_INFO {
  UINT cLeds;
};

struct NLED_SETTINGS_INFO {
  UINT LedNum;
  INT OffOnBlink;  // 0 off, 1 on, 2 blink
  LONG TotalCycleTime;
  LONG OnTime;
  LONG OffTime;
  INT MetaCycleOn;
  INT MetaCycleOff;
};

BOOL NLedGetDeviceInfo(UINT info_id, void* output);
// NLED_SETTINGS_INFO_ID only; an unknown LED or state answers FALSE (ERROR_INVALID_PARAMETER).
BOOL NLedSetDevice(UINT info_id, void* input);
