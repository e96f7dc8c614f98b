#include "player/PlaybackRules.h"

#include <cstdlib>

namespace qb {

void MovieEndWatch::Arm(int32_t totalFrames) {
    lastFast_ = lastSlow_ = -2;
    endMargin_ = totalFrames / 12 < 8 ? 8 : totalFrames / 12;
    watching_ = true;
}

MovieEndWatch::Verdict MovieEndWatch::FastTick(int32_t frame, int32_t totalFrames) {
    if (!watching_) return Verdict::Continue;
    // The preview looks only at the first ten frames for a restart.
    const int32_t startLimit = kind_ == Kind::Preview ? 10 : endMargin_;
    if (frame < lastFast_ && frame < startLimit) return Verdict::EndMovie;
    if (frame == totalFrames) return Verdict::EndMovie;
    lastFast_ = frame;
    return Verdict::Continue;
}

MovieEndWatch::Verdict MovieEndWatch::SlowTick(int32_t frame, int32_t totalFrames, bool autoPlay) {
    if (!watching_) return Verdict::Continue;
    Verdict verdict = Verdict::Continue;
    if (frame <= lastSlow_) {
        if (totalFrames - endMargin_ < lastSlow_) return Verdict::EndMovie;
        // The preview never resumes a movie that halted early.
        if (kind_ == Kind::FullScreen && autoPlay) verdict = Verdict::Resume;
    }
    lastSlow_ = frame;
    return verdict;
}

int32_t NextIndex(int32_t current, int32_t count, bool randomOrder, const std::function<int32_t(int32_t)>& random) {
    if (randomOrder) {
        if (count < 2) return 0;
        int32_t next;
        do next = random(count);
        while (next == current);
        return next;
    }
    return current < count - 1 ? current + 1 : 0;
}

int32_t MulDiv(int32_t a, int32_t b, int32_t c) {
    if (c == 0) return -1;
    const int64_t product = static_cast<int64_t>(a) * b;
    // Round half away from zero, as the platform's MulDiv does.
    const int64_t half = std::llabs(c) / 2;
    const bool negative = (product < 0) != (c < 0);
    const int64_t q = (std::llabs(product) + half) / std::llabs(c);
    return static_cast<int32_t>(negative ? -q : q);
}

std::optional<Bounds> PlaceMovie(int32_t movieSize, int32_t w, int32_t h, int32_t W, int32_t H) {
    Bounds b{0, 0, w, h};
    if (movieSize == 1) {
        if (static_cast<int64_t>(h) * W > static_cast<int64_t>(w) * H) {
            b.Width = MulDiv(w, H, h);
            b.Height = H;
        } else {
            b.Width = W;
            b.Height = MulDiv(h, W, w);
        }
    } else if (movieSize != 0) {
        return std::nullopt;
    }
    b.Left = (W - b.Width) / 2;
    b.Top = (H - b.Height) / 2;
    return b;
}

bool MouseOrigin::MovedFar(int32_t x, int32_t y) {
    if (x_ == -1) x_ = x;
    if (y_ == -1) y_ = y;
    return std::abs(x_ - x) > kMouseSlack || std::abs(y_ - y) > kMouseSlack;
}

}  // namespace qb
