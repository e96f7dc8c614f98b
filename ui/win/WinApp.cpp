// The message loop, modal windows, the general error box, message boxes,
// window-message timers, popup menus and the common file dialogs.
#include <windows.h>
#include <commdlg.h>

#include <string>
#include <vector>

#include "ui/Application.h"
#include "ui/Backend.h"
#include "ui/Dialogs.h"
#include "ui/Form.h"
#include "ui/Menus.h"
#include "ui/Timer.h"
#include "ui/win/WinPeer.h"

namespace qb::ui {
namespace {

// Alt+letter (and a letter typed on one of our own windows) is offered to
// the controls of the window first, so image buttons get their accelerators.
bool RouteDialogChar(const MSG& msg) {
    if (msg.message != WM_SYSCHAR && msg.message != WM_CHAR) return false;
    HWND root = GetAncestor(msg.hwnd, GA_ROOT);
    auto* peer = win::WinPeer::FromHandle(root);
    if (!peer) return false;
    if (msg.message == WM_CHAR) {
        // Edits, lists and buttons keep their letters; only a letter typed on
        // one of our own windows is a dialog character.
        auto* target = win::WinPeer::FromHandle(msg.hwnd);
        if (!target || !target->IsOwnClass()) return false;
    }
    wchar_t wc = (wchar_t)msg.wParam;
    if (wc >= 128 || wc < 32) return false;
    bool handled = false;
    Application::Guarded([&] { handled = peer->Control().BroadcastDialogChar((char)wc); });
    return handled;
}

MenuItem* FindShortCut(MenuItem& parent, const std::string& name) {
    for (MenuItem* item : parent.Items()) {
        if (!item->Enabled()) continue;
        if (item->Items().empty() ? item->ShortCut() == name : false) return item;
        if (MenuItem* found = FindShortCut(*item, name)) return found;
    }
    return nullptr;
}

// A function key runs the menu item of the window's menu bar that shows it
// as its shortcut ("F1"), wherever the focus is inside the window.
bool RouteShortCut(const MSG& msg) {
    if (msg.message != WM_KEYDOWN) return false;
    const bool function = msg.wParam >= VK_F1 && msg.wParam <= VK_F12;
    const bool ctrl = (GetKeyState(VK_CONTROL) & 0x8000) != 0;
    if (!function && !(ctrl && msg.wParam >= 'A' && msg.wParam <= 'Z')) return false;
    auto* peer = win::WinPeer::FromHandle(GetAncestor(msg.hwnd, GA_ROOT));
    auto* form = peer ? dynamic_cast<Form*>(&peer->Control()) : nullptr;
    if (!form || !IsWindowEnabled(peer->Handle())) return false;
    if (function && !ctrl && form->Menu()) {
        if (MenuItem* item = FindShortCut(form->Menu()->Root(), "F" + std::to_string(msg.wParam - VK_F1 + 1))) {
            item->Click();
            return true;
        }
    }
    return form->OnShortCutKey && form->OnShortCutKey(static_cast<unsigned>(msg.wParam), ctrl);
}

void Pump(const MSG& msg) {
    if (RouteDialogChar(msg)) return;
    if (RouteShortCut(msg)) return;
    HWND root = GetAncestor(msg.hwnd, GA_ROOT);
    if (root && win::WinPeer::FromHandle(root) && IsDialogMessageW(root, const_cast<MSG*>(&msg))) return;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
}

BOOL CALLBACK CollectEnabled(HWND h, LPARAM lp) {
    if (IsWindowVisible(h) && IsWindowEnabled(h)) reinterpret_cast<std::vector<HWND>*>(lp)->push_back(h);
    return TRUE;
}

HWND HandleOf(Form* f) {
    if (!f) return nullptr;
    auto* p = dynamic_cast<win::WinPeer*>(f->Peer());
    return p ? p->Handle() : nullptr;
}

}  // namespace

void Application::Run(Form& mainForm) {
    mainForm.SetMainForm(true);
    Guarded([&] { mainForm.Show(); });
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) Guarded([&] { Pump(msg); });
}

void Application::ProcessMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage((int)msg.wParam);
            return;
        }
        Guarded([&] { Pump(msg); });
    }
}

