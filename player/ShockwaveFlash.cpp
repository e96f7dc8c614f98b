#include "player/ShockwaveFlash.h"

#include "player/SystemAudio.h"
#include "player/SystemFonts.h"

#include <cwctype>
#include <vector>

namespace qb {
namespace {

const wchar_t kClassName[] = L"QuenbrookFlashPlayer";

void RegisterClassOnce() {
    WNDCLASSEXW wc{};
    if (GetClassInfoExW(GetModuleHandleW(nullptr), kClassName, &wc)) return;
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = DefWindowProcW;  // replaced per window once `this` is known
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
    wc.lpszClassName = kClassName;
    RegisterClassExW(&wc);
}

// The whole file, whatever characters its path has; empty when unreadable.
std::vector<uint8_t> ReadFileW(const std::wstring& path) {
    std::vector<uint8_t> data;
    HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return data;
    LARGE_INTEGER size{};
    if (GetFileSizeEx(f, &size) && size.QuadPart > 0 && size.QuadPart < (int64_t{256} << 20)) {
        data.resize(static_cast<size_t>(size.QuadPart));
        DWORD got = 0;
        if (!ReadFile(f, data.data(), static_cast<DWORD>(data.size()), &got, nullptr)) got = 0;
        data.resize(got);
    }
    CloseHandle(f);
    return data;
}

bool SameText(const std::wstring& a, const wchar_t* b) {
    size_t i = 0;
    for (; i < a.size() && b[i]; ++i)
        if (std::towlower(a[i]) != std::towlower(b[i])) return false;
    return i == a.size() && !b[i];
}

}  // namespace

TShockwaveFlash::TShockwaveFlash(HWND parent, int left, int top, int width, int height) {
    RegisterClassOnce();
    hwnd_ = CreateWindowExW(0, kClassName, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, left, top, width, height,
                            parent, nullptr, GetModuleHandleW(nullptr), nullptr);
    // The picture arrives from the playback thread; the window only repaints.
    playback_ = std::make_unique<flash::Playback>([hwnd = hwnd_] { InvalidateRect(hwnd, nullptr, FALSE); },
                                                  SystemAudio(), SystemFonts());
    if (hwnd_) {
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WindowProc));
        RECT r{};
        GetClientRect(hwnd_, &r);
        playback_->SetSize(r.right, r.bottom);
    }
}

TShockwaveFlash::~TShockwaveFlash() {
    playback_.reset();  // no more repaint requests from its thread
    if (hwnd_) {
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        DestroyWindow(hwnd_);
    }
}

void TShockwaveFlash::SetBounds(int left, int top, int width, int height) {
    if (hwnd_) MoveWindow(hwnd_, left, top, width, height, TRUE);
}

void TShockwaveFlash::SetMovie(const std::wstring& path) {
    movie_ = path;
    if (path.empty()) {
        playback_->Unload();
        return;
    }
    playback_->LoadBytes(ReadFileW(path));
}

void TShockwaveFlash::SetQuality2(const std::wstring& quality) {
    render::Quality q;
    if (SameText(quality, L"Low") || SameText(quality, L"AutoLow")) q = render::Quality::Low;
    else if (SameText(quality, L"Medium")) q = render::Quality::Medium;
    else if (SameText(quality, L"High") || SameText(quality, L"AutoHigh") || SameText(quality, L"Best"))
        q = render::Quality::High;
    else return;
    quality_ = quality;
    playback_->SetQuality(q);
}

void TShockwaveFlash::SetBackgroundColor(int32_t rgb) {
    background_ = rgb;
    playback_->SetBackground(rgb < 0 ? std::nullopt : std::optional<uint32_t>(static_cast<uint32_t>(rgb) & 0xFFFFFF));
}

void TShockwaveFlash::SetLoop(bool loop) {
    loop_ = loop;
    playback_->SetLoop(loop);
}

void TShockwaveFlash::Paint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd_, &ps);
    RECT client{};
    GetClientRect(hwnd_, &client);
    bool drawn = false;
    playback_->WithPicture([&](const render::Image& img) {
        if (img.Width != client.right || img.Height != client.bottom || img.Pixels.empty()) return;
        BITMAPINFO bi{};
        bi.bmiHeader.biSize = sizeof bi.bmiHeader;
        bi.bmiHeader.biWidth = img.Width;
        bi.bmiHeader.biHeight = -img.Height;  // top-down rows
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        bi.bmiHeader.biCompression = BI_RGB;
        SetDIBitsToDevice(dc, 0, 0, img.Width, img.Height, 0, 0, 0, img.Height, img.Pixels.data(), &bi,
                          DIB_RGB_COLORS);
        drawn = true;
    });
    if (!drawn) {
        // A size change the playback thread has not drawn for yet.
        const uint32_t rgb = background_ < 0 ? 0xFFFFFF : static_cast<uint32_t>(background_);
        HBRUSH brush = CreateSolidBrush(RGB(rgb >> 16 & 0xFF, rgb >> 8 & 0xFF, rgb & 0xFF));
        FillRect(dc, &client, brush);
        DeleteObject(brush);
    }
    EndPaint(hwnd_, &ps);
}

LRESULT TShockwaveFlash::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    const InputFilterFlags flags{InputFilterActive, ForwardMouseMove, ForwardMouseClick, ForwardKeys};
    HWND parent = GetParent(hwnd_);
    switch (RouteInput(message, flags, parent && IsWindow(parent))) {
        case InputRoute::Parent:
            PostMessageW(parent, message, wParam, lParam);
            return 0;
        case InputRoute::Drop:
            return 0;
        case InputRoute::Control:
            break;
    }
    switch (message) {
        case WM_SIZE:
            playback_->SetSize(LOWORD(lParam), HIWORD(lParam));
            return 0;
        case WM_ERASEBKGND:
            return 1;  // the picture covers everything
        case WM_PAINT:
            Paint();
            return 0;
        default:
            return DefWindowProcW(hwnd_, message, wParam, lParam);
    }
}

LRESULT CALLBACK TShockwaveFlash::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<TShockwaveFlash*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
    return self->Handle(message, wParam, lParam);
}

}  // namespace qb
