#pragma once
#include <string>

#include "ui/Form.h"

namespace qb {

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

    bool Building() const { return building_; }

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
    int Message(const std::string& key, const std::string& prefix, int buttons);

    std::string OutputDir;
    bool PathChosen = false;
    bool building_ = false;
};

}  // namespace qb
