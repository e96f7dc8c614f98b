#include "player/win/MediaPlayer.h"

#include "app/Errors.h"

#include <windows.h>
#include <mmsystem.h>

#include <atomic>
#include <cstdlib>

namespace qb {

TMediaPlayer::TMediaPlayer() {
    static std::atomic<int> next{0};
    alias_ = "qbmedia" + std::to_string(++next);
}

TMediaPlayer::~TMediaPlayer() {
    if (open_) mciSendStringA(("close " + alias_).c_str(), nullptr, 0, nullptr);
}

std::string TMediaPlayer::Send(const std::string& command) {
    char answer[128] = {};
    const MCIERROR err = mciSendStringA(command.c_str(), answer, sizeof answer, nullptr);
    if (err != 0) {
        char text[256] = {};
        if (!mciGetErrorStringA(err, text, sizeof text)) lstrcpynA(text, "The media device failed", sizeof text);
        throw Exception(text);
    }
    return answer;
}

void TMediaPlayer::Open(const std::string& path) {
    Close();
    Send("open \"" + path + "\" alias " + alias_);
    open_ = true;
}

void TMediaPlayer::Play() {
    if (!open_) throw Exception("The media device is not open");
    seenPlaying_ = false;
    Send("play " + alias_ + " from 0");
}

void TMediaPlayer::Close() {
    if (!open_) return;
    open_ = false;
    Send("close " + alias_);
}

bool TMediaPlayer::Stopped() {
    if (!open_) return true;
    const std::string mode = Send("status " + alias_ + " mode");
    if (mode == "playing") {
        seenPlaying_ = true;
        return false;
    }
    if (mode != "stopped") return false;
    if (seenPlaying_) return true;
    // Just after "play" the device may still say "stopped" before it has
    // begun: then only a position at the end means the sound is over.
    const long long position = std::strtoll(Send("status " + alias_ + " position").c_str(), nullptr, 10);
    const long long length = std::strtoll(Send("status " + alias_ + " length").c_str(), nullptr, 10);
    return position >= length;
}

}  // namespace qb
