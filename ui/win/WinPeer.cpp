#include "ui/win/WinPeer.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>

#include "ui/Application.h"
#include "ui/Backend.h"
#include "ui/Form.h"
#include "ui/Menus.h"
#include "ui/StdControls.h"
#include "ui/win/GdiCanvas.h"

namespace qb::ui::win {
namespace {

const wchar_t kClassName[] = L"QbWindow";
// Menu command ids start above the dialog ids (IDOK, IDCANCEL...) that the
// dialog manager sends for Enter and Escape, so a key never runs a menu item.
const size_t kFirstMenuId = 100;

void RegisterOwnClass() {
    static bool done = [] {
        INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS | ICC_TAB_CLASSES};
        InitCommonControlsEx(&icc);
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
        wc.lpfnWndProc = WinPeer::WindowProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hCursor = LoadCursorW(nullptr, (LPCWSTR)IDC_ARROW);
        wc.hIcon = LoadIconW(GetModuleHandleW(nullptr), L"MAINICON");
        wc.lpszClassName = kClassName;
        RegisterClassExW(&wc);
        return true;
    }();
    (void)done;
}

struct WindowStyle {
    const wchar_t* cls;
    DWORD style;
    DWORD exStyle;
};

WindowStyle StyleOf(WinControl& c) {
    if (auto* f = dynamic_cast<Form*>(&c)) {
        if (f->HostWindow()) return {kClassName, WS_CHILD | WS_CLIPCHILDREN, 0};
        DWORD style = WS_CLIPCHILDREN;
        switch (f->GetBorderStyle()) {
            case BorderStyle::None: style |= WS_POPUP; break;
            case BorderStyle::Single: style |= WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX; break;
            case BorderStyle::Dialog: style |= WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME; break;
            case BorderStyle::Sizeable: style |= WS_OVERLAPPEDWINDOW; break;
        }
        DWORD ex = f->StayOnTop() ? WS_EX_TOPMOST : 0;
        if (f->GetBorderStyle() == BorderStyle::Dialog) ex |= WS_EX_DLGMODALFRAME;
        return {kClassName, style, ex};
    }
    DWORD base = WS_CHILD | WS_CLIPSIBLINGS;
    auto* s = dynamic_cast<StdControl*>(&c);
    if (!s) return {kClassName, base | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT};
    switch (s->Kind()) {
        case WindowKind::Container:
        case WindowKind::GroupBox:
        case WindowKind::Form: return {kClassName, base | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT};
        case WindowKind::Label: return {L"STATIC", base | SS_NOTIFY, 0};
        case WindowKind::PushButton: return {L"BUTTON", base | WS_TABSTOP | BS_PUSHBUTTON, 0};
        case WindowKind::CheckBox: return {L"BUTTON", base | WS_TABSTOP | BS_AUTOCHECKBOX, 0};
        case WindowKind::RadioButton: return {L"BUTTON", base | WS_TABSTOP | BS_RADIOBUTTON, 0};
        case WindowKind::Edit: return {L"EDIT", base | WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE};
        case WindowKind::Memo:
            return {L"EDIT", base | WS_TABSTOP | ES_MULTILINE | ES_AUTOVSCROLL | WS_VSCROLL | ES_WANTRETURN, WS_EX_CLIENTEDGE};
        case WindowKind::ListBox: {
            auto* l = static_cast<ListBox*>(s);
            return {L"LISTBOX", base | WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | (l->MultiSelect() ? LBS_EXTENDEDSEL : 0),
                    WS_EX_CLIENTEDGE};
        }
        case WindowKind::ComboBox: return {L"COMBOBOX", base | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0};
        case WindowKind::ProgressBar: return {PROGRESS_CLASSW, base, 0};
        case WindowKind::TabStrip: return {WC_TABCONTROLW, base | WS_TABSTOP, 0};
    }
    return {kClassName, base, 0};
}

bool IsOwnClassWindow(HWND h) {
    wchar_t name[32] = {};
    GetClassNameW(h, name, 32);
    return lstrcmpW(name, kClassName) == 0;
}

HMENU BuildMenu(const MenuItem& root, bool popup, std::vector<MenuItem*>& ids, UINT cp) {
    HMENU m = popup ? CreatePopupMenu() : CreateMenu();
    for (MenuItem* item : root.Items()) {
        std::wstring text = Widen(item->Caption(), cp);
        if (!item->ShortCut().empty()) text += L"\t" + Widen(item->ShortCut(), cp);
        UINT flags = item->Enabled() ? MF_ENABLED : MF_GRAYED;
        if (item->Caption() == "-") {
            AppendMenuW(m, MF_SEPARATOR, 0, nullptr);
        } else if (!item->Items().empty()) {
            AppendMenuW(m, flags | MF_POPUP, (UINT_PTR)BuildMenu(*item, true, ids, cp), text.c_str());
        } else {
            ids.push_back(item);
            AppendMenuW(m, flags | MF_STRING, kFirstMenuId + ids.size() - 1, text.c_str());
        }
    }
    return m;
}

}  // namespace

