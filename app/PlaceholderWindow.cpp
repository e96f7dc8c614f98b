#include "app/PlaceholderWindow.h"

namespace qb {

namespace {
const char kClassName[] = "QuenbrookPlaceholder";

LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        RECT r;
        GetClientRect(hwnd, &r);
        char text[256] = {};
        GetWindowTextA(hwnd, text, sizeof text);
        SetBkMode(dc, TRANSPARENT);
        DrawTextA(dc, text, -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

bool RegisterOnce() {
    WNDCLASSA wc{};
    if (GetClassInfoA(GetModuleHandleA(nullptr), kClassName, &wc)) return true;
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = kClassName;
    return RegisterClassA(&wc) != 0;
}
}  // namespace

bool PlaceholderWindow::ShowTopLevel(const std::string& caption) {
    if (!RegisterOnce()) return false;
    HWND w = CreateWindowExA(0, kClassName, caption.c_str(), WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                             480, 320, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (!w) return false;
    ShowWindow(w, SW_SHOW);
    UpdateWindow(w);
    return true;
}

bool PlaceholderWindow::ShowChild(HWND host, const std::string& text) {
    if (!host || !IsWindow(host) || !RegisterOnce()) return false;
    RECT r;
    GetClientRect(host, &r);
    HWND w = CreateWindowExA(0, kClassName, text.c_str(), WS_CHILD | WS_VISIBLE, 0, 0, r.right - r.left,
                             r.bottom - r.top, host, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (!w) return false;
    return true;
}

int PlaceholderWindow::RunMessageLoop() {
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}

}  // namespace qb
