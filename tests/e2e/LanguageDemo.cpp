// Two of the program's windows laid out on the toolkit with their real class
// and component names, driven by the shipped language file: the end-to-end
// tests switch their language at run time and take screenshots.
//   qblangdemo LANGUAGE.INI
// Prints "ready" once both windows show, then "changed CLASS N" for every
// language applied to a window after that, and "click NAME" for clicks.
#include <cstdio>
#include <string>

#include "multilan/MultiLan.h"
#include "ui/Collection.h"
#include "ui/Application.h"
#include "ui/Form.h"
#include "ui/ImageList.h"
#include "ui/StdControls.h"
#include "widgets/ImageButton.h"

namespace qb {
namespace {

std::string gLanguageFile;  // from the command line; set once in main

void Say(const std::string& line) {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

// A strip of text panels: the one control here with a collection, so that
// a language file can name a bad item index.
class StripPanel : public ui::CollectionItem {
    QB_CLASS(StripPanel)
public:
    const std::string& Text() const { return text_; }
    void SetText(const std::string& t) { text_ = t; }

private:
    std::string text_;
};
QB_CLASS_INFO(StripPanel, ui::CollectionItem) {
    ui::Published<StripPanel>(info).String("Text", &StripPanel::Text, &StripPanel::SetText);
}

class StatusStrip : public ui::Panel {
    QB_CLASS(StatusStrip)
public:
    StatusStrip() { panels_.Add(); }
    ui::Collection& Panels() { return panels_; }

private:
    ui::Collection panels_{[] { return std::make_unique<StripPanel>(); }};
};
QB_CLASS_INFO(StatusStrip, ui::Panel) {
    ui::Published<StatusStrip>(info).Object("Panels", &StatusStrip::Panels);
}

template <class T>
T& Place(ui::Form& f, ui::WinControl& parent, const char* name, int l, int t, int w, int h) {
    T& c = f.Make<T>(name);
    c.SetParent(&parent);
    c.SetBounds(l, t, w, h);
    return c;
}

TTransparentButton& Button(ui::Form& f, const char* name, const char* caption, int l, int t, int w, int h) {
    auto& b = Place<TTransparentButton>(f, f, name, l, t, w, h);
    b.SetCaption(caption);
    b.SetFrameStyle(fsIndent);
    b.SetImageIndex(-1);
    b.OnClick = [name](ui::Component&) { Say(std::string("click ") + name); };
    return b;
}

class TAboutForm : public ui::Form {
    QB_CLASS(TAboutForm)
public:
    TMultiLan* MultiLan1 = nullptr;

protected:
    void Design() override {
        SetText("About");
        SetBorderStyle(ui::BorderStyle::Single);
        SetBounds(20, 20, 300, 190);
        MultiLan1 = &Make<TMultiLan>("MultiLan1");
        MultiLan1->SetActiveLanguage(2);
        MultiLan1->Set(TMultiLan::Captions, {"TAboutForm.TAboutForm=About Quenbrook", "TAboutForm.TransparentButton1=OK"});
        MultiLan1->OnChangeLanguage = [this](ui::Component&) {
            Say("changed TAboutForm " + std::to_string(MultiLan1->ActiveLanguage()));
        };
        Place<ui::Label>(*this, *this, "Label2", 20, 14, 260, 22);
        Place<ui::Label>(*this, *this, "Label3", 20, 40, 260, 18);
        Place<ui::Label>(*this, *this, "Label1", 20, 62, 260, 20);
        Place<ui::Label>(*this, *this, "Label4", 20, 86, 260, 18);
        auto& web = Button(*this, "TransparentButton2", "", 20, 108, 260, 20);
        web.SetFrameStyle(fsNone);
        auto& mail = Button(*this, "TransparentButton3", "", 20, 128, 260, 20);
        mail.SetFrameStyle(fsNone);
        Button(*this, "TransparentButton1", "OK", 110, 154, 80, 26);
    }
    void DoCreate() override {
        MultiLan1->LoadLanguageFile(gLanguageFile);
        ui::Form::DoCreate();
    }
};
QB_CLASS_INFO(TAboutForm, ui::Form) {}

class TSaverBuildFrm : public ui::Form {
    QB_CLASS(TSaverBuildFrm)
public:
    TMultiLan* MultiLan1 = nullptr;

protected:
    void Design() override {
        SetText("Quenbrook");
        SetBorderStyle(ui::BorderStyle::Single);
        SetBounds(340, 20, 386, 250);  // client area
        MultiLan1 = &Make<TMultiLan>("MultiLan1");
        MultiLan1->SetActiveLanguage(2);
        MultiLan1->OnChangeLanguage = [this](ui::Component&) {
            Say("changed TSaverBuildFrm " + std::to_string(MultiLan1->ActiveLanguage()));
        };
        auto& images = Make<ui::ImageList>("ImageList1", 16, 16);
        images.AddStripFromResource("BUILDER_PNG");

        Place<ui::Label>(*this, *this, "Label5", 8, 6, 370, 34);
        Place<ui::Label>(*this, *this, "Label1", 8, 54, 130, 16);
        auto& name = Place<ui::Edit>(*this, *this, "EditName", 140, 50, 140, 22);
        name.SetText("NewSaver");
        name.SetMaxLength(20);
        auto& browse = Button(*this, "btnBrowser", "Browse ", 290, 48, 88, 26);
        browse.SetImageList(&images);
        browse.SetImageIndex(0);
        browse.SetTextAlign(ttaRight);
        Place<StatusStrip>(*this, *this, "Status", 0, 236, 386, 14);
        auto& path = Place<ui::Panel>(*this, *this, "EditPathName", 8, 84, 370, 22);
        path.SetText("C:\\NewSaver\\setup.exe");
        auto& build = Button(*this, "btnBuild", "Build    ", 8, 116, 88, 26);
        build.SetImageList(&images);
        build.SetImageIndex(1);
        build.SetTextAlign(ttaRight);
        auto& pb = Place<ui::ProgressBar>(*this, *this, "pb", 104, 120, 274, 18);
        pb.SetPosition(40);
        Button(*this, "btnSend", "Zip and Send", 8, 152, 116, 26);
        Button(*this, "btnTest", "Explore To", 135, 152, 116, 26);
        auto& close = Button(*this, "btnCancel", "&Close", 262, 152, 116, 26);
        close.OnClick = [this](ui::Component&) { Close(); };

        // The demo's own switch: Alt+1, Alt+2 or a click.
        auto& l1 = Button(*this, "btnLanguage1", "&1 English", 8, 200, 116, 26);
        l1.OnClick = [this](ui::Component&) { MultiLan1->SetActiveLanguage(1); };
        auto& l2 = Button(*this, "btnLanguage2", "&2 \xD6\xD0\xCE\xC4", 135, 200, 116, 26);
        l2.OnClick = [this](ui::Component&) { MultiLan1->SetActiveLanguage(2); };
    }
    void DoCreate() override {
        MultiLan1->LoadLanguageFile(gLanguageFile);
        ui::Form::DoCreate();
    }
};
QB_CLASS_INFO(TSaverBuildFrm, ui::Form) {}

}  // namespace
}  // namespace qb

int main(int argc, char** argv) {
    using namespace qb;
    if (argc < 2) {
        Say("usage: qblangdemo LANGUAGE.INI");
        return 2;
    }
    gLanguageFile = argv[1];
    int code = 0;
    ui::Application::Guarded([&] {
        auto about = ui::Form::Create<TAboutForm>();
        auto builder = ui::Form::Create<TSaverBuildFrm>();
        about->Show();
        builder->Show();
        Say("ready " + std::to_string(TMultiLan::CurrentLanguage));
        ui::Application::Run(*builder);
        Say("closed");
    });
    return code;
}
