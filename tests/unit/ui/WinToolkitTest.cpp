#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include "ui/Application.h"
#include "app/Errors.h"
#include "ui/Form.h"
#include "ui/ImageList.h"
#include "ui/Menus.h"
#include "ui/StdControls.h"
#include "ui/Timer.h"
#include "ui/win/WinPeer.h"
#include "widgets/ImageButton.h"

// The toolkit over real windows: texts, mouse, accelerators, timers and the
// modal loop, driven through window messages.
namespace qb::ui {
namespace {

HWND Hwnd(const Control& c) {
    auto* p = dynamic_cast<win::WinPeer*>(c.Peer());
    return p ? p->Handle() : nullptr;
}

std::wstring WindowText(HWND h) {
    wchar_t buf[256] = {};
    GetWindowTextW(h, buf, 256);
    return buf;
}

TEST(WinToolkit, TextsFollowTheFontsCodePage) {
    Form f;
    auto& label = f.Make<Label>("L");
    label.SetParent(&f);
    auto& edit = f.Make<Edit>("E");
    edit.SetParent(&f);
    f.GetFont().SetCharset(134);
    label.SetText("\xD6\xD0\xCE\xC4");  // GB2312
    f.Show();
    ASSERT_NE(Hwnd(label), nullptr);
    EXPECT_EQ(WindowText(Hwnd(label)), L"\u4E2D\u6587");

    // The user's typing comes back in the same code page.
    std::string seen;
    edit.OnChange = [&](Component&) { seen = edit.GetText(); };
    SetWindowTextW(Hwnd(edit), L"\u5C4F\u4FDD");
    EXPECT_EQ(seen, "\xC6\xC1\xB1\xA3");

    // Typing goes on where the caret is: the control's copy of the text is
    // not written back over the window's.
    SetWindowTextW(Hwnd(edit), L"ab");
    SendMessageW(Hwnd(edit), EM_SETSEL, 2, 2);
    for (wchar_t ch : std::wstring(L"cd")) SendMessageW(Hwnd(edit), WM_CHAR, ch, 0);
    EXPECT_EQ(WindowText(Hwnd(edit)), L"abcd");
    EXPECT_EQ(edit.GetText(), "abcd");

    // A change of character set rewrites the window's text.
    f.GetFont().SetCharset(1);
    label.SetText("caf\xE9");
    EXPECT_EQ(WindowText(Hwnd(label)).substr(0, 3), L"caf");
}

TEST(WinToolkit, WindowlessButtonGetsMouseAndAccelerator) {
    Form f;
    f.SetBounds(0, 0, 200, 100);
    auto& b = f.Make<TTransparentButton>("B");
    b.SetParent(&f);
    b.SetBounds(10, 10, 60, 30);
    b.SetCaption("E&xit");
    int clicks = 0;
    b.OnClick = [&](Component&) { ++clicks; };
    f.Show();
    HWND h = Hwnd(f);
    ASSERT_NE(h, nullptr);

    SendMessageW(h, WM_MOUSEMOVE, 0, MAKELPARAM(20, 20));
    EXPECT_TRUE(b.Hot());
    SendMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 20));
    EXPECT_TRUE(b.ShownPressed());
    SendMessageW(h, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(150, 80));  // out, still held
    EXPECT_FALSE(b.ShownPressed());
    EXPECT_FALSE(b.Hot());
    SendMessageW(h, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(20, 20));
    SendMessageW(h, WM_LBUTTONUP, 0, MAKELPARAM(20, 20));
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(b.ShownPressed());

    // A link-like button shows the hand while the pointer is over it.
    b.SetCursor(crHandPoint);
    POINT origin{0, 0};
    ClientToScreen(h, &origin);
    SetCursorPos(origin.x + 20, origin.y + 20);
    SendMessageW(h, WM_SETCURSOR, (WPARAM)h, MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, MAKEINTRESOURCEW(32649)));

    // Alt+X reaches the button through the message loop.
    PostMessageW(h, WM_SYSCHAR, 'x', 0);
    Application::ProcessMessages();
    EXPECT_EQ(clicks, 2);
    PostMessageW(h, WM_SYSCHAR, 'q', 0);
    Application::ProcessMessages();
    EXPECT_EQ(clicks, 2);
}

TEST(WinToolkit, HintsBecomeToolTips) {
    Form f;
    f.SetShowHint(true);
    auto& b = f.Make<TTransparentButton>("B");
    b.SetParent(&f);
    auto& edit = f.Make<Edit>("E");
    edit.SetParent(&f);
    b.SetHint("Preview");
    f.Show();
    auto count = [&] {
        HWND tip = static_cast<win::WinPeer*>(f.Peer())->ToolTipHandle();
        return tip ? SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0) : 0;
    };
    EXPECT_EQ(count(), 1);
    edit.SetHint("Name");
    EXPECT_EQ(count(), 2);
    b.SetHint("");
    EXPECT_EQ(count(), 1);
    b.SetHint("Again");
    b.SetParent(nullptr);  // leaves the window, and its hint with it
    EXPECT_EQ(count(), 1);
    f.SetShowHint(false);
    EXPECT_EQ(count(), 0);
}

