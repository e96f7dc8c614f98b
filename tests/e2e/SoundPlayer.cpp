// qbsound.exe: plays sound the way the program's windows do, for the
// end-to-end tests, and says on standard output what happened.
//   qbsound mp3 DLLDIR FILE   plays FILE with the MP3 component; then takes
//                             commands on standard input: pause, resume,
//                             stop, play, mode, pos, quit.
//   qbsound wave FILE         plays a wave file through MCI with notification.
// Output lines: "playing", "pos N", "mode N",
// "end ELAPSED_MS LENGTH_MS POS_MS MS_AFTER_THE_LIBRARY_ENDED",
// "error CODE MESSAGE", "ok".
#include "player/MPEGPlayer.h"

#include <windows.h>
#include <mmsystem.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <thread>

namespace {

const UINT kCommand = WM_APP + 7;

void Say(const std::string& line) {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

// Standard input lines become thread messages of the user-interface thread.
void ReadCommands(DWORD uiThread) {
    std::thread([uiThread] {
        char line[256];
        while (std::fgets(line, sizeof line, stdin)) {
            auto text = std::make_unique<std::string>(line);
            while (!text->empty() && (text->back() == '\n' || text->back() == '\r')) text->pop_back();
            if (PostThreadMessageA(uiThread, kCommand, 0, reinterpret_cast<LPARAM>(text.get()))) text.release();
        }
        PostThreadMessageA(uiThread, kCommand, 0, reinterpret_cast<LPARAM>(new std::string("quit")));
    }).detach();
}

int PlayMp3(const std::string& dllDir, const std::string& file) {
    using Clock = std::chrono::steady_clock;
    qb::TMPEGPlayer player;
    player.PathToDLL = dllDir;
    player.UseTimer = true;
    player.SetTimerFreq(100);
    Clock::time_point started, libraryEnded;
    // Watches the library's own mode closely, to say how long after the
    // library's end OnPlayEnd came (the component polls every 100 ms).
    qb::TThreadedTimer watcher;
    watcher.SetInterval(5);
    watcher.SetOnTimer([&](qb::ui::Component&) {
        // The library refuses a mode query while it changes mode; the next tick asks again.
        try {
            if (libraryEnded == Clock::time_point() && player.Loaded() && player.GetPlayerMode() == 2)
                libraryEnded = Clock::now();
        } catch (const qb::TMPEGError&) {
        }
    });
    try {
        player.LoadDLL();
        player.SetStreamName(file);
        player.OnPlayEnd = [&](qb::TMPEGPlayer& p) {
            const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - started).count();
            if (libraryEnded == Clock::time_point()) libraryEnded = Clock::now();
            const auto late =
                std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - libraryEnded).count();
            Say("end " + std::to_string(ms) + " " + std::to_string(p.GetLength()) + " " +
                std::to_string(p.GetCurrentPos()) + " " + std::to_string(late));
            libraryEnded = Clock::time_point();
        };
        started = Clock::now();
        player.Play();
        watcher.SetEnabled(true);
        Say("playing");
    } catch (const qb::TMPEGError& e) {
        Say("error " + std::to_string(e.ErrorCode) + " " + e.what());
        return 1;
    }
    ReadCommands(GetCurrentThreadId());
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (msg.message != kCommand) {
            DispatchMessageA(&msg);
            continue;
        }
        std::unique_ptr<std::string> command(reinterpret_cast<std::string*>(msg.lParam));
        try {
            if (*command == "quit") break;
            if (*command == "pause") player.Pause(true);
            if (*command == "resume") player.Pause(false);
            if (*command == "stop") player.Stop();
            if (*command == "play") {
                started = Clock::now();
                player.Play();
            }
            if (*command == "mode") Say("mode " + std::to_string(player.GetPlayerMode()));
            if (*command == "pos") Say("pos " + std::to_string(player.GetCurrentPos()));
            if (*command == "times") Say("times " + std::to_string(player.PlayedXTimes()));
            Say("ok");
        } catch (const qb::TMPEGError& e) {
            Say("error " + std::to_string(e.ErrorCode) + " " + e.what());
        }
    }
    player.UnloadDLL();
    return 0;
}

LRESULT CALLBACK NotifyProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == MM_MCINOTIFY) {
        Say(wp == MCI_NOTIFY_SUCCESSFUL ? "end" : "error " + std::to_string(wp) + " notification");
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

int PlayWave(const std::string& file) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = NotifyProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "QbSoundNotify";
    RegisterClassA(&wc);
    HWND hwnd = CreateWindowExA(0, wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    const std::string open = "open \"" + file + "\" type waveaudio alias qbwave";
    if (mciSendStringA(open.c_str(), nullptr, 0, nullptr) != 0) {
        Say("error open");
        return 1;
    }
    if (mciSendStringA("play qbwave notify", nullptr, 0, hwnd) != 0) {
        Say("error play");
        return 1;
    }
    Say("playing");
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
    mciSendStringA("close qbwave", nullptr, 0, nullptr);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "mp3") == 0) return PlayMp3(argv[2], argv[3]);
    if (argc == 3 && std::strcmp(argv[1], "wave") == 0) return PlayWave(argv[2]);
    Say("usage: qbsound mp3 DLLDIR FILE | qbsound wave FILE");
    return 2;
}
