// The simulated device's record of sound and signal effects.
#include <map>
#include <mutex>

#include "platform/sound/sound_internal.h"

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

namespace internal {

void Record(Effect effect) {
  State& s = TheState();
  std::lock_guard lock(s.mutex);
  s.effects.push_back(std::move(effect));
}

void SetLed(UINT led, int state) {
  State& s = TheState();
  std::lock_guard lock(s.mutex);
  s.leds[led] = state;
  s.effects.push_back(Effect{Effect::kLed, u"", static_cast<DWORD>(state), led});
}

std::shared_ptr<SoundOutput> Output() {
  State& s = TheState();
  std::lock_guard lock(s.mutex);
  return s.output;
}

}  // namespace internal
}  // namespace ce::sound
