#pragma once
#include <cstdint>
#include <functional>
#include <optional>

// The players' decisions, apart from their windows: when a movie has ended,
// which movie or sound comes next, where a movie is placed, which mouse move
// ends the screensaver.
namespace qb {

// Watches a playing movie's frame counter, polled fast (50 ms) and slow
// (400-500 ms), for the signs that the movie is over.
class MovieEndWatch {
public:
    enum class Verdict { Continue, EndMovie, Resume };
    enum class Kind { FullScreen, Preview };

    explicit MovieEndWatch(Kind kind) : kind_(kind) {}

    // A movie of `totalFrames` starts being watched.
    void Arm(int32_t totalFrames);
    void Disarm() { watching_ = false; }
    bool Watching() const { return watching_; }
    int32_t EndMargin() const { return endMargin_; }

    // The fast check catches a movie that jumped back to its start.
    Verdict FastTick(int32_t frame, int32_t totalFrames);
    // The slow check catches a movie that no longer moves: near its end it is
    // over; elsewhere the full-screen player may resume it (autoPlay).
    Verdict SlowTick(int32_t frame, int32_t totalFrames, bool autoPlay);

private:
    Kind kind_;
    bool watching_ = false;
    int32_t lastFast_ = -2;
    int32_t lastSlow_ = -2;
    int32_t endMargin_ = 8;
};

// The index after `current` in a list of `count`: the next one (wrapping), or
// a random one that differs from `current` whenever there are two or more.
// `random(n)` answers a uniform number in 0..n-1.
int32_t NextIndex(int32_t current, int32_t count, bool randomOrder, const std::function<int32_t(int32_t)>& random);

// a * b / c rounded to the nearest integer with a 64-bit product; -1 when c is 0.
int32_t MulDiv(int32_t a, int32_t b, int32_t c);

struct Bounds {
    int32_t Left = 0, Top = 0, Width = 0, Height = 0;
    bool operator==(const Bounds&) const = default;
};

// Where a movie of w x h goes on a screen of W x H: 0 its own size, centred;
// 1 as large as fits, centred. Other sizes leave the control where it is (nullopt).
std::optional<Bounds> PlaceMovie(int32_t movieSize, int32_t w, int32_t h, int32_t W, int32_t H);

// The mouse must move more than this many pixels on an axis to end the screensaver.
inline constexpr int32_t kMouseSlack = 15;

// The first move after each load only sets the origin; later moves end the
// screensaver once they are more than kMouseSlack away from it.
class MouseOrigin {
public:
    void Reset() { x_ = y_ = -1; }
    bool MovedFar(int32_t x, int32_t y);

private:
    int32_t x_ = -1, y_ = -1;
};

}  // namespace qb
