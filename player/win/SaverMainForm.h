#pragma once
#include "player/ExitRules.h"
#include "player/MovieRotation.h"
#include "player/SoundRotation.h"
#include "ui/Form.h"

#include <cstdint>
#include <memory>
#include <random>
#include <string>

namespace qb {

class TShockwaveFlash;
class MovieTimerSet;
class TMediaPlayer;
class FlashMovieControl;
namespace ui {
class Timer;
}

// The screensaver itself: a borderless top-most window over the whole
// screen that plays the configured movies and background sounds until the
// input the settings name ends it (after the platform's password check).
// Shown modally by the launch window and by the editor's preview.
class TSaverMainForm : public ui::Form {
    QB_CLASS(TSaverMainForm)
public:
    TSaverMainForm();
    ~TSaverMainForm() override;

    // Set after creation, before showing: the editor points the player at
    // its own preview settings and keeps its own window.
    std::string SettingsFile;
    bool StartedFromEditor = false;

protected:
    void Design() override;
    void DoCreate() override;

private:
    class SharedMp3;

    void FormShow();
    void FormDestroy();
    bool FormMessage(unsigned msg, uintptr_t wp, intptr_t lp, intptr_t& result);
    void FormCloseQuery(bool& canClose);
    void RequestExit(bool v);
    void SetLoading(bool v);
    // Runs a movie load; its error goes to the error box, and input counts again.
    template <class F>
    void Load(F&& load);
    int32_t Random(int32_t n);

    std::unique_ptr<TShockwaveFlash> swf_;
    std::unique_ptr<FlashMovieControl> control_;
    std::unique_ptr<MovieTimerSet> timers_;
    std::unique_ptr<SharedMp3> mp3_;
    std::unique_ptr<TMediaPlayer> MP;
    std::unique_ptr<MovieRotation> movies_;
    std::unique_ptr<SoundRotation> sounds_;
    ExitRules exit_;
    std::mt19937 random_;
    ui::Timer* SoundTimer = nullptr;
    bool showCursor_ = false;
    void* savedCursor_ = nullptr;
    bool destroyed_ = false;
    bool reporting_ = false;
};

}  // namespace qb