namespace {
int hintPause = 500;
}
void Application::SetHintPause(int ms) { hintPause = ms; }
int Application::HintPause() { return hintPause; }

void Application::ShowException(const std::exception& e) {
    std::wstring text = win::Widen(e.what(), CP_ACP);
    MessageBoxW(GetActiveWindow(), text.c_str(), L"Quenbrook", MB_OK | MB_ICONERROR | MB_TASKMODAL);
}

int MessageDlg(Form* owner, const std::string& text, const std::string& caption, int flags) {
    UINT cp = owner ? win::CodePageOf(owner->GetFont()) : CP_ACP;
    int r = MessageBoxW(owner ? HandleOf(owner) : GetActiveWindow(), win::Widen(text, cp).c_str(),
                        win::Widen(caption, cp).c_str(), (UINT)flags);
    switch (r) {
        case IDOK: return mrOk;
        case IDYES: return mrYes;
        case IDNO: return mrNo;
        default: return mrCancel;
    }
}

void RunModal(Form& form) {
    HWND self = HandleOf(&form);
    std::vector<HWND> disabled;
    EnumThreadWindows(GetCurrentThreadId(), CollectEnabled, (LPARAM)&disabled);
    std::erase(disabled, self);
    for (HWND h : disabled) EnableWindow(h, FALSE);
    MSG msg;
    bool quit = false;
    while (form.GetModalResult() == mrNone) {
        if (GetMessageW(&msg, nullptr, 0, 0) <= 0) {
            quit = true;
            break;
        }
        Application::Guarded([&] { Pump(msg); });
    }
    for (HWND h : disabled)
        if (IsWindow(h)) EnableWindow(h, TRUE);
    if (quit) PostQuitMessage((int)msg.wParam);
}

void QuitMessageLoop() { PostQuitMessage(0); }

std::vector<uint8_t> LoadResourceData(const char* name) {
    HRSRC res = FindResourceA(nullptr, name, MAKEINTRESOURCEA(10));  // RT_RCDATA
    if (!res) return {};
    HGLOBAL h = LoadResource(nullptr, res);
    const void* p = h ? LockResource(h) : nullptr;
    if (!p) return {};
    auto* b = static_cast<const uint8_t*>(p);
    return std::vector<uint8_t>(b, b + SizeofResource(nullptr, res));
}

void DiscardQueuedMouseMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE)) {
    }
}

// A hidden message-only window per running timer.
class WinTimer : public TimerPeer {
public:
    explicit WinTimer(Timer& t) : timer_(t) {
        static const bool registered = [] {
            WNDCLASSEXW wc{};
            wc.cbSize = sizeof(wc);
            wc.lpfnWndProc = Proc;
            wc.hInstance = GetModuleHandleW(nullptr);
            wc.lpszClassName = L"QbTimer";
            return RegisterClassExW(&wc) != 0;
        }();
        (void)registered;
        hwnd_ = CreateWindowExW(0, L"QbTimer", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, GetModuleHandleW(nullptr), nullptr);
        if (!hwnd_) return;
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, (LONG_PTR)this);
        SetTimer(hwnd_, 1, t.Interval(), nullptr);
    }
    ~WinTimer() override {
        if (!hwnd_) return;
        KillTimer(hwnd_, 1);
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        DestroyWindow(hwnd_);
    }

private:
    static LRESULT CALLBACK Proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
        if (msg == WM_TIMER)
            if (auto* self = reinterpret_cast<WinTimer*>(GetWindowLongPtrW(h, GWLP_USERDATA))) {
                Application::Guarded([&] { self->timer_.Tick(); });
                return 0;
            }
        return DefWindowProcW(h, msg, wp, lp);
    }
    Timer& timer_;
    HWND hwnd_ = nullptr;
};

std::unique_ptr<TimerPeer> CreateTimerPeer(Timer& timer) { return std::make_unique<WinTimer>(timer); }

