// Inside the sound area: the record of effects and the installed output.
#pragma once

#include <memory>

#include "platform/sound/sound_effects.h"

namespace ce::sound::internal {

void Record(Effect effect);
void SetLed(UINT led, int state);
std::shared_ptr<SoundOutput> Output();

}  // namespace ce::sound::internal
