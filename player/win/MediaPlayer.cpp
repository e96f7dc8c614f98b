#include "player/win/MediaPlayer.h"

#include "app/Errors.h"

#include <windows.h>
#include <mmsystem.h>

#include <atomic>

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
    Send("play " + alias_ + " from 0");
}

void TMediaPlayer::Close() {
    if (!open_) return;
    open_ = false;
    Send("close " + alias_);
}

bool TMediaPlayer::Stopped() {
    if (!open_) return true;
    return Send("status " + alias_ + " mode") == "stopped";
}

}  // namespace qb
