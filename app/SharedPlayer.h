#pragma once
#include "player/MPEGPlayer.h"

#include <memory>

namespace qb {

// Owns the process-wide MP3 player for the life of the program: made at
// start-up only when the decoder library lies beside the executable (in
// SaverUtils::ExeDir), published as SaverUtils::SharedMp3Player, and
// unloaded and freed when the program ends.
class SharedPlayerScope {
public:
    explicit SharedPlayerScope(LibraryLoader& loader = SystemLibraryLoader(),
                               TimerWorkerFactory& timerWorkers = SystemTimerWorkers());
    ~SharedPlayerScope();
    SharedPlayerScope(const SharedPlayerScope&) = delete;
    SharedPlayerScope& operator=(const SharedPlayerScope&) = delete;

private:
    std::unique_ptr<TMPEGPlayer> player_;
};

}  // namespace qb
