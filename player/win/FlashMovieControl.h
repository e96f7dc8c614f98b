#pragma once
#include "player/MovieControl.h"
#include "player/ShockwaveFlash.h"

#include <windows.h>

namespace qb {

// The players' view of the Flash control: paths in the system code page.
class FlashMovieControl : public MovieControl {
public:
    explicit FlashMovieControl(TShockwaveFlash& swf) : swf_(swf) {}

    void SetMovie(const std::string& path) override { swf_.SetMovie(Widen(path)); }
    std::string Movie() const override {
        const std::wstring& w = swf_.Movie();
        if (w.empty()) return {};
        int n = WideCharToMultiByte(CP_ACP, 0, w.data(), (int)w.size(), nullptr, 0, nullptr, nullptr);
        std::string s(static_cast<size_t>(n), '\0');
        WideCharToMultiByte(CP_ACP, 0, w.data(), (int)w.size(), s.data(), n, nullptr, nullptr);
        return s;
    }
    void SetLoop(bool loop) override { swf_.SetLoop(loop); }
    int32_t TotalFrames() const override { return swf_.TotalFrames(); }
    int32_t FrameNum() const override { return swf_.FrameNum(); }
    void Play() override { swf_.Play(); }
    void Stop() override { swf_.Stop(); }
    void SetBounds(const Bounds& b) override { swf_.SetBounds(b.Left, b.Top, b.Width, b.Height); }

    static std::wstring Widen(const std::string& s) {
        if (s.empty()) return {};
        int n = MultiByteToWideChar(CP_ACP, 0, s.data(), (int)s.size(), nullptr, 0);
        std::wstring w(static_cast<size_t>(n), L'\0');
        MultiByteToWideChar(CP_ACP, 0, s.data(), (int)s.size(), w.data(), n);
        return w;
    }

private:
    TShockwaveFlash& swf_;
};

}  // namespace qb