WinPeer::WinPeer(WinControl& control) : control_(control) {
    RegisterOwnClass();
    WindowStyle style = StyleOf(control);
    auto* form = dynamic_cast<Form*>(&control);
    HWND parent = nullptr;
    if (control.Parent())
        if (auto* pp = dynamic_cast<WinPeer*>(control.Parent()->Peer())) parent = pp->hwnd_;
    if (form && form->HostWindow()) {
        parent = static_cast<HWND>(form->HostWindow());
        if (!IsWindow(parent)) return;
    }
    if (!form && !parent) return;

    RECT r{control.Left(), control.Top(), control.Left() + control.Width(), control.Top() + control.Height()};
    if (form) {
        // A form's bounds are its client area; the frame goes around it.
        AdjustWindowRectEx(&r, style.style, form->Menu() != nullptr, style.exStyle);
        int w = r.right - r.left, h = r.bottom - r.top;
        HWND over = form->CenterOn() ? [&]() -> HWND {
            auto* p = dynamic_cast<WinPeer*>(form->CenterOn()->Peer());
            return p ? p->hwnd_ : nullptr;
        }() : nullptr;
        if (over) {
            RECT o;
            GetWindowRect(over, &o);
            r.left = o.left + (o.right - o.left - w) / 2;
            r.top = o.top + (o.bottom - o.top - h) / 2;
        } else if (form->Centered()) {
            r.left = (GetSystemMetrics(SM_CXSCREEN) - w) / 2;
            r.top = (GetSystemMetrics(SM_CYSCREEN) - h) / 2;
        } else {
            r.left = control.Left();
            r.top = control.Top();
        }
        r.right = r.left + w;
        r.bottom = r.top + h;
    }
    std::wstring text = Widen(control.GetText(), CodePage());
    hwnd_ = CreateWindowExW(style.exStyle, style.cls, text.c_str(), style.style, r.left, r.top, r.right - r.left,
                            r.bottom - r.top, parent, nullptr, GetModuleHandleW(nullptr), this);
    if (!hwnd_) return;
    // Standard controls are not ours: the pointer goes into their user data.
    if (!IsOwnClass()) SetWindowLongPtrW(hwnd_, GWLP_USERDATA, (LONG_PTR)this);
    if (form && form->Menu()) {
        form->Menu()->Root().OnChange = [this] { RebuildMenu(); };
        RebuildMenu();
    }
    SyncAll();
}

WinPeer::~WinPeer() {
    if (auto* form = dynamic_cast<Form*>(&control_); form && form->Menu()) form->Menu()->Root().OnChange = nullptr;
    if (!hwnd_) return;
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    if (tip_ && IsWindow(tip_)) DestroyWindow(tip_);
    if (IsWindow(hwnd_)) DestroyWindow(hwnd_);
    if (menu_) DestroyMenu(menu_);
}

bool WinPeer::IsOwnClass() const { return IsOwnClassWindow(hwnd_); }

WinPeer* WinPeer::FromHandle(HWND h) { return h ? reinterpret_cast<WinPeer*>(GetWindowLongPtrW(h, GWLP_USERDATA)) : nullptr; }

