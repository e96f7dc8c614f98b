#include "player/MovieRotation.h"

#include "platform/FileSystem.h"
#include "player/FileExtension.h"
#include "player/MovieFiles.h"

namespace qb {

bool IsProjectorPath(const std::string& path) { return HasExtension(path, ".exe"); }

MovieRotation::MovieRotation(MovieRotationConfig config, MovieControl& control, MovieTimers& timers,
                             std::function<int32_t(int32_t)> random, std::function<void(bool)> onLoading)
    : config_(std::move(config)),
      control_(control),
      timers_(timers),
      random_(std::move(random)),
      onLoading_(std::move(onLoading)),
      watch_(config_.Kind) {}

void MovieRotation::Start() {
    const auto count = static_cast<int32_t>(config_.Movies.size());
    if (count == 0) return;
    LoadMovie(config_.RandomOrder ? random_(count) : 0);
}

void MovieRotation::LoadMovie(int32_t index) {
    if (index < 0 || index >= static_cast<int32_t>(config_.Movies.size())) return;
    if (config_.Kind == MovieEndWatch::Kind::Preview) LoadPreview(index);
    else LoadFullScreen(index);
}

void MovieRotation::LoadFullScreen(int32_t index) {
    current_ = index;
    if (onLoading_) onLoading_(true);
    std::string path = config_.Movies[index];
    if (fs::FileExists(config_.WorkingCopy)) fs::DeleteTree(config_.WorkingCopy);
    if (IsProjectorPath(path)) {
        ExtractProjectorMovie(path, config_.WorkingCopy);
        path = config_.WorkingCopy;
        if (!config_.MovieBgSound) MuteMovie(path);
    } else if (!config_.MovieBgSound) {
        fs::CopyFileTo(path, config_.WorkingCopy);
        fs::SetArchiveOnly(config_.WorkingCopy);
        path = config_.WorkingCopy;
        MuteMovie(path);
    }
    TMovieInfo info{};
    ReadMovieInfo(path, info);
    const int32_t w = info.FrameRect.Right - info.FrameRect.Left;
    const int32_t h = info.FrameRect.Bottom - info.FrameRect.Top;
    if (auto bounds = PlaceMovie(config_.MovieSize, w, h, config_.ScreenWidth, config_.ScreenHeight))
        control_.SetBounds(*bounds);
    control_.SetMovie(config_.BlankMovie);
    control_.SetMovie(path);
    StartPlaying();
    if (onLoading_) onLoading_(false);
}

void MovieRotation::LoadPreview(int32_t index) {
    current_ = index;
    const std::string& listed = config_.Movies[index];
    // A movie gone since start-up ends its turn at once; the empty working
    // copy below only shows the background until the next one.
    if (!fs::FileExists(listed)) EndMovie();
    control_.SetMovie(config_.BlankMovie);
    if (fs::FileExists(config_.WorkingCopy)) fs::DeleteTree(config_.WorkingCopy);
    if (IsProjectorPath(listed)) {
        ExtractProjectorMovie(listed, config_.WorkingCopy);
    } else {
        fs::CopyFileTo(listed, config_.WorkingCopy);
        fs::SetArchiveOnly(config_.WorkingCopy);
    }
    MuteMovie(config_.WorkingCopy);
    control_.SetMovie(config_.WorkingCopy);
    StartPlaying();
}

void MovieRotation::StartPlaying() {
    if (config_.Movies.size() < 2) {
        control_.SetLoop(true);
    } else {
        watch_.Arm(control_.TotalFrames());
        timers_.SetWatching(true);
        control_.SetLoop(false);
    }
    control_.Play();
    watching_ = true;
}

void MovieRotation::EndMovie() {
    control_.Stop();
    watching_ = false;
    timers_.SetWatching(false);
    timers_.SetInterval(true);
}

bool MovieRotation::Guarded() const { return watching_ && !control_.Movie().empty(); }

void MovieRotation::FastTick() {
    if (!Guarded()) return;
    if (watch_.FastTick(control_.FrameNum(), control_.TotalFrames()) == MovieEndWatch::Verdict::EndMovie) EndMovie();
}

void MovieRotation::SlowTick() {
    if (!Guarded()) return;
    const auto verdict = watch_.SlowTick(control_.FrameNum(), control_.TotalFrames(), config_.AutoPlay);
    if (verdict == MovieEndWatch::Verdict::EndMovie) EndMovie();
    else if (verdict == MovieEndWatch::Verdict::Resume) control_.Play();
}

void MovieRotation::IntervalTick() {
    const auto count = static_cast<int32_t>(config_.Movies.size());
    LoadMovie(NextIndex(current_, count, config_.RandomOrder, random_));
    // Only after a load that went through: a failed one is tried again with
    // the next movie after another pause.
    timers_.SetInterval(false);
}

}  // namespace qb
