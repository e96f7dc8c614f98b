// qbhost.exe: a stand-in for the programs that host the screensaver in the
// end-to-end tests.
//   qbhost window   shows a window, prints its handle, reports the first child
//                   window that appears in it ("child <text>"), waits for a
//                   line on standard input, then destroys the window.
//   qbhost tone     plays half a second of a 440 Hz tone through waveOut.
//   qbhost mail SUBJECT SETUP
//                   zips SETUP beside itself and hands the archive to the
//                   mail client, as the package builder's send command does.
//   qbhost crash    ends in an access violation nothing handles, for the
//                   harness to show it sees a crash.
#include "builder/PackageMail.h"
#include "platform/SimpleMapi.h"

#include <windows.h>
#include <mmsystem.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <thread>
#include <vector>

namespace {

LRESULT CALLBACK HostProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

int RunWindow() {
    WNDCLASSA wc{};
    wc.lpfnWndProc = HostProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
    wc.lpszClassName = "QbTestHost";
    RegisterClassA(&wc);
    HWND host = CreateWindowExA(0, "QbTestHost", "Quenbrook Test Host", WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_CLIPCHILDREN, 10, 10,
                                320, 240, nullptr, nullptr, wc.hInstance, nullptr);
    std::printf("hwnd %llu\n", static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(host)));
    std::fflush(stdout);

    // A line on standard input asks the host to go away, as Display
    // Properties does when the user closes it.
    std::thread([host] {
        char line[64];
        if (std::fgets(line, sizeof line, stdin)) PostMessageA(host, WM_CLOSE, 0, 0);
    }).detach();

    bool reported = false;
    SetTimer(host, 1, 50, nullptr);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == WM_TIMER && !reported) {
            if (HWND child = GetWindow(host, GW_CHILD)) {
                char text[128] = {};
                GetWindowTextA(child, text, sizeof text);
                RECT hr, cr;
                GetClientRect(host, &hr);
                GetClientRect(child, &cr);
                std::printf("child %s %ldx%ld of %ldx%ld\n", text, cr.right, cr.bottom, hr.right, hr.bottom);
                std::fflush(stdout);
                reported = true;
            }
        }
        DispatchMessageA(&msg);
    }
    std::printf("closed\n");
    std::fflush(stdout);
    return 0;
}

int PlayTone() {
    const int rate = 22050;
    std::vector<short> samples(rate / 2);
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<short>(8000 * std::sin(2 * 3.14159265 * 440 * i / rate));
    WAVEFORMATEX fmt{WAVE_FORMAT_PCM, 1, rate, rate * 2, 2, 16, 0};
    HANDLE done = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    HWAVEOUT out;
    if (waveOutOpen(&out, WAVE_MAPPER, &fmt, reinterpret_cast<DWORD_PTR>(done), 0, CALLBACK_EVENT) != MMSYSERR_NOERROR) {
        std::printf("no wave device\n");
        return 1;
    }
    WAVEHDR hdr{};
    hdr.lpData = reinterpret_cast<LPSTR>(samples.data());
    hdr.dwBufferLength = static_cast<DWORD>(samples.size() * sizeof(short));
    waveOutPrepareHeader(out, &hdr, sizeof hdr);
    waveOutWrite(out, &hdr, sizeof hdr);
    while (!(hdr.dwFlags & WHDR_DONE)) WaitForSingleObject(done, 5000);
    waveOutUnprepareHeader(out, &hdr, sizeof hdr);
    waveOutClose(out);
    CloseHandle(done);
    std::printf("played\n");
    return 0;
}

}  // namespace

int Mail(const char* subject, const char* setup) {
    const std::string archive = qb::ZipForMail(setup);
    if (archive.empty()) {
        std::printf("no setup file\n");
        return 1;
    }
    const unsigned long result = qb::win::ComposeMailWithAttachment(nullptr, subject, archive);
    std::printf("mail %lu %s\n", result, archive.c_str());
    return 0;
}

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "tone") == 0) return PlayTone();
    if (argc > 3 && std::strcmp(argv[1], "mail") == 0) return Mail(argv[2], argv[3]);
    if (argc > 1 && std::strcmp(argv[1], "crash") == 0) {
        volatile int* nowhere = nullptr;
        return *nowhere;
    }
    return RunWindow();
}
