#pragma once
#include "player/MovieControl.h"
#include "player/ShockwaveFlash.h"
#include "ui/win/WinText.h"

#include <windows.h>

namespace qb {

// The players' view of the Flash control: paths in the system code page.
class FlashMovieControl : public MovieControl {
public:
    explicit FlashMovieControl(TShockwaveFlash& swf) : swf_(swf) {}

    void SetMovie(const std::string& path) override { swf_.SetMovie(ui::win::Widen(path, CP_ACP)); }
    std::string Movie() const override { return ui::win::Narrow(swf_.Movie(), CP_ACP); }
    void SetLoop(bool loop) override { swf_.SetLoop(loop); }
    int32_t TotalFrames() const override { return swf_.TotalFrames(); }
    int32_t FrameNum() const override { return swf_.FrameNum(); }
    void Play() override { swf_.Play(); }
    void Stop() override { swf_.Stop(); }
    void SetBounds(const Bounds& b) override { swf_.SetBounds(b.Left, b.Top, b.Width, b.Height); }

private:
    TShockwaveFlash& swf_;
};

}  // namespace qb
