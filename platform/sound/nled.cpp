// Notification LEDs and the vibrator.
#include "platform/sound/nled.h"

#include "platform/base/errors.h"
#include "platform/kernel/last_error.h"
#include "platform/sound/sound_internal.h"

namespace {
constexpr UINT kLedCount = 2;  // 0 the notification light, 1 the vibrator
}

BOOL NLedGetDeviceInfo(UINT info_id, void* output) {
  if (!output || info_id != NLED_COUNT_INFO_ID) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  static_cast<NLED_COUNT_INFO*>(output)->cLeds = kLedCount;
  return TRUE;
}

BOOL NLedSetDevice(UINT info_id, void* input) {
  const auto* settings = static_cast<const NLED_SETTINGS_INFO*>(input);
  if (info_id != NLED_SETTINGS_INFO_ID || !settings || settings->LedNum >= kLedCount || settings->OffOnBlink < 0 ||
      settings->OffOnBlink > 2) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  ce::sound::internal::SetLed(settings->LedNum, settings->OffOnBlink);
  return TRUE;
}
