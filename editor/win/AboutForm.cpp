#include "editor/win/AboutForm.h"

#include "app/SaverUtils.h"
#include "multilan/MultiLan.h"
#include "ui/ImageList.h"
#include "ui/StdControls.h"
#include "widgets/ImageButton.h"

#include <windows.h>
#include <shellapi.h>

namespace qb {

using namespace ui;

QB_CLASS_INFO(TAboutForm, ui::Form) {}

namespace {

template <class T>
T& Place(Form& f, const char* name, int l, int t, int w, int h) {
    T& c = f.Make<T>(name);
    c.SetParent(&f);
    c.SetBounds(l, t, w, h);
    return c;
}

void OpenWithShell(const std::string& target) {
    ShellExecuteA(nullptr, "open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

// A link: underlined while the mouse is over it, with the hand pointer.
TTransparentButton& Link(Form& f, const char* name, int top) {
    auto& b = Place<TTransparentButton>(f, name, 64, top, 230, 18);
    b.SetFrameStyle(fsNone);
    b.SetTextAlign(ttaLeft);
    b.SetCursor(crHandPoint);
    b.SetParentFont(true);
    b.OnMouseEnter = [&b](Component&) { b.GetFont().SetStyle(b.GetFont().Style() | ui::fsUnderline); };
    b.OnMouseExit = [&b](Component&) { b.GetFont().SetStyle(b.GetFont().Style() & ~ui::fsUnderline); };
    return b;
}

}  // namespace

void TAboutForm::Design() {
    SetText("About Quenbrook");
    SetBorderStyle(BorderStyle::Dialog);
    SetClientSize(310, 190);
    MultiLan1 = &Make<TMultiLan>("MultiLan1");
    MultiLan1->Set(TMultiLan::Captions,
                   {"TAboutForm.TAboutForm=Quenbrook", "TAboutForm.Label2=Quenbrook",
                    "TAboutForm.Label3=Version 1.60", "TAboutForm.Label1=Welcome to Quenbrook",
                    "TAboutForm.TransparentButton1=OK", "TAboutForm.Label4=(c) 2026 The Quenbrook developers",
                    "TAboutForm.TransparentButton2=https://quenbrook.example/",
                    "TAboutForm.TransparentButton3=support@quenbrook.example"});
    MultiLan1->SetActiveLanguage(2);

    IconList = &Make<ImageList>("IconList", 32, 32);
    IconList->AddStripFromResource("ICON_PNG");
    Image1 = &Place<TTransparentButton>(*this, "Image1", 16, 16, 36, 36);
    Image1->SetImageList(IconList);
    Image1->SetFrameStyle(fsNone);

    Label2 = &Place<Label>(*this, "Label2", 64, 14, 230, 20);
    Label3 = &Place<Label>(*this, "Label3", 64, 36, 230, 18);
    Label1 = &Place<Label>(*this, "Label1", 64, 58, 230, 20);
    Label4 = &Place<Label>(*this, "Label4", 64, 82, 230, 18);
    TransparentButton2 = &Link(*this, "TransparentButton2", 106);
    TransparentButton2->OnClick = [this](Component&) { OpenWithShell(TransparentButton2->Caption()); };
    TransparentButton3 = &Link(*this, "TransparentButton3", 126);
    TransparentButton3->OnClick = [this](Component&) { OpenWithShell("mailto:" + TransparentButton3->Caption()); };
    TransparentButton1 = &Place<TTransparentButton>(*this, "TransparentButton1", 115, 154, 80, 26);
    TransparentButton1->SetFrameStyle(fsIndent);
    TransparentButton1->SetCaption("OK");
    TransparentButton1->OnClick = [this](Component&) { SetModalResult(mrOk); };
    // OK is a windowless button: Enter and Escape reach the window as the dialog commands.
    OnMessage = [this](unsigned msg, uintptr_t wp, intptr_t lp, intptr_t& result) {
        if (msg != WM_COMMAND || lp != 0 || (LOWORD(wp) != IDOK && LOWORD(wp) != IDCANCEL)) return false;
        SetModalResult(mrOk);
        result = 0;
        return true;
    };
}

void TAboutForm::DoCreate() {
    MultiLan1->LoadLanguageFile(SaverUtils::DataDir + "Language.ini");
    Form::DoCreate();
}

}  // namespace qb
