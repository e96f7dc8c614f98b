#pragma once
#include "player/MovieRotation.h"
#include "ui/Form.h"

#include <cstdint>
#include <memory>
#include <random>
#include <string>

namespace qb {

class TShockwaveFlash;
class MovieTimerSet;
class FlashMovieControl;
namespace ui {
class Timer;
}

// The movies, silent, inside the small preview area of the system's display
// settings: a child of the host window that fills it and ignores all input.
// The process ends with the host window.
class TPreviewForm : public ui::Form {
    QB_CLASS(TPreviewForm)
public:
    // hostWindow: the handle of the area to draw into.
    explicit TPreviewForm(void* hostWindow);
    ~TPreviewForm() override;

    std::string SettingsFile;

protected:
    void Design() override;

private:
    void FormShow();
    void Load(const std::function<void()>& load);

    std::unique_ptr<TShockwaveFlash> swfPreview;
    std::unique_ptr<FlashMovieControl> control_;
    std::unique_ptr<MovieTimerSet> timers_;
    std::unique_ptr<MovieRotation> movies_;
    std::mt19937 random_;
    bool reporting_ = false;
};

}  // namespace qb
