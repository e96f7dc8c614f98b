#pragma once
#include "flash/sound/AudioOutput.h"

#include <memory>

namespace qb {

// The engine's sound on Windows: the mix played through the wave output
// device (null when there is none), MP3 decoded by the system's codec.
std::unique_ptr<sound::AudioOutput> OpenWaveOutput(sound::Mixer& mixer);
std::shared_ptr<const sound::Mp3Codec> SystemMp3Codec();

inline sound::AudioHost SystemAudio() { return {&OpenWaveOutput, SystemMp3Codec()}; }

}  // namespace qb
