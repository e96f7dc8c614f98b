#include "installer/win/SetupWindow.h"

#include "installer/Installer.h"
#include "installer/win/Registration.h"
#include "installer/win/SetupTexts.h"
#include "installer/win/WinText.h"

#include <commctrl.h>
#include <shlobj.h>

namespace qb::setup::win {

namespace {

constexpr wchar_t kClass[] = L"QuenbrookSetup";
enum { kEdit = 100, kBrowse, kProgress, kInstall = IDOK, kCancel = IDCANCEL };
constexpr int kWidth = 440, kHeight = 184;

}  // namespace

InstallLog InstallAndRegister(SetupPackage& package, const std::string& directory,
                              const std::function<void(size_t, size_t)>& progress) {
    InstallLog log = InstallPackage(package, directory, progress);
    RegisterScreenSaver(log.SaverPath);
    const std::string uninstaller = log.Directory + "Uninstall.exe";
    if (GetFileAttributesA(uninstaller.c_str()) != INVALID_FILE_ATTRIBUTES) AddUninstallEntry(log, uninstaller);
    return log;
}

SetupWindow::SetupWindow(SetupPackage& package, std::string directory)
    : package_(package), directory_(std::move(directory)) {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&icc);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hIcon = LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kClass;
    RegisterClassExW(&wc);

    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    RECT r{0, 0, kWidth, kHeight};
    AdjustWindowRect(&r, style, FALSE);
    const int w = r.right - r.left, h = r.bottom - r.top;
    const int x = (GetSystemMetrics(SM_CXSCREEN) - w) / 2, y = (GetSystemMetrics(SM_CYSCREEN) - h) / 2;
    const std::wstring title = Format(Lookup(Text::SetupTitle), package_.SaverName());
    hwnd_ = CreateWindowExW(WS_EX_DLGMODALFRAME, kClass, title.c_str(), style, x, y, w, h, nullptr, nullptr,
                            wc.hInstance, this);
}

SetupWindow::~SetupWindow() {
    if (hwnd_) DestroyWindow(hwnd_);
}

HWND SetupWindow::Control(const wchar_t* cls, const std::wstring& text, DWORD style, int x, int y, int w, int h,
                          int id) {
    HWND c = CreateWindowExW(cls == std::wstring(L"EDIT") ? WS_EX_CLIENTEDGE : 0, cls, text.c_str(),
                             WS_CHILD | WS_VISIBLE | style, x, y, w, h, hwnd_,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
    SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), TRUE);
    return c;
}

void SetupWindow::CreateControls() {
    Control(L"STATIC", Format(Lookup(Text::Intro), package_.SaverName()), 0, 12, 12, 416, 34, -1);
    Control(L"STATIC", FromUtf8(Lookup(Text::Folder)), 0, 12, 54, 416, 18, -1);
    edit_ = Control(L"EDIT", FromAnsi(directory_), WS_TABSTOP | ES_AUTOHSCROLL, 12, 74, 330, 23, kEdit);
    browse_ = Control(L"BUTTON", FromUtf8(Lookup(Text::Browse)), WS_TABSTOP | BS_PUSHBUTTON, 350, 73, 78, 25, kBrowse);
    progress_ = Control(PROGRESS_CLASSW, L"", 0, 12, 110, 416, 16, kProgress);
    install_ = Control(L"BUTTON", FromUtf8(Lookup(Text::Install)), WS_TABSTOP | BS_DEFPUSHBUTTON, 262, 142, 80, 28,
                       kInstall);
    cancel_ = Control(L"BUTTON", FromUtf8(Lookup(Text::Cancel)), WS_TABSTOP | BS_PUSHBUTTON, 348, 142, 80, 28, kCancel);
}

LRESULT CALLBACK SetupWindow::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* self = static_cast<SetupWindow*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
        self->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<SetupWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (msg == WM_NCDESTROY) {
        // No late message may reach the object once the window is gone.
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        if (self) self->hwnd_ = nullptr;
        return DefWindowProcW(hwnd, msg, wp, lp);
    }
    return self ? self->Handle(msg, wp, lp) : DefWindowProcW(hwnd, msg, wp, lp);
}

