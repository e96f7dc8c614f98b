#pragma once
#include "flash/sound/Mixer.h"
#include "flash/sound/Mp3Codec.h"

#include <functional>
#include <memory>

namespace qb::sound {

// A host's sound device playing a mixer: it plays from its creation and
// falls silent and closes in its destructor.
class AudioOutput {
public:
    virtual ~AudioOutput() = default;
};

// What a host lends the engine for sound. Open runs on the playback
// thread and answers null when there is no device.
struct AudioHost {
    std::function<std::unique_ptr<AudioOutput>(Mixer&)> Open;
    std::shared_ptr<const Mp3Codec> Mp3;
};

}  // namespace qb::sound
