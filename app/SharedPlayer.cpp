#include "app/SharedPlayer.h"
#include "app/SaverUtils.h"
#include "platform/FileSystem.h"

namespace qb {

SharedPlayerScope::SharedPlayerScope(LibraryLoader& loader, TimerWorkerFactory& timerWorkers) {
    if (!fs::FileExists(SaverUtils::ExeDir + TMPEGPlayer::kLibraryName)) return;
    auto player = std::make_unique<TMPEGPlayer>(loader, timerWorkers);
    player->UseTimer = true;
    player->SetTimerFreq(100);
    player->PathToDLL = SaverUtils::ExeDir;
    try {
        player->LoadDLL();
    } catch (const TMPEGError&) {
        // A library that is there but does not load (damaged, or missing an
        // entry point) must not stop the program before its first window:
        // without the shared player the windows simply play no MP3.
        return;
    }
    player_ = std::move(player);
    SaverUtils::SharedMp3Player = player_.get();
}

SharedPlayerScope::~SharedPlayerScope() {
    if (!player_) return;
    SaverUtils::SharedMp3Player = nullptr;
    try {
        player_->UnloadDLL();
    } catch (const TMPEGError&) {
    }
}

}  // namespace qb