void WinPeer::RebuildMenu() {
    auto* form = dynamic_cast<Form*>(&control_);
    if (!form || !form->Menu() || !hwnd_) return;
    menuItems_.clear();
    HMENU fresh = BuildMenu(form->Menu()->Root(), false, menuItems_, CodePage());
    SetMenu(hwnd_, fresh);
    if (menu_) DestroyMenu(menu_);
    menu_ = fresh;
    DrawMenuBar(hwnd_);
}

WinPeer* WinPeer::Root() {
    ui::Control* c = &control_;
    while (c->Parent()) c = c->Parent();
    // The form asks while its own window is still being made.
    if (c == &control_) return this;
    return dynamic_cast<WinPeer*>(c->Peer());
}

HWND WinPeer::ToolTip() {
    if (!tip_ && dynamic_cast<Form*>(&control_)) {
        tip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
        SendMessageW(tip_, TTM_SETMAXTIPWIDTH, 0, 400);
        SendMessageW(tip_, TTM_SETDELAYTIME, TTDT_INITIAL, Application::HintPause());
    }
    return tip_;
}

void WinPeer::SetTool(ui::Control& c, HWND owner, UINT_PTR id, UINT flags) {
    WinPeer* root = Root();
    HWND tip = root ? root->ToolTip() : nullptr;
    if (!tip) return;
    TTTOOLINFOW ti{};
    ti.cbSize = sizeof(ti);
    ti.hwnd = owner;
    ti.uId = id;
    SendMessageW(tip, TTM_DELTOOLW, 0, (LPARAM)&ti);
    bool gone = !c.IsWindowed() && c.Parent() != &control_;
    if (gone || c.Hint().empty() || !c.HintShown() || !c.Visible()) return;
    std::wstring text = Widen(c.Hint(), CodePageOf(c.GetFont()));
    ti.uFlags = flags | TTF_SUBCLASS;
    ti.lpszText = text.data();
    Rect b = c.BoundsRect();
    ti.rect = {b.left, b.top, b.right, b.bottom};
    SendMessageW(tip, TTM_ADDTOOLW, 0, (LPARAM)&ti);
}

void WinPeer::SyncHint() {
    if (!dynamic_cast<Form*>(&control_)) SetTool(control_, hwnd_, (UINT_PTR)hwnd_, TTF_IDISHWND);
    for (ui::Control* c : control_.Children())
        if (!c->IsWindowed()) SetTool(*c, hwnd_, (UINT_PTR)c, 0);
}

void WinPeer::UpdateChild(ui::Control& child, Change what) {
    if (what == Change::Hint || what == Change::Bounds || what == Change::Visible) SetTool(child, hwnd_, (UINT_PTR)&child, 0);
}

void WinPeer::SyncAll() {
    SyncFont();
    SyncHint();
    SyncItems();
    SyncState();
    ShowWindow(hwnd_, control_.Visible() && !dynamic_cast<Form*>(&control_) ? SW_SHOWNA : SW_HIDE);
    EnableWindow(hwnd_, control_.Enabled());
}

void WinPeer::Update(Change what) {
    if (!hwnd_) return;
    switch (what) {
        case Change::Text: SyncText(); break;
        case Change::Font:
            SyncFont();
            // The code page may have changed with the character set.
            SyncText();
            SyncItems();
            break;
        case Change::Bounds: SyncBounds(); break;
        case Change::Visible:
            if (auto* f = dynamic_cast<Form*>(&control_); f && f->Visible()) {
                ShowWindow(hwnd_, SW_SHOW);
                SetForegroundWindow(hwnd_);
            } else {
                ShowWindow(hwnd_, control_.Visible() ? SW_SHOWNA : SW_HIDE);
            }
            break;
        case Change::Enabled: EnableWindow(hwnd_, control_.Enabled()); break;
        case Change::Items: SyncItems(); break;
        case Change::State: SyncState(); break;
        case Change::Color: InvalidateRect(hwnd_, nullptr, TRUE); break;
        case Change::Hint: SyncHint(); break;
    }
}