LRESULT SetupWindow::Handle(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_CREATE:
            CreateControls();
            return 0;
        case WM_COMMAND:
            switch (LOWORD(wp)) {
                case kInstall: Install(); return 0;
                case kBrowse: Browse(); return 0;
                case kCancel: PostMessageW(hwnd_, WM_CLOSE, 0, 0); return 0;
            }
            break;
        case WM_CLOSE:
            if (!busy_) DestroyWindow(hwnd_);  // a half-placed installation is never abandoned
            return 0;
        case WM_DESTROY:
            PostQuitMessage(result_);
            return 0;
    }
    return DefWindowProcW(hwnd_, msg, wp, lp);
}

int SetupWindow::Run() {
    if (!hwnd_) return 1;
    ShowWindow(hwnd_, SW_SHOWNORMAL);
    SetFocus(install_);
    MSG m;
    while (GetMessageW(&m, nullptr, 0, 0) > 0) {
        if (hwnd_ && IsDialogMessageW(hwnd_, &m)) continue;
        TranslateMessage(&m);
        DispatchMessageW(&m);
    }
    return result_;
}

void SetupWindow::PumpMessages() {
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
        if (m.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(m.wParam));
            return;
        }
        if (hwnd_ && IsDialogMessageW(hwnd_, &m)) continue;
        TranslateMessage(&m);
        DispatchMessageW(&m);
    }
}

void SetupWindow::Browse() {
    const std::wstring title = FromUtf8(Lookup(Text::BrowseTitle));
    BROWSEINFOW bi{};
    bi.hwndOwner = hwnd_;
    bi.lpszTitle = title.c_str();
    bi.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    PIDLIST_ABSOLUTE pidl = SHBrowseForFolderW(&bi);
    if (!pidl) return;
    wchar_t path[MAX_PATH] = {};
    if (SHGetPathFromIDListW(pidl, path)) {
        // The chosen folder holds the screensaver's own folder, as the default does.
        std::wstring dir = path;
        if (!dir.empty() && dir.back() != L'\\') dir += L'\\';
        const std::string current = directory_;
        const size_t cut = current.find_last_of('\\', current.size() > 1 ? current.size() - 2 : 0);
        dir += FromAnsi(cut == std::string::npos ? current : current.substr(cut + 1));
        SetWindowTextW(edit_, dir.c_str());
    }
    CoTaskMemFree(pidl);
}

void SetupWindow::Install() {
    if (busy_) return;
    const int length = GetWindowTextLengthW(edit_);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    GetWindowTextW(edit_, text.data(), length + 1);
    text.resize(static_cast<size_t>(length));
    const std::string directory = ToAnsi(text);

    busy_ = true;
    for (HWND c : {edit_, browse_, install_, cancel_}) EnableWindow(c, FALSE);
    SendMessageW(progress_, PBM_SETPOS, 0, 0);
    std::wstring failure;
    try {
        InstallAndRegister(package_, directory, [&](size_t done, size_t total) {
            SendMessageW(progress_, PBM_SETRANGE32, 0, static_cast<LPARAM>(total));
            SendMessageW(progress_, PBM_SETPOS, static_cast<WPARAM>(done), 0);
            PumpMessages();
        });
    } catch (const std::exception& e) {
        failure = FromUtf8(Lookup(Text::Failed)) + L"\n\n" + FromAnsi(e.what());
    }
    busy_ = false;
    for (HWND c : {edit_, browse_, install_, cancel_}) EnableWindow(c, TRUE);
    const std::wstring caption = Format(Lookup(Text::SetupTitle), package_.SaverName());
    if (!failure.empty()) {
        SendMessageW(progress_, PBM_SETPOS, 0, 0);
        MessageBoxW(hwnd_, failure.c_str(), caption.c_str(), MB_OK | MB_ICONERROR);
        return;
    }
    MessageBoxW(hwnd_, Format(Lookup(Text::Done), package_.SaverName()).c_str(), caption.c_str(),
                MB_OK | MB_ICONINFORMATION);
    result_ = 0;
    DestroyWindow(hwnd_);
}

}  // namespace qb::setup::win
