#include "velomar/core/Vibration.h"

#include "platform/kernel/threads.h"
#include "platform/sound/nled.h"

namespace {

void SetVibrator(INT state) {
  NLED_SETTINGS_INFO settings{};
  settings.LedNum = 1;
  settings.OffOnBlink = state;
  NLedSetDevice(NLED_SETTINGS_INFO_ID, &settings);
}

// Switches the vibrator off however the sleep ends (a terminated thread unwinds out of it).
class VibratorOn {
 public:
  VibratorOn() { SetVibrator(1); }
  ~VibratorOn() { SetVibrator(0); }
  VibratorOn(const VibratorOn&) = delete;
  VibratorOn& operator=(const VibratorOn&) = delete;
};

}  // namespace

void VibratePhone(DWORD duration_ms) {
  VibratorOn on;
  Sleep(duration_ms);
}