void WinPeer::SyncText() {
    ++updating_;
    auto* s = dynamic_cast<StdControl*>(&control_);
    if (!s || s->Kind() != WindowKind::Memo) {
        // The text may have come from the window itself (typing): writing it
        // back would move the caret to the start under the user's fingers.
        const std::wstring text = Widen(control_.GetText(), CodePage());
        const int n = GetWindowTextLengthW(hwnd_);
        std::wstring shown(n + 1, L'\0');
        GetWindowTextW(hwnd_, shown.data(), n + 1);
        shown.resize(n);
        if (shown != text) SetWindowTextW(hwnd_, text.c_str());
    }
    --updating_;
    if (IsOwnClass()) InvalidateRect(hwnd_, nullptr, TRUE);
}

void WinPeer::SyncFont() {
    font_.Reset(MakeFont(control_.GetFont()));
    SendMessageW(hwnd_, WM_SETFONT, (WPARAM)font_.Get(), TRUE);
    if (dynamic_cast<Form*>(&control_)) RebuildMenu();
    InvalidateRect(hwnd_, nullptr, TRUE);
}

void WinPeer::SyncBounds() {
    if (dynamic_cast<Form*>(&control_)) {
        RECT r{0, 0, control_.Width(), control_.Height()};
        AdjustWindowRectEx(&r, GetWindowLongW(hwnd_, GWL_STYLE), GetMenu(hwnd_) != nullptr, GetWindowLongW(hwnd_, GWL_EXSTYLE));
        SetWindowPos(hwnd_, nullptr, 0, 0, r.right - r.left, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        return;
    }
    MoveWindow(hwnd_, control_.Left(), control_.Top(), control_.Width(), control_.Height(), TRUE);
}

void WinPeer::SyncItems() {
    auto* s = dynamic_cast<StdControl*>(&control_);
    if (!s || !s->ItemList()) return;
    ++updating_;
    const Strings& items = *s->ItemList();
    UINT cp = CodePage();
    switch (s->Kind()) {
        case WindowKind::ListBox:
            SendMessageW(hwnd_, LB_RESETCONTENT, 0, 0);
            for (int i = 0; i < items.Count(); ++i) SendMessageW(hwnd_, LB_ADDSTRING, 0, (LPARAM)Widen(items[i], cp).c_str());
            break;
        case WindowKind::ComboBox:
            SendMessageW(hwnd_, CB_RESETCONTENT, 0, 0);
            for (int i = 0; i < items.Count(); ++i) SendMessageW(hwnd_, CB_ADDSTRING, 0, (LPARAM)Widen(items[i], cp).c_str());
            break;
        case WindowKind::TabStrip:
            SendMessageW(hwnd_, TCM_DELETEALLITEMS, 0, 0);
            for (int i = 0; i < items.Count(); ++i) {
                std::wstring w = Widen(items[i], cp);
                TCITEMW item{};
                item.mask = TCIF_TEXT;
                item.pszText = w.data();
                SendMessageW(hwnd_, TCM_INSERTITEMW, i, (LPARAM)&item);
            }
            break;
        case WindowKind::Memo: {
            std::string text = items.Text();
            if (text.size() >= 2) text.resize(text.size() - 2);
            SetWindowTextW(hwnd_, Widen(text, cp).c_str());
            break;
        }
        default: break;
    }
    --updating_;
    SyncState();
}

void WinPeer::SyncState() {
    auto* s = dynamic_cast<StdControl*>(&control_);
    if (!s) return;
    ++updating_;
    switch (s->Kind()) {
        case WindowKind::CheckBox:
        case WindowKind::RadioButton: SendMessageW(hwnd_, BM_SETCHECK, s->State() ? BST_CHECKED : BST_UNCHECKED, 0); break;
        case WindowKind::ListBox: {
            auto* l = static_cast<ListBox*>(s);
            if (!l->MultiSelect()) {
                SendMessageW(hwnd_, LB_SETCURSEL, l->ItemIndex(), 0);
                break;
            }
            for (int i = 0; i < l->Items().Count(); ++i) SendMessageW(hwnd_, LB_SETSEL, l->Selected(i), i);
            if (l->ItemIndex() >= 0) SendMessageW(hwnd_, LB_SETCARETINDEX, l->ItemIndex(), FALSE);
            break;
        }
        case WindowKind::ComboBox: SendMessageW(hwnd_, CB_SETCURSEL, s->State(), 0); break;
        case WindowKind::TabStrip: SendMessageW(hwnd_, TCM_SETCURSEL, s->State(), 0); break;
        case WindowKind::Edit: SendMessageW(hwnd_, EM_SETLIMITTEXT, s->State(), 0); break;
        case WindowKind::ProgressBar: {
            auto* p = static_cast<ProgressBar*>(s);
            SendMessageW(hwnd_, PBM_SETRANGE32, p->Min(), p->Max());
            SendMessageW(hwnd_, PBM_SETPOS, p->Position(), 0);
            break;
        }
        default: break;
    }
    --updating_;
}

void WinPeer::Invalidate(const Rect* r, bool now) {
    if (!hwnd_) return;
    if (r) {
        RECT rc{r->left, r->top, r->right, r->bottom};
        InvalidateRect(hwnd_, &rc, FALSE);
    } else {
        InvalidateRect(hwnd_, nullptr, FALSE);
    }
    if (now) UpdateWindow(hwnd_);
}

void WinPeer::Command(WORD code) {
    if (updating_) return;
    auto* s = dynamic_cast<StdControl*>(&control_);
    if (!s) return;
    switch (code) {
        case BN_CLICKED:  // also STN_CLICKED (0) for labels
            if (s->Kind() == WindowKind::CheckBox) {
                s->FromPeer(PeerEvent::Clicked, SendMessageW(hwnd_, BM_GETCHECK, 0, 0) == BST_CHECKED, {});
            } else if (s->Kind() != WindowKind::Edit && s->Kind() != WindowKind::Memo &&
                       s->Kind() != WindowKind::ListBox && s->Kind() != WindowKind::ComboBox) {
                s->FromPeer(PeerEvent::Clicked, 1, {});
            }
            break;
        case EN_CHANGE:
            if (s->Kind() == WindowKind::Edit || s->Kind() == WindowKind::Memo) {
                int n = GetWindowTextLengthW(hwnd_);
                std::wstring w(n + 1, L'\0');
                GetWindowTextW(hwnd_, w.data(), n + 1);
                w.resize(n);
                s->FromPeer(PeerEvent::TextEdited, 0, Narrow(w, CodePage()));
            }
            break;
        case LBN_SELCHANGE:  // == CBN_SELCHANGE
            if (auto* l = dynamic_cast<ListBox*>(s)) {
                std::vector<int> selected;
                int count = l->Items().Count();
                for (int i = 0; i < count; ++i)
                    if (SendMessageW(hwnd_, LB_GETSEL, i, 0) > 0) selected.push_back(i);
                l->SelectionFromPeer(selected, (int)SendMessageW(hwnd_, LB_GETCARETINDEX, 0, 0));
            }
            else if (s->Kind() == WindowKind::ComboBox)
                s->FromPeer(PeerEvent::SelectionChanged, (int)SendMessageW(hwnd_, CB_GETCURSEL, 0, 0), {});
            break;
    }
}

void WinPeer::Paint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd_, &ps);
    RECT client;
    GetClientRect(hwnd_, &client);
    int w = std::max<int>(client.right, 1), h = std::max<int>(client.bottom, 1);
    // Drawn off screen first: windowless children paint over the background.
    HDC mem = CreateCompatibleDC(dc);
    GdiObject<HBITMAP> bmp(CreateCompatibleBitmap(dc, w, h));
    HGDIOBJ old = SelectObject(mem, bmp.Get());
    {
        GdiCanvas canvas(mem);
        canvas.FillRect({0, 0, w, h}, control_.GetColor());
        auto* s = dynamic_cast<StdControl*>(&control_);
        if (s && s->Kind() == WindowKind::GroupBox) {
            Size ts = canvas.MeasureText(control_.GetText().empty() ? "X" : control_.GetText(), control_.GetFont(), false, w);
            RECT frame{0, ts.cy / 2, w, h};
            DrawEdge(mem, &frame, EDGE_ETCHED, BF_RECT);
            if (!control_.GetText().empty()) {
                canvas.FillRect({6, 0, 10 + ts.cx, ts.cy}, control_.GetColor());
                canvas.DrawText(control_.GetText(), {8, 0, 8 + ts.cx, ts.cy}, control_.GetFont(),
                                control_.Enabled() ? control_.GetFont().GetColor() : clBtnShadow, false);
            }
        } else if (s && s->Kind() == WindowKind::Container) {
            if (auto* panel = dynamic_cast<Panel*>(s); panel && panel->BevelOuter() != bvNone) {
                RECT edge{0, 0, w, h};
                DrawEdge(mem, &edge, panel->BevelOuter() == bvLowered ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
            }
            if (!control_.GetText().empty())
                canvas.DrawText(control_.GetText(), {0, 0, w, h}, control_.GetFont(), control_.GetFont().GetColor(), false);
        }
    }
    for (ui::Control* c : control_.Children()) {
        auto* g = dynamic_cast<GraphicControl*>(c);
        if (!g || !g->Visible()) continue;
        Rect b = g->BoundsRect();
        int saved = SaveDC(mem);
        IntersectClipRect(mem, b.left, b.top, b.right, b.bottom);
        SetViewportOrgEx(mem, b.left, b.top, nullptr);
        {
            GdiCanvas canvas(mem);
            Application::Guarded([&] { g->Paint(canvas); });
        }
        RestoreDC(mem, saved);
    }
    BitBlt(dc, 0, 0, w, h, mem, 0, 0, SRCCOPY);
    SelectObject(mem, old);
    DeleteDC(mem);
    EndPaint(hwnd_, &ps);
}

