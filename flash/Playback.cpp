#include "flash/Playback.h"

#include "platform/File.h"

#include <algorithm>
#include <utility>

namespace qb::flash {

Playback::Playback(FrameReady onFrame, sound::AudioHost audio, std::shared_ptr<const movie::FontHost> fonts)
    : onFrame_(std::move(onFrame)), renderer_(render::Quality::High, std::move(fonts)), audio_(std::move(audio)),
      mixer_(audio_.Mp3) {
    thread_ = std::thread([this] { Run(); });
}

Playback::~Playback() {
    {
        std::lock_guard lock(mutex_);
        quit_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

void Playback::Wake() { wake_.notify_all(); }

void Playback::Publish() {
    frameNum_ = movie_ ? movie_->FrameNum() : 0;
    totalFrames_ = movie_ ? movie_->TotalFrames() : 0;
    playing_ = movie_ && movie_->Playing();
}

bool Playback::Load(const std::string& path) {
    auto bytes = ReadWholeFile(path);
    if (!bytes) {
        Unload();
        return false;
    }
    return LoadBytes(std::move(*bytes));
}

bool Playback::LoadBytes(std::vector<uint8_t> bytes) {
    swf::LoadError error;
    auto def = movie::MovieDef::Load(std::move(bytes), error);
    // Frame 1 (and its scripts) is entered here, outside the lock, so the
    // current picture keeps playing meanwhile; its sounds are told from the
    // current movie's by their owner.
    uint64_t owner = 0;
    {
        std::lock_guard lock(mutex_);
        owner = ++soundOwner_;
    }
    auto next = def ? std::make_unique<movie::Movie>(def, &mixer_, owner) : nullptr;
    std::unique_ptr<movie::Movie> old;
    {
        std::lock_guard lock(mutex_);
        old = std::move(movie_);
        // The old movie's output closes; the new one's opens if it sounds.
        mixer_.StopAllBut(owner);
        if (old) closeOutput_ = true;
        outputRefused_ = false;
        movie_ = std::move(next);
        if (movie_) {
            movie_->SetLoop(loop_);
            const double rate = movie_->Definition().File().FrameRate;
            const double fps = rate < 0.01 ? 12.0 : std::min(rate, 120.0);
            interval_ = std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(1.0 / fps));
            nextTick_ = Clock::now() + interval_;
        }
        redraw_ = true;
        Publish();
    }
    Wake();
    return def != nullptr;  // `old` goes away here, outside the lock
}

void Playback::Unload() {
    std::unique_ptr<movie::Movie> old;
    {
        std::lock_guard lock(mutex_);
        old = std::move(movie_);
        CloseOutput();
        redraw_ = true;
        Publish();
    }
    Wake();
}

void Playback::Play() {
    {
        std::lock_guard lock(mutex_);
        if (!movie_) return;
        if (!movie_->Playing()) nextTick_ = Clock::now() + interval_;
        movie_->Play();
        Publish();
    }
    Wake();
}

void Playback::Stop() {
    {
        std::lock_guard lock(mutex_);
        if (movie_) movie_->Stop();
        CloseOutput();
        Publish();
    }
    Wake();
}

void Playback::CloseOutput() {
    mixer_.StopAll();
    closeOutput_ = true;
    outputRefused_ = false;
}

bool Playback::StreamBehind() const {
    // Only a sound that is being played can be waited for.
    return output_ && mixer_.StreamBacklog(soundOwner_) > kMaxStreamAhead;
}

void Playback::UpdateOutput(std::unique_lock<std::mutex>& lock) {
    if (std::exchange(closeOutput_, false) && output_) {
        auto closing = std::move(output_);
        soundOpen_ = false;
        lock.unlock();
        closing.reset();
        lock.lock();
    }
    if (!output_ && !outputRefused_ && audio_.Open && movie_ && mixer_.Sounding()) {
        lock.unlock();
        auto opened = audio_.Open(mixer_);
        lock.lock();
        output_ = std::move(opened);
        outputRefused_ = output_ == nullptr;
        soundOpen_ = output_ != nullptr;
    }
}

void Playback::SetLoop(bool loop) {
    {
        std::lock_guard lock(mutex_);
        loop_ = loop;
        if (movie_) movie_->SetLoop(loop);
    }
    Wake();
}

void Playback::SetQuality(render::Quality quality) {
    {
        std::lock_guard lock(mutex_);
        renderer_.SetQuality(quality);
        redraw_ = true;
    }
    Wake();
}

void Playback::SetBackground(std::optional<uint32_t> rgb) {
    {
        std::lock_guard lock(mutex_);
        background_ = rgb;
        redraw_ = true;
    }
    Wake();
}

void Playback::SetSize(int width, int height) {
    {
        std::lock_guard lock(mutex_);
        width_ = std::clamp(width, 0, 16384);
        height_ = std::clamp(height, 0, 16384);
        redraw_ = true;
    }
    Wake();
}

void Playback::WithPicture(const std::function<void(const render::Image&)>& read) const {
    std::lock_guard lock(pictureMutex_);
    read(front_);
}

void Playback::Run() {
    std::unique_lock lock(mutex_);
    while (!quit_) {
        UpdateOutput(lock);
        if (quit_) break;
        const bool ticking = movie_ && !movie_->Idle();
        if (!redraw_) {
            if (ticking) wake_.wait_until(lock, nextTick_);
            else wake_.wait(lock);
            if (quit_) break;
        }
        if (movie_ && !movie_->Idle() && Clock::now() >= nextTick_ && StreamBehind()) {
            // The movie's stream sound lags its frames: the next frame waits for it.
            nextTick_ = Clock::now() + interval_ / 4;
        } else if (movie_ && !movie_->Idle() && Clock::now() >= nextTick_) {
            const bool wasPlaying = movie_->Playing();
            movie_->Tick();
            // A movie that halts on its last frame (its own stop there, or
            // no looping) has ended, and its sound with it; a halt on the
            // way, or a still of one frame, leaves its sounds playing.
            if (wasPlaying && !movie_->Playing() && movie_->TotalFrames() > 1 &&
                movie_->FrameNum() == movie_->TotalFrames() - 1)
                CloseOutput();
            nextTick_ += interval_;
            // Far behind (a slow frame, a suspended machine): no catching up in a burst.
            if (Clock::now() > nextTick_ + 2 * interval_) nextTick_ = Clock::now() + interval_;
            Publish();
            // Before the frame is drawn: a picture shown has its sound under way.
            UpdateOutput(lock);
        }
        const bool changed = movie_ ? movie_->TakeDirty() : false;
        if (!(changed || redraw_)) continue;
        redraw_ = false;
        if (back_.Width != width_ || back_.Height != height_) back_.Resize(width_, height_);
        if (movie_) {
            std::optional<swf::Rgba> bg;
            if (background_)
                bg = swf::Rgba{static_cast<uint8_t>(*background_ >> 16), static_cast<uint8_t>(*background_ >> 8),
                               static_cast<uint8_t>(*background_), 255};
            renderer_.Render(*movie_, back_, bg);
        } else {
            const uint32_t rgb = background_.value_or(0xFFFFFF);
            std::fill(back_.Pixels.begin(), back_.Pixels.end(), 0xFF000000u | rgb);
        }
        {
            std::lock_guard picture(pictureMutex_);
            std::swap(front_, back_);
        }
        ++drawn_;
        lock.unlock();
        if (onFrame_) onFrame_();
        lock.lock();
    }
    auto closing = std::move(output_);
    soundOpen_ = false;
    lock.unlock();
}

}  // namespace qb::flash
