// The library's exported functions: each runs one player operation and
// leaves its outcome for "LastError".
#include "mpegdll/Mp3Player.h"
#include "mpegdll/WinParts.h"

#include <windows.h>

#include <atomic>
#include <memory>
#include <string>

namespace {

using qb::mp3::ErrorCode;
using qb::mp3::Mp3Error;
using qb::mp3::Mp3Player;

// The library serves one caller with one stream, as its interface implies.
std::unique_ptr<Mp3Player> g_player;
std::atomic<int32_t> g_lastError{0};

// Runs one operation and records its outcome; a failure answers `failed`.
template <typename R, typename F>
R Answer(R failed, F&& body) {
    try {
        R r = body();
        g_lastError = 0;
        return r;
    } catch (const Mp3Error& e) {
        g_lastError = static_cast<int32_t>(e.Code());
    } catch (...) {
        g_lastError = static_cast<int32_t>(ErrorCode::Decoder);
    }
    return failed;
}

template <typename F>
void Run(F&& body) {
    Answer(0, [&] {
        body();
        return 0;
    });
}

Mp3Player& Player() {
    if (!g_player) throw Mp3Error(ErrorCode::Mode, "the library is not initialised");
    return *g_player;
}

}  // namespace

extern "C" {

// When the process ends without "deinit", its threads are already gone and
// the loader lock is held: stopping the player then (joining, resetting the
// sound device) could hang the exit, so the player is left to the system.
BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_DETACH && reserved != nullptr) (void)g_player.release();
    return TRUE;
}

__declspec(dllexport) uint8_t __stdcall init() {
    return Answer(uint8_t{0}, [] {
        if (!g_player) g_player = std::make_unique<Mp3Player>(qb::mp3::SystemBackend());
        return uint8_t{1};
    });
}

__declspec(dllexport) void __stdcall deinit() {
    Run([] { g_player.reset(); });
}

__declspec(dllexport) void __stdcall Open(const char* fileName, int32_t fromStream, qb::mpegapi::OpenStreamProc open,
                                          qb::mpegapi::CloseStreamProc close, qb::mpegapi::RestartStreamProc restart,
                                          qb::mpegapi::ReadStreamProc read, qb::mpegapi::SeekStreamProc seek,
                                          qb::mpegapi::GetStreamSizeProc size, void* context) {
    Run([&] {
        Mp3Player& p = Player();
        if (fromStream) {
            p.Open(qb::mp3::OpenCallbackSource({open, close, restart, read, seek, size, context}));
        } else {
            if (!fileName || !*fileName) throw Mp3Error(ErrorCode::Input, "no file name");
            p.Open(qb::mp3::OpenFileSource(fileName));
        }
    });
}

__declspec(dllexport) void __stdcall Close() {
    Run([] { Player().Close(); });
}

__declspec(dllexport) int32_t __stdcall Play(int32_t startPos, int32_t endPos, uint8_t* ended) {
    return Answer(int32_t{1}, [&] {
        Player().Play(startPos, endPos, ended);
        return int32_t{0};
    });
}

__declspec(dllexport) void __stdcall Restart() {
    Run([] { Player().Restart(); });
}

__declspec(dllexport) void __stdcall Stop() {
    Run([] { Player().Stop(); });
}

__declspec(dllexport) void __stdcall Pause(uint8_t resume) {
    Run([&] { Player().Pause(resume == 0); });
}

__declspec(dllexport) void __stdcall SetPriority(int32_t priority) {
    Run([&] { Player().SetPriority(priority); });
}

__declspec(dllexport) void __stdcall SetOutputDevice(int32_t device, const char* fileName) {
    Run([&] { Player().SetOutputDevice(device, fileName ? fileName : ""); });
}

__declspec(dllexport) int32_t __stdcall GetPlayerMode() {
    return Answer(int32_t{0}, [] { return static_cast<int32_t>(Player().Mode()); });
}

__declspec(dllexport) int32_t __stdcall GetCurrentPos() {
    return Answer(int32_t{0}, [] { return Player().CurrentPosMs(); });
}

__declspec(dllexport) int32_t __stdcall GetLength() {
    return Answer(int32_t{0}, [] { return Player().LengthMs(); });
}

__declspec(dllexport) int32_t __stdcall GetFrequency() {
    return Answer(int32_t{0}, [] { return Player().Frequency(); });
}

__declspec(dllexport) int32_t __stdcall GetBitrate() {
    return Answer(int32_t{0}, [] { return Player().Bitrate(); });
}

__declspec(dllexport) int32_t __stdcall GetLayer() {
    return Answer(int32_t{0}, [] { return Player().Layer(); });
}

__declspec(dllexport) void __stdcall ResetPlayerMode() {
    Run([] { Player().ResetMode(); });
}

__declspec(dllexport) void __stdcall Seek(int32_t position) {
    Run([&] { Player().Seek(position); });
}

__declspec(dllexport) int32_t __stdcall LastError() { return g_lastError; }

}  // extern "C"
