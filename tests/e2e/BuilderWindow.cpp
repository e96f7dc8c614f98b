// qbbuilder.exe: the package builder window as the editor opens it, over a
// stand-in owner window, for the end-to-end tests to drive.
//   qbbuilder DATADIR WORKDIR [LANGUAGE]
// DATADIR is an installed program's folder (Language.ini, build\, blank.swf,
// QbMpegDll.dll); WORKDIR holds the Quenbrook.dat to package; LANGUAGE
// stands for the one the editor has chosen (the editor forces 2). Nothing is
// prepared here. Prints "shown" when the window shows, "close refused P/M"
// (the progress bar's position and maximum) or "close accepted" for each
// attempt to close it, "build done built" (or
// "ready") when a click on Build has been handled, and "closed" at the end.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/SaverUtils.h"
#include "builder/win/SaverBuildFrm.h"
#include "multilan/MultiLan.h"
#include "ui/Application.h"
#include "ui/Form.h"
#include "ui/StdControls.h"
#include "widgets/ImageButton.h"

namespace {

void Say(const std::string& line) {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

// What the editor is to the builder: the window it is owned by and centred on.
class TOwnerFrm : public qb::ui::Form {
    QB_CLASS(TOwnerFrm)
protected:
    void Design() override {
        SetText("Quenbrook Test Owner");
        SetBorderStyle(qb::ui::BorderStyle::Single);
        SetBounds(120, 90, 600, 420);
    }
};
QB_CLASS_INFO(TOwnerFrm, qb::ui::Form) {}

}  // namespace

int main(int argc, char** argv) {
    using namespace qb;
    if (argc < 3) {
        Say("usage: qbbuilder DATADIR WORKDIR");
        return 2;
    }
    SaverUtils::DataDir = AddTrailingBackslash(argv[1]);
    SaverUtils::ExeDir = SaverUtils::DataDir;
    if (argc > 3) TMultiLan::CurrentLanguage = std::atoi(argv[3]);
    ui::Application::Guarded([&] {
        auto owner = ui::Form::Create<TOwnerFrm>();
        owner->Show();
        auto frm = ui::Form::Create<TSaverBuildFrm>(owner.get());
        frm->WorkDir = AddTrailingBackslash(argv[2]);
        auto query = frm->OnCloseQuery;
        frm->OnCloseQuery = [query, f = frm.get()](ui::Form& form, bool& canClose) {
            if (query) query(form, canClose);
            // With the progress bar as it stood: a refusal mid-build shows it moving.
            Say(canClose ? std::string("close accepted")
                         : "close refused " + std::to_string(f->pb->Position()) + "/" + std::to_string(f->pb->Max()));
        };
        frm->OnShow = [](ui::Component&) { Say("shown"); };
        // The build runs inside the click: when the handler returns it is over.
        auto click = frm->btnBuild->OnClick;
        frm->btnBuild->OnClick = [click, f = frm.get()](ui::Component& sender) {
            click(sender);
            Say(std::string("build done ") + (f->btnSend->Enabled() ? "built" : "ready"));
        };
        frm->ShowModal();
    });
    Say("closed");
    return 0;
}