void WinPeer::SetHot(ui::Control* c) {
    if (c == hot_) return;
    ui::Control* old = hot_;
    hot_ = c;
    if (auto* g = dynamic_cast<GraphicControl*>(old)) g->MouseLeave();
    if (auto* g = dynamic_cast<GraphicControl*>(c)) g->MouseEnter();
}

void WinPeer::MouseMessage(UINT msg, WPARAM wp, LPARAM lp) {
    int x = GET_X_LPARAM(lp), y = GET_Y_LPARAM(lp);
    auto& kids = control_.Children();
    // A child may have gone while we held on to it.
    if (capture_ && std::find(kids.begin(), kids.end(), capture_) == kids.end()) capture_ = nullptr;
    if (hot_ && std::find(kids.begin(), kids.end(), hot_) == kids.end()) hot_ = nullptr;
    ui::Control* under = control_.GraphicChildAt(x, y);
    if (msg == WM_MOUSELEAVE) {
        tracking_ = false;
        SetHot(nullptr);
        return;
    }
    if (!tracking_) {
        TRACKMOUSEEVENT tme{sizeof(tme), TME_LEAVE, hwnd_, 0};
        tracking_ = TrackMouseEvent(&tme);
    }
    SetHot(under && under->Enabled() ? under : nullptr);
    ui::Control* target = capture_ ? capture_ : under;
    auto* g = dynamic_cast<GraphicControl*>(target);
    if (!g || !g->Enabled()) return;
    int lx = x - g->Left(), ly = y - g->Top();
    switch (msg) {
        case WM_MOUSEMOVE: g->DispatchMouseMove(lx, ly); break;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN: {
            MouseButton b = (msg == WM_RBUTTONDOWN) ? MouseButton::Right
                            : (msg == WM_MBUTTONDOWN) ? MouseButton::Middle : MouseButton::Left;
            if (!capture_) {
                capture_ = g;
                SetCapture(hwnd_);
            }
            g->DispatchMouseDown(b, lx, ly);
            break;
        }
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
        case WM_MBUTTONUP: {
            MouseButton b = (msg == WM_RBUTTONUP) ? MouseButton::Right
                            : (msg == WM_MBUTTONUP) ? MouseButton::Middle : MouseButton::Left;
            if (!(wp & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON))) {
                capture_ = nullptr;
                if (GetCapture() == hwnd_) ReleaseCapture();
            }
            g->DispatchMouseUp(b, lx, ly);
            break;
        }
    }
}

