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

bool MciSound::Stopped() const {
    if (!open_) return true;
    char mode[64] = {};
    if (mciSendStringA((std::string("status ") + kAlias + " mode").c_str(), mode, sizeof mode, nullptr) != 0) return true;
    return lstrcmpiA(mode, "stopped") == 0;
}

}  // namespace qb
