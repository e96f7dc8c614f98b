// The Flash control in a real window under the window system: its members,
// its picture (the movie letterboxed on the background colour), the input
// routing to its parent and its resizing.
#include "player/ShockwaveFlash.h"
#include "flash/render/Png.h"
#include "tests/support/TempDir.h"
#include "tests/unit/flash/FlashTestMovies.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <vector>

namespace qb::test {
namespace {

// The host window: remembers the messages posted to it.
struct Host {
    HWND Hwnd = nullptr;
    std::vector<MSG> Received;

    static LRESULT CALLBACK Proc(HWND h, UINT m, WPARAM w, LPARAM l) {
        auto* self = reinterpret_cast<Host*>(GetWindowLongPtrW(h, GWLP_USERDATA));
        if (self && ((m >= 0x0100 && m <= 0x0108) || (m >= 0x0200 && m <= 0x020A))) {
            self->Received.push_back({h, m, w, l});
            return 0;
        }
        return DefWindowProcW(h, m, w, l);
    }
    Host() {
        WNDCLASSW wc{};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"QbFlashTestHost";
        RegisterClassW(&wc);
        Hwnd = CreateWindowExW(0, wc.lpszClassName, L"flash test", WS_POPUP | WS_VISIBLE, 0, 0, 320, 120, nullptr,
                               nullptr, wc.hInstance, nullptr);
        SetWindowLongPtrW(Hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~Host() { DestroyWindow(Hwnd); }
};

// Runs the message loop until `done` holds or a generous deadline passes.
bool PumpUntil(const std::function<bool()>& done, int seconds = 60) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (!done()) {
        MSG m;
        while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&m);
            DispatchMessageW(&m);
        }
        if (std::chrono::steady_clock::now() > end) return false;
        Sleep(5);
    }
    return true;
}

// What the window shows, read back from the screen.
render::Image Screenshot(HWND hwnd) {
    RECT r{};
    GetClientRect(hwnd, &r);
    render::Image img;
    img.Resize(r.right, r.bottom);
    HDC wdc = GetDC(hwnd);
    HDC mdc = CreateCompatibleDC(wdc);
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), r.right, -r.bottom, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(mdc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(mdc, bmp);
    BitBlt(mdc, 0, 0, r.right, r.bottom, wdc, 0, 0, SRCCOPY);
    GdiFlush();
    const auto* px = static_cast<const uint32_t*>(bits);
    for (size_t i = 0; i < img.Pixels.size(); ++i) img.Pixels[i] = px[i] | 0xFF000000u;
    SelectObject(mdc, old);
    DeleteObject(bmp);
    DeleteDC(mdc);
    ReleaseDC(hwnd, wdc);
    return img;
}

// 100 x 100 pixel stage, black, a red square in the middle; `frames` frames at 30 per second.
Bytes SquareMovie(int frames) {
    SwfWriter w(MovieHeader{.FrameRect = {0, 2000, 0, 2000}, .FrameRate = 30});
    w.SetBackgroundColor(0x000000);
    ShapeBuilder s;
    s.Rect(500, 500, 1500, 1500, s.Solid(0xFF0000FF));
    Shape(w, 1, s);
    Place(w, {.Depth = 1, .Character = 1});
    for (int f = 0; f < frames; ++f) w.ShowFrame();
    w.End();
    return w.Movie();
}

std::wstring Wide(const std::string& s) { return std::wstring(s.begin(), s.end()); }

TEST(FlashControl, MembersPictureInputAndSize) {
    TempDir dir;
    SwfWriter blank;
    blank.ShowFrame().End();
    const std::wstring blankPath = Wide(dir.Write("blank.swf", blank.Movie()));
    const std::wstring moviePath = Wide(dir.Write("movie.swf", SquareMovie(20)));

    Host host;
    ASSERT_TRUE(host.Hwnd);
    TShockwaveFlash swf(host.Hwnd, 0, 0, 300, 100);
    ASSERT_TRUE(swf.Handle());
    EXPECT_EQ(swf.Quality2(), L"High");
    EXPECT_EQ(swf.Movie(), L"");
    EXPECT_EQ(swf.TotalFrames(), 0);

    // As the players load: background, blank movie, the movie, Loop, Play.
    swf.SetQuality2(L"Medium");
    swf.SetBackgroundColor(0x0000FF);
    swf.SetMovie(blankPath);
    EXPECT_EQ(swf.TotalFrames(), 1);
    swf.SetMovie(moviePath);
    EXPECT_EQ(swf.Movie(), moviePath);
    EXPECT_EQ(swf.TotalFrames(), 20);
    EXPECT_LE(swf.FrameNum(), 1);
    swf.SetLoop(false);
    swf.Play();
    ASSERT_TRUE(PumpUntil([&] { return swf.FrameNum() == 19 && !swf.IsPlaying(); }));

    // The picture: the square stage in the middle, blue bars on both sides.
    UpdateWindow(swf.Handle());
    render::Image shot;
    ASSERT_TRUE(PumpUntil([&] {
        shot = Screenshot(swf.Handle());
        return shot.Row(50)[150] == 0xFFFF0000u && shot.Row(50)[20] == 0xFF0000FFu;
    })) << "centre " << std::hex << shot.Row(50)[150] << " left " << shot.Row(50)[20];
    EXPECT_EQ(shot.Row(50)[280], 0xFF0000FFu);
    EXPECT_EQ(shot.Row(5)[150], 0xFF0000FFu);  // the stage itself takes the control's colour
    render::WritePng(shot, "flash_control_screenshot.png");  // beside the test, for a look

    // Stop holds the frame; Loop true wraps after Play.
    swf.SetLoop(true);
    swf.Play();
    ASSERT_TRUE(PumpUntil([&] { return swf.FrameNum() < 19; }));
    swf.Stop();
    const int32_t held = swf.FrameNum();
    PumpUntil([] { return false; }, 0);
    EXPECT_EQ(swf.FrameNum(), held);

    // Input: dropped while the filter is off, posted to the parent by the flags.
    SendMessageW(swf.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(5, 6));
    swf.InputFilterActive = true;
    swf.ForwardMouseMove = true;
    swf.ForwardKeys = true;
    SendMessageW(swf.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(7, 8));
    SendMessageW(swf.Handle(), WM_LBUTTONDOWN, 0, 0);  // clicks not forwarded
    SendMessageW(swf.Handle(), WM_KEYDOWN, 'A', 0);
    // (The real pointer may send the host moves of its own: only ours count.)
    auto got = [&](UINT message, WPARAM w, LPARAM l) {
        for (const MSG& m : host.Received)
            if (m.message == message && m.wParam == w && m.lParam == l) return true;
        return false;
    };
    ASSERT_TRUE(PumpUntil([&] { return got(WM_MOUSEMOVE, 0, MAKELPARAM(7, 8)) && got(WM_KEYDOWN, 'A', 0); }));
    EXPECT_FALSE(got(WM_MOUSEMOVE, 0, MAKELPARAM(5, 6)));
    EXPECT_FALSE(got(WM_LBUTTONDOWN, 0, 0));

    // Resizing: a 100 x 100 control shows the stage edge to edge.
    swf.SetBounds(0, 0, 100, 100);
    ASSERT_TRUE(PumpUntil([&] {
        InvalidateRect(swf.Handle(), nullptr, FALSE);
        UpdateWindow(swf.Handle());
        shot = Screenshot(swf.Handle());
        return shot.Width == 100 && shot.Row(50)[50] == 0xFFFF0000u && shot.Row(50)[2] == 0xFF0000FFu;
    }));

    // An empty movie leaves the background alone.
    swf.SetMovie(L"");
    EXPECT_EQ(swf.TotalFrames(), 0);
    EXPECT_EQ(swf.FrameNum(), 0);
    EXPECT_EQ(swf.Movie(), L"");
}

}  // namespace
}  // namespace qb::test
