// What the sound and signal calls did, as the simulated device records it, and the seam through
// which a live window makes sounds heard.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/base/types.h"

namespace ce::sound {

struct Effect {
  // kDefaultSound: a sound that exists but cannot be played, answered with the default sound;
  // kNotFound: a sound file that does not exist (nothing is played).
  enum Kind { kPlay, kStop, kDefaultSound, kBeep, kVolume, kSetSound, kLed, kNotFound };
  Kind kind;
  std::u16string text;  // kPlay, kDefaultSound, kNotFound: the CE path (a bare name is taken from
                        // "\Windows"; "<memory>" or "#<id>" for images and resources);
                        // kSetSound: the path set
  DWORD value = 0;      // kPlay: the flags; kBeep: the beep type; kVolume: the volume;
                        // kSetSound: the sound type; kLed: 0 off, 1 on, 2 blink
  DWORD index = 0;      // kSetSound: the event; kLed: the LED
};

std::vector<Effect> RecordedEffects();
void ClearRecordedEffects();
// The LED's state: 0 off, 1 on, 2 blink.
int LedState(UINT led);
inline bool IsVibrating() { return LedState(1) != 0; }

// Plays wave sounds where they can be heard. Play returns when the sound has ended when `wait`
// is set. Installed by the live window, removed (null) when it closes.
class SoundOutput {
 public:
  virtual ~SoundOutput() = default;
  // A RIFF WAVE image; false when it cannot be played.
  virtual bool Play(const std::vector<std::uint8_t>& wave, bool wait, bool loop) = 0;
  virtual void Stop() = 0;
};
void SetSoundOutput(std::shared_ptr<SoundOutput> output);

}  // namespace ce::sound