TEST(WinToolkit, TimerTicksUntilTheModalWindowEnds) {
    Form f;
    auto& t = f.Make<Timer>("T");
    t.SetInterval(10);
    int ticks = 0;
    t.SetOnTimer([&](Component&) {
        if (++ticks == 3) f.SetModalResult(mrOk);
    });
    EXPECT_TRUE(t.Running());
    EXPECT_EQ(f.ShowModal(), mrOk);
    EXPECT_EQ(ticks, 3);
    EXPECT_FALSE(f.Visible());
    t.SetEnabled(false);
    EXPECT_FALSE(t.Running());
}

TEST(WinToolkit, ClosingAskesCloseQueryAndEndsTheModalLoop) {
    Form f;
    int asked = 0;
    f.OnCloseQuery = [&](Form&, bool& can) { can = ++asked > 1; };
    f.OnShow = [&](Component&) {
        PostMessageW(Hwnd(f), WM_CLOSE, 0, 0);  // refused
        PostMessageW(Hwnd(f), WM_CLOSE, 0, 0);  // allowed
    };
    EXPECT_EQ(f.ShowModal(), mrCancel);
    EXPECT_EQ(asked, 2);
}

TEST(WinToolkit, ListAndComboItemsReachTheWindow) {
    Form f;
    auto& list = f.Make<ListBox>("List");
    list.SetParent(&f);
    auto& combo = f.Make<ComboBox>("Combo");
    combo.SetParent(&f);
    f.Show();
    list.Items().SetCommaText("a,b,c");
    combo.Items().SetCommaText("Low,Medium,High");
    combo.SetItemIndex(2);
    EXPECT_EQ(SendMessageW(Hwnd(list), LB_GETCOUNT, 0, 0), 3);
    EXPECT_EQ(SendMessageW(Hwnd(combo), CB_GETCURSEL, 0, 0), 2);
    EXPECT_EQ(combo.GetText(), "High");
    auto& multi = f.Make<ListBox>("Multi");
    multi.SetMultiSelect(true);
    multi.SetParent(&f);
    multi.Items().SetCommaText("m1,m2,m3");
    SendMessageW(Hwnd(multi), LB_SETSEL, TRUE, 0);
    SendMessageW(Hwnd(multi), LB_SETSEL, TRUE, 2);
    SendMessageW(Hwnd(f), WM_COMMAND, MAKEWPARAM(0, LBN_SELCHANGE), (LPARAM)Hwnd(multi));
    EXPECT_EQ(multi.SelCount(), 2);
    EXPECT_TRUE(multi.Selected(2));
    multi.SetSelected(0, false);
    EXPECT_EQ(SendMessageW(Hwnd(multi), LB_GETSELCOUNT, 0, 0), 1);
    auto& tabs = f.Make<TabControl>("Tabs");
    tabs.SetParent(&f);
    tabs.Tabs().SetCommaText("One,Two");
    EXPECT_EQ(SendMessageW(Hwnd(tabs), TCM_GETITEMCOUNT, 0, 0), 2);
    int changes = 0;
    tabs.OnChange = [&](Component&) { ++changes; };
    SendMessageW(Hwnd(tabs), TCM_SETCURSEL, 1, 0);
    NMHDR hdr{Hwnd(tabs), 0, (UINT)TCN_SELCHANGE};
    SendMessageW(Hwnd(f), WM_NOTIFY, 0, (LPARAM)&hdr);
    EXPECT_EQ(tabs.TabIndex(), 1);
    EXPECT_EQ(changes, 1);
    auto& check = f.Make<CheckBox>("Check");
    check.SetParent(&f);
    auto& radio1 = f.Make<RadioButton>("R1");
    radio1.SetParent(&f);
    auto& radio2 = f.Make<RadioButton>("R2");
    radio2.SetParent(&f);
    radio1.SetChecked(true);
    SendMessageW(Hwnd(check), BM_CLICK, 0, 0);
    EXPECT_TRUE(check.GetChecked());
    SendMessageW(Hwnd(radio2), BM_CLICK, 0, 0);
    EXPECT_TRUE(radio2.GetChecked());
    EXPECT_FALSE(radio1.GetChecked());
    EXPECT_EQ(SendMessageW(Hwnd(radio1), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    list.Items().Set(1, "B");
    wchar_t buf[8] = {};
    SendMessageW(Hwnd(list), LB_GETTEXT, 1, (LPARAM)buf);
    EXPECT_STREQ(buf, L"B");
}

TEST(WinToolkit, MenuBarItemsClickAndFollowTheirCaptions) {
    Form f;
    auto& menu = f.Make<MainMenu>("MainMenu1");
    auto& file = f.Make<MenuItem>("nFile");
    auto& exit = f.Make<MenuItem>("nExit");
    file.SetCaption("&File");
    exit.SetCaption("&Exit");
    menu.Root().Add(file);
    file.Add(exit);
    int clicks = 0;
    exit.OnClick = [&](Component&) { ++clicks; };
    f.SetMenu(&menu);
    f.Show();
    HMENU bar = GetMenu(Hwnd(f));
    ASSERT_NE(bar, nullptr);
    HMENU sub = GetSubMenu(bar, 0);
    UINT id = GetMenuItemID(sub, 0);
    SendMessageW(Hwnd(f), WM_COMMAND, MAKEWPARAM(id, 0), 0);
    EXPECT_EQ(clicks, 1);
    // Enter and Escape arrive as the dialog commands IDOK and IDCANCEL: no menu item runs.
    SendMessageW(Hwnd(f), WM_COMMAND, MAKEWPARAM(IDOK, 0), 0);
    SendMessageW(Hwnd(f), WM_COMMAND, MAKEWPARAM(IDCANCEL, 0), 0);
    EXPECT_EQ(clicks, 1);
    // A function key shown as an item's shortcut runs the item.
    exit.SetShortCut("F1");
    PostMessageW(Hwnd(f), WM_KEYDOWN, VK_F1, 0);
    PostMessageW(Hwnd(f), WM_KEYDOWN, VK_F2, 0);
    Application::ProcessMessages();
    EXPECT_EQ(clicks, 2);
    exit.SetShortCut("");

    exit.SetCaption("\xCD\xCB\xB3\xF6(&E)");  // GB2312, shown with the form's character set
    f.GetFont().SetCharset(134);
    wchar_t text[32] = {};
    GetMenuStringW(GetSubMenu(GetMenu(Hwnd(f)), 0), 0, text, 32, MF_BYPOSITION);
    EXPECT_STREQ(text, L"\u9000\u51FA(&E)");
}

TEST(WinToolkit, FormSeesItsMessagesFirstAndCentresOnAnother) {
    Form editor;
    editor.SetBounds(100, 100, 400, 300);
    editor.Show();
    Form builder;
    builder.SetBorderStyle(BorderStyle::None);
    builder.SetBounds(0, 0, 200, 100);
    builder.SetCenterOn(&editor);
    // The launch form swallows these system commands.
    builder.OnMessage = [](unsigned msg, uintptr_t wp, intptr_t, intptr_t& result) {
        if (msg != WM_SYSCOMMAND || (wp & 0xFFF0) != SC_CLOSE) return false;
        result = 0;
        return true;
    };
    int closes = 0;
    builder.OnCloseQuery = [&](Form&, bool&) { ++closes; };
    builder.Show();
    RECT e, b;
    GetWindowRect(Hwnd(editor), &e);
    GetWindowRect(Hwnd(builder), &b);
    EXPECT_EQ((e.left + e.right) / 2, (b.left + b.right) / 2);
    EXPECT_EQ((e.top + e.bottom) / 2, (b.top + b.bottom) / 2);
    SendMessageW(Hwnd(builder), WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(closes, 0);
    SendMessageW(Hwnd(builder), WM_CLOSE, 0, 0);
    EXPECT_EQ(closes, 1);
}

TEST(WinToolkit, MessageBoxSpeaksTheOwnersCodePageAndAnswers) {
    Form f;
    f.GetFont().SetCharset(134);
    f.Show();
    auto& t = f.Make<Timer>("T");
    t.SetInterval(20);
    bool found = false;
    t.SetOnTimer([&](Component&) {
        // The box's caption arrived as Chinese; answer "No".
        if (HWND box = FindWindowW(L"#32770", L"\u5C4F\u4FDD")) {
            found = true;
            PostMessageW(box, WM_COMMAND, IDNO, 0);
        }
    });
    EXPECT_EQ(MessageDlg(&f, "\xCD\xCB\xB3\xF6?", "\xC6\xC1\xB1\xA3", mbYesNo | mbIconQuestion), mrNo);
    EXPECT_TRUE(found);
}

TEST(WinToolkit, ButtonPicturesComeFromTheResources) {
    ImageList toolbar(24, 24);
    EXPECT_EQ(toolbar.AddStripFromResource("TOOLBAR_PNG"), 30);
    ImageList builder(16, 16);
    EXPECT_EQ(builder.AddStripFromResource("BUILDER_PNG"), 2);
    EXPECT_GT(builder.Pixels(0)[8 * 16 + 8] >> 24, 0u);  // the folder is opaque in the middle
    EXPECT_THROW(builder.AddStripFromResource("NO_SUCH_PNG"), Exception);
}

}  // namespace
}  // namespace qb::ui
