// The simulated device's record of sound and signal effects.
#include <map>
#include <mutex>

#include "platform/device/device.h"
#include "platform/sound/sound_internal.h"
#include "platform/text/utf.h"

namespace ce::sound {
namespace {

struct State {
  std::mutex mutex;
  std::vector<Effect> effects;
  std::map<UINT, int> leds;
  std::shared_ptr<SoundOutput> output;
};

State& TheState() {
  static State* state = new State;
  return *state;
}

}  // namespace

std::vector<Effect> RecordedEffects() {
  State& s = TheState();
  std::lock_guard lock(s.mutex);
  return s.effects;
}

void ClearRecordedEffects() {
  State& s = TheState();
  std::lock_guard lock(s.mutex);
  s.effects.clear();
}

int LedState(UINT led) {
  State& s = TheState();
  std::lock_guard lock(s.mutex);
  auto it = s.leds.find(led);
  return it == s.leds.end() ? 0 : it->second;
}

void SetSoundOutput(std::shared_ptr<SoundOutput> output) {
  State& s = TheState();
  std::lock_guard lock(s.mutex);
  s.output = std::move(output);
}

namespace {

// The outward signals (LEDs and the vibrator, volume, beeps, sounds) also go to the device's
// record, where other processes and the control tool read them as a timeline.
void RecordOnDevice(const Effect& effect) {
  static constexpr const char* kKinds[] = {"sound",       "sound-stop", "sound-default", "beep",
                                           "volume",      "sound-event", "led",          "sound-not-found"};
  ce::device::Effect e;
  e.kind = kKinds[effect.kind];
  e.target = effect.kind == Effect::kLed ? std::to_string(effect.index) : ce::text::ToUtf8(effect.text);
  e.value = effect.value;
  ce::device::Record(e);
}

}  // namespace

namespace internal {

void Record(Effect effect) {
  RecordOnDevice(effect);
  State& s = TheState();
  std::lock_guard lock(s.mutex);
  s.effects.push_back(std::move(effect));
}

void SetLed(UINT led, int state) {
  const Effect effect{Effect::kLed, u"", static_cast<DWORD>(state), led};
  RecordOnDevice(effect);
  State& s = TheState();
  std::lock_guard lock(s.mutex);
  s.leds[led] = state;
  s.effects.push_back(effect);
}

std::shared_ptr<SoundOutput> Output() {
  State& s = TheState();
  std::lock_guard lock(s.mutex);
  return s.output;
}

}  // namespace internal
}  // namespace ce::sound
