#include "builder/win/SaverBuildFrm.h"

#include "app/SaverUtils.h"
#include "builder/BuildSession.h"
#include "builder/PackageMail.h"
#include "multilan/MultiLan.h"
#include "platform/ShellOpen.h"
#include "platform/SimpleMapi.h"
#include "ui/Application.h"
#include "ui/Dialogs.h"
#include "ui/StdControls.h"
#include "widgets/ImageButton.h"

namespace qb {

QB_CLASS_INFO(TSaverBuildFrm, ui::Form) {}

namespace {

HWND HandleOf(const ui::Control& c) {
    ui::ControlPeer* peer = c.Peer();
    return peer ? static_cast<HWND>(peer->NativeHandle()) : nullptr;
}

}  // namespace

TSaverBuildFrm::TSaverBuildFrm(ui::Form* owner) {
    if (owner)
        SetCenterOn(owner);
    else
        SetCentered(true);
}

TSaverBuildFrm::~TSaverBuildFrm() = default;

bool TSaverBuildFrm::Building() const { return session_ && session_->GetState() == BuildSession::State::Building; }

void TSaverBuildFrm::DoCreate() {
    btnTest->SetEnabled(false);
    btnSend->SetEnabled(false);
    MultiLan1->LoadLanguageFile(SaverUtils::DataDir + "Language.ini");
    // After the language file, which may give the name field its text.
    session_ = std::make_unique<BuildSession>(SaverUtils::DataDir, SaverUtils::ExeDir, EditName->GetText());
    ShowOutputPath();
    ui::Form::DoCreate();
}

void TSaverBuildFrm::ShowOutputPath() { EditPathName->SetText(session_->OutputPath()); }

int TSaverBuildFrm::Message(const std::string& key, int buttons, const std::string& prefix) {
    return ui::MessageDlg(this, prefix + MultiLan1->GetLString(key), SaverUtils::MessageCaption,
                          buttons | ui::mbIconInfo);
}

void TSaverBuildFrm::EditNameChange(ui::Component&) {
    session_->SetName(EditName->GetText());
    ShowOutputPath();
}

void TSaverBuildFrm::btnBrowserClick(ui::Component&) {
    SD->SetInitialDir(session_->OutputDir());
    SD->SetFileName(EditPathName->GetText());
    if (!SD->Execute()) return;
    session_->ChooseOutput(SD->FileName());
    ShowOutputPath();
}

void TSaverBuildFrm::SetInputsEnabled(bool enabled) {
    btnBuild->SetEnabled(enabled);
    EditName->SetEnabled(enabled);
    btnBrowser->SetEnabled(enabled);
}

void TSaverBuildFrm::btnBuildClick(ui::Component&) {
    // A build button without its picture has built this window's package.
    if (btnBuild->ImageIndex() == -1) return;
    BuildSession::Hooks hooks;
    hooks.ConfirmReplace = [this](const std::string& path) {
        return Message("SaverBuildFrm.str_1", ui::mbOkCancel, path) == ui::mrOk;
    };
    hooks.Started = [this] { SetInputsEnabled(false); };
    hooks.Progress = [this](int steps) {
        pb->SetMin(0);
        pb->SetMax(steps);
        pb->SetPosition(0);
    };
    hooks.Step = [this] { pb->StepIt(); };
    hooks.ProcessMessages = ui::Application::ProcessMessages;

    switch (session_->Build(WorkDir, hooks)) {
        case BuildSession::Outcome::NeedName: Message("SaverBuildFrm.str_0", ui::mbOk); break;
        case BuildSession::Outcome::Failed:
            Message("SaverBuildFrm.str_2", ui::mbOk);
            SetInputsEnabled(true);
            pb->SetPosition(0);
            break;
        case BuildSession::Outcome::Built: ShowBuilt(); break;
        case BuildSession::Outcome::Declined:
        case BuildSession::Outcome::Nothing: break;
    }
}

void TSaverBuildFrm::ShowBuilt() {
    btnBuild->SetEnabled(true);
    btnBuild->SetImageIndex(-1);
    btnBuild->SetCaption(MultiLan1->GetLString("SaverBuildFrm.str_3"));
    btnBuild->SetParentFont(false);
    btnBuild->GetFont().SetStyle(btnBuild->GetFont().Style() | ui::fsBold);
    btnBuild->SetHint(MultiLan1->GetLString("SaverBuildFrm.str_4"));
    btnBuild->SetShowPressed(false);
    btnTest->SetEnabled(true);
    btnSend->SetEnabled(true);
    pb->SetPosition(0);
}

void TSaverBuildFrm::btnTestClick(ui::Component&) {
    win::ShellOpen(HandleOf(*this), ExtractFilePath(EditPathName->GetText()));
}

void TSaverBuildFrm::btnSendClick(ui::Component&) {
    // Zip errors go to the general error box, and then no mail is started.
    const std::string archive = ZipForMail(EditPathName->GetText());
    if (archive.empty()) return;
    ui::Form* main = CenterOn() ? CenterOn() : this;
    win::ComposeMailWithAttachment(HandleOf(*main), EditName->GetText(), archive);
}

void TSaverBuildFrm::btnCancelClick(ui::Component&) { Close(); }

void TSaverBuildFrm::FormCloseQuery(ui::Form&, bool& canClose) {
    if (Building()) canClose = false;
}

}  // namespace qb
