#pragma once
#include <memory>
#include <string>

#include "ui/Form.h"

namespace qb {

class BuildSession;
class TMultiLan;
class TTransparentButton;
namespace ui {
class Edit;
class ImageList;
class Label;
class Panel;
class ProgressBar;
class SaveDialog;
}  // namespace ui

// The package builder: turns the screensaver put together in the editor into
// one setup file, then lets the user open its folder or mail it.
//
// The editor makes it with itself as owner, sets WorkDir and shows it modally:
//     auto frm = ui::Form::Create<TSaverBuildFrm>(this);
//     frm->WorkDir = workDir;   // holds Quenbrook.dat; ends with "\"
//     frm->ShowModal();
// and removes the working directory once the window is gone.
class TSaverBuildFrm : public ui::Form {
    QB_CLASS(TSaverBuildFrm)
public:
    // The window centres on `owner` (the editor); without one, on the screen.
    explicit TSaverBuildFrm(ui::Form* owner = nullptr);
    ~TSaverBuildFrm() override;

    // The working directory the editor prepared, with its trailing backslash.
    std::string WorkDir;

    // Design components, under their design names.
    TMultiLan* MultiLan1 = nullptr;
    ui::ImageList* ImageList1 = nullptr;
    ui::Label* Label5 = nullptr;
    ui::Label* Label1 = nullptr;
    ui::Edit* EditName = nullptr;
    TTransparentButton* btnBrowser = nullptr;
    ui::Panel* EditPathName = nullptr;
    TTransparentButton* btnBuild = nullptr;
    ui::ProgressBar* pb = nullptr;
    TTransparentButton* btnSend = nullptr;
    TTransparentButton* btnTest = nullptr;
    TTransparentButton* btnCancel = nullptr;
    ui::SaveDialog* SD = nullptr;

    // From the start of a build's file work until it ends; closing is refused meanwhile.
    bool Building() const;

protected:
    void Design() override;
    void DoCreate() override;

private:
    void EditNameChange(ui::Component& sender);
    void btnBrowserClick(ui::Component& sender);
    void btnBuildClick(ui::Component& sender);
    void btnTestClick(ui::Component& sender);
    void btnSendClick(ui::Component& sender);
    void btnCancelClick(ui::Component& sender);
    void FormCloseQuery(ui::Form& sender, bool& canClose);

    void ShowOutputPath();
    void SetInputsEnabled(bool enabled);
    void ShowBuilt();
    // The message text of `key`, after `prefix`, in a box of this window.
    int Message(const std::string& key, int buttons, const std::string& prefix = {});

    // The name, the output path (OutputDir, PathChosen) and the build's state.
    std::unique_ptr<BuildSession> session_;
};

}  // namespace qb