LRESULT CALLBACK WinPeer::WindowProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
        auto* peer = static_cast<WinPeer*>(cs->lpCreateParams);
        peer->hwnd_ = h;
        SetWindowLongPtrW(h, GWLP_USERDATA, (LONG_PTR)peer);
    }
    WinPeer* peer = FromHandle(h);
    if (!peer) return DefWindowProcW(h, msg, wp, lp);
    LRESULT result = 0;
    bool handled = false;
    // An exception from a handler reaches the general error box; the
    // program goes on.
    Application::Guarded([&] {
        result = peer->OnMessage(msg, wp, lp);
        handled = true;
    });
    return handled ? result : DefWindowProcW(h, msg, wp, lp);
}

LRESULT WinPeer::OnMessage(UINT msg, WPARAM wp, LPARAM lp) {
    if (auto* form = dynamic_cast<Form*>(&control_); form && form->OnMessage) {
        intptr_t result = 0;
        if (form->OnMessage(msg, wp, lp, result)) return result;
    }
    switch (msg) {
        case WM_ERASEBKGND: return 1;
        case WM_PAINT: Paint(); return 0;
        case WM_COMMAND:
            if (lp) {
                if (auto* child = FromHandle((HWND)lp)) child->Command(HIWORD(wp));
            } else if (HIWORD(wp) == 0) {
                size_t id = LOWORD(wp);
                if (id >= kFirstMenuId && id - kFirstMenuId < menuItems_.size()) menuItems_[id - kFirstMenuId]->Click();
            }
            return 0;
        case WM_NOTIFY: {
            auto* hdr = reinterpret_cast<NMHDR*>(lp);
            if (hdr->code == (UINT)TCN_SELCHANGE)
                if (auto* child = FromHandle(hdr->hwndFrom))
                    if (auto* s = dynamic_cast<StdControl*>(&child->control_))
                        s->FromPeer(PeerEvent::SelectionChanged, (int)SendMessageW(hdr->hwndFrom, TCM_GETCURSEL, 0, 0), {});
            return 0;
        }
        case WM_CLOSE:
            if (auto* f = dynamic_cast<Form*>(&control_)) {
                f->Close();
                return 0;
            }
            break;
        case WM_MOUSEMOVE:
        case WM_MOUSELEAVE:
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
        case WM_LBUTTONUP:
        case WM_RBUTTONDOWN:
        case WM_RBUTTONUP:
        case WM_MBUTTONDOWN:
        case WM_MBUTTONUP: MouseMessage(msg, wp, lp); return 0;
        case WM_SETCURSOR:
            if (LOWORD(lp) == HTCLIENT) {
                // The control under the pointer (a windowless child, or this window) picks the shape.
                POINT p;
                GetCursorPos(&p);
                ScreenToClient(hwnd_, &p);
                ui::Control* under = (HWND)wp == hwnd_ ? control_.GraphicChildAt(p.x, p.y) : nullptr;
                TCursor shape = under && under->Cursor() != crDefault ? under->Cursor() : control_.Cursor();
                if ((HWND)wp == hwnd_ && shape != crDefault) {
                    static const WORD ids[] = {32512, 32512, 32649, 32513, 32514, 0};  // arrow, hand, I-beam, wait
                    ::SetCursor(shape == crNone ? nullptr : LoadCursorW(nullptr, MAKEINTRESOURCEW(ids[shape])));
                    return TRUE;
                }
            }
            break;
        case WM_CAPTURECHANGED:
            if ((HWND)lp != hwnd_) capture_ = nullptr;
            return 0;
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN: {
            HDC dc = (HDC)wp;
            SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
            if (auto* child = FromHandle((HWND)lp)) SetTextColor(dc, ToColorRef(child->control_.GetFont().GetColor()));
            return (LRESULT)GetSysColorBrush(COLOR_BTNFACE);
        }
    }
    return DefWindowProcW(hwnd_, msg, wp, lp);
}

}  // namespace qb::ui::win

namespace qb::ui {
std::unique_ptr<ControlPeer> CreatePeer(WinControl& control) {
    auto peer = std::make_unique<win::WinPeer>(control);
    if (!peer->Handle()) return nullptr;
    return peer;
}
}  // namespace qb::ui
