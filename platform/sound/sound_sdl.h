// Sound output through SDL2 audio, for a live window to install with ce::sound::SetSoundOutput.
#pragma once

#include <memory>

#include "platform/sound/sound_effects.h"

namespace ce::sound {

// Null when SDL's audio cannot be started (no audio device).
std::shared_ptr<SoundOutput> MakeSdlSoundOutput();

}  // namespace ce::sound
