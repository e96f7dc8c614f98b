#include "editor/win/MciSound.h"

#include "app/Errors.h"

#include <windows.h>
#include <mmsystem.h>

namespace qb {
namespace {

const char kAlias[] = "QbEditorSound";

void Send(const std::string& command) {
    const MCIERROR rc = mciSendStringA(command.c_str(), nullptr, 0, nullptr);
    if (rc == 0) return;
    char text[256] = {};
    if (!mciGetErrorStringA(rc, text, sizeof text)) text[0] = '\0';
    throw Exception(text[0] ? text : "MCI error " + std::to_string(rc));
}

}  // namespace

MciSound::~MciSound() { Close(); }

void MciSound::Play(const std::string& path) {
    Close();
    Send("open \"" + path + "\" alias " + kAlias);
    open_ = true;
    seenPlaying_ = false;
    try {
        Send(std::string("play ") + kAlias);
    } catch (...) {
        Close();
        throw;
    }
}

void MciSound::Stop() {
    if (open_) mciSendStringA((std::string("stop ") + kAlias).c_str(), nullptr, 0, nullptr);
}

void MciSound::Close() {
    if (!open_) return;
    mciSendStringA((std::string("close ") + kAlias).c_str(), nullptr, 0, nullptr);
    open_ = false;
}

namespace {

std::string Status(const char* item) {
    char text[64] = {};
    if (mciSendStringA((std::string("status ") + kAlias + " " + item).c_str(), text, sizeof text, nullptr) != 0) return {};
    return text;
}

}  // namespace

bool MciSound::Stopped() {
    if (!open_) return true;
    const std::string mode = Status("mode");
    if (mode.empty()) return true;
    if (lstrcmpiA(mode.c_str(), "stopped") != 0) {
        seenPlaying_ = true;
        return false;
    }
    // Right after "play" the device may still say "stopped" for a moment;
    // the end is a stop after playing, or the position at the length.
    if (seenPlaying_) return true;
    const std::string position = Status("position"), length = Status("length");
    return !position.empty() && !length.empty() && std::stoll(position) >= std::stoll(length);
}

}  // namespace qb
