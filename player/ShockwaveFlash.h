#pragma once
#include "flash/Playback.h"
#include "player/FlashInputFilter.h"

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

namespace qb {

// The Flash control the players and the editor embed: a child window that
// plays a movie through our engine and shows its frames, scaled to fit and
// centred on the background colour. It starts at quality High with the
// movie's own background, looping.
class TShockwaveFlash {
public:
    TShockwaveFlash(HWND parent, int left, int top, int width, int height);
    ~TShockwaveFlash();
    TShockwaveFlash(const TShockwaveFlash&) = delete;
    TShockwaveFlash& operator=(const TShockwaveFlash&) = delete;

    HWND Handle() const { return hwnd_; }
    void SetBounds(int left, int top, int width, int height);

    // Writing loads the movie in place of the current one (an empty path
    // unloads it: the background alone, no frames); reading gives the path.
    const std::wstring& Movie() const { return movie_; }
    void SetMovie(const std::wstring& path);
    // "Low", "Medium" or "High" (anything else is ignored).
    void SetQuality2(const std::wstring& quality);
    const std::wstring& Quality2() const { return quality_; }
    // 0x00RRGGBB.
    void SetBackgroundColor(int32_t rgb);
    int32_t BackgroundColor() const { return background_; }
    void SetLoop(bool loop);
    bool Loop() const { return loop_; }
    // Frame count, and the current frame counted from 0.
    int32_t TotalFrames() const { return playback_->TotalFrames(); }
    int32_t FrameNum() const { return playback_->FrameNum(); }
    void Play() { playback_->Play(); }
    void Stop() { playback_->Stop(); }
    bool IsPlaying() const { return playback_->Playing(); }

    // Input filter switches (only the full-screen player turns it on).
    bool InputFilterActive = false;
    bool ForwardMouseMove = false;
    bool ForwardMouseClick = false;
    bool ForwardKeys = false;

    // Frames drawn so far (for tests).
    uint64_t FramesDrawn() const { return playback_->FramesDrawn(); }

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void Paint();

    HWND hwnd_ = nullptr;
    std::unique_ptr<flash::Playback> playback_;
    std::wstring movie_;
    std::wstring quality_ = L"High";
    int32_t background_ = -1;  // the movie's own until set
    bool loop_ = true;
};

}  // namespace qb