MenuItem* TrackPopup(PopupMenu& menu, int x, int y) {
    std::vector<MenuItem*> ids;
    HMENU m = CreatePopupMenu();
    for (MenuItem* item : menu.Root().Items()) {
        if (item->Caption() == "-") {
            AppendMenuW(m, MF_SEPARATOR, 0, nullptr);
            continue;
        }
        ids.push_back(item);
        AppendMenuW(m, MF_STRING | (item->Enabled() ? 0 : MF_GRAYED), ids.size(), win::Widen(item->Caption(), CP_ACP).c_str());
    }
    HWND owner = GetActiveWindow();
    UINT chosen = TrackPopupMenu(m, TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN, x, y, 0, owner, nullptr);
    DestroyMenu(m);
    return chosen >= 1 && chosen <= ids.size() ? ids[chosen - 1] : nullptr;
}

bool ExecuteFileDialog(FileDialog& d) {
    UINT cp = CP_ACP;
    HWND owner = GetActiveWindow();
    for (Component* c = d.Owner(); c; c = c->Owner())
        if (auto* f = dynamic_cast<Form*>(c)) {
            cp = win::CodePageOf(f->GetFont());
            if (HWND h = HandleOf(f)) owner = h;
            break;
        }
    std::wstring filter = win::Widen(d.Filter(), cp);
    for (auto& ch : filter)
        if (ch == L'|') ch = L'\0';
    filter.append(2, L'\0');
    std::vector<wchar_t> file(32768, L'\0');
    std::wstring initial = win::Widen(d.FileName(), cp);
    if (initial.size() < file.size()) std::copy(initial.begin(), initial.end(), file.begin());
    std::wstring dir = win::Widen(d.InitialDir(), cp), ext = win::Widen(d.DefaultExt(), cp), title = win::Widen(d.Title(), cp);

    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = d.Filter().empty() ? nullptr : filter.c_str();
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = (DWORD)file.size();
    ofn.lpstrInitialDir = dir.empty() ? nullptr : dir.c_str();
    ofn.lpstrDefExt = ext.empty() ? nullptr : ext.c_str();
    ofn.lpstrTitle = title.empty() ? nullptr : title.c_str();
    ofn.Flags = OFN_EXPLORER | OFN_NOCHANGEDIR;
    int o = d.Options();
    if (o & FileDialog::OverwritePrompt) ofn.Flags |= OFN_OVERWRITEPROMPT;
    if (o & FileDialog::HideReadOnly) ofn.Flags |= OFN_HIDEREADONLY;
    if (o & FileDialog::AllowMultiSelect) ofn.Flags |= OFN_ALLOWMULTISELECT;
    if (o & FileDialog::FileMustExist) ofn.Flags |= OFN_FILEMUSTEXIST;
    if (o & FileDialog::EnableSizing) ofn.Flags |= OFN_ENABLESIZING;
    BOOL ok = d.IsSave() ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn);
    if (!ok) return false;

    // Several files: the folder, then the names, each ended by a zero.
    std::vector<std::string> files;
    std::wstring first(file.data());
    const wchar_t* p = file.data() + first.size() + 1;
    if ((o & FileDialog::AllowMultiSelect) && *p) {
        std::wstring folder = first;
        if (!folder.empty() && folder.back() != L'\\') folder += L'\\';
        while (*p) {
            std::wstring name(p);
            files.push_back(win::Narrow(folder + name, cp));
            p += name.size() + 1;
        }
    } else {
        files.push_back(win::Narrow(first, cp));
    }
    d.SetResult(std::move(files));
    return true;
}

}  // namespace qb::ui

namespace qb::ui {

bool ExecuteColorDialog(ColorDialog& d) {
    HWND owner = GetActiveWindow();
    for (Component* c = d.Owner(); c; c = c->Owner())
        if (auto* f = dynamic_cast<Form*>(c)) {
            if (HWND h = HandleOf(f)) owner = h;
            break;
        }
    // The sixteen custom colours last the whole run, as the dialog's users expect.
    static COLORREF custom[16] = {};
    CHOOSECOLORW cc{};
    cc.lStructSize = sizeof(cc);
    cc.hwndOwner = owner;
    cc.rgbResult = d.Color() & 0xFFFFFF;
    cc.lpCustColors = custom;
    cc.Flags = CC_RGBINIT | CC_FULLOPEN | CC_ANYCOLOR;
    if (!ChooseColorW(&cc)) return false;
    d.SetColor(cc.rgbResult & 0xFFFFFF);
    return true;
}

}  // namespace qb::ui
