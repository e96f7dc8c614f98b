// Saving and registering, closing, the full-screen preview, the package
// build, project files and help.
#include "app/SaverUtils.h"
#include "builder/win/SaverBuildFrm.h"
#include "editor/EditorSettings.h"
#include "editor/win/AboutForm.h"
#include "editor/win/FlashMainFrm.h"
#include "platform/ScreenSaverRegistration.h"
#include "player/MPEGPlayer.h"
#include "player/ShockwaveFlash.h"
#include "player/win/SaverMainForm.h"
#include "ui/Application.h"

#include <windows.h>


namespace qb {

using namespace ui;

namespace {

std::string RunningExecutable() {
    char path[MAX_PATH * 2] = {};
    const DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
    return std::string(path, n < sizeof path ? n : 0);
}

// Clears a flag when the scope ends, however it ends.
struct FlagScope {
    bool& flag;
    explicit FlagScope(bool& f) : flag(f) { flag = true; }
    ~FlagScope() { flag = false; }
};

}  // namespace

void TFlashMainFrm::InstallScreenSaver() { win::InstallScreenSaver(RunningExecutable()); }

void TFlashMainFrm::btnOKClick() {
    if (FlashListBox->Items().Empty()) {
        // Advice only: the save goes on.
        Message(Text(3), mbIconInfo);
        SelectTab(0);
    }
    InstallScreenSaver();
    SaveSettings(SaverUtils::SettingsFilePath);
}

void TFlashMainFrm::RequestClose() {
    if (!closeQuestion_) Close();
}

void TFlashMainFrm::FormCloseQuery(bool& canClose) {
    // A second request while the question is open must not take the window
    // away from under it; the answer to the open question decides.
    if (closeQuestion_) {
        canClose = false;
        return;
    }
    FlagScope asking(closeQuestion_);
    const std::string question = Text(4);
    if (!SettingsModified(SaverUtils::SettingsFilePath, ShownSettings())) return;
    switch (Message(question, mbYesNoCancel | mbIconQuestion)) {
        case mrYes:
            // A save that fails keeps the window, and with it the user's work.
            try {
                SaveSettings(SaverUtils::SettingsFilePath);
                InstallScreenSaver();
            } catch (const std::exception& e) {
                Application::ShowException(e);
                canClose = false;
            }
            break;
        case mrNo: break;
        default: canClose = false; break;
    }
}

void TFlashMainFrm::btnPreviewClick() {
    if (FlashListBox->Items().Empty()) {
        Message(Text(3), mbIconInfo);
        SelectTab(0);
        return;
    }
    const std::string previewSettings = SaverUtils::TempDir + "Preview.dat";
    SaveSettings(previewSettings);
    btnStopClick();
    const bool movieSound = CustomSoundCheck->GetChecked();
    CustomSoundCheck->SetChecked(false);
    PreviewSelectedMovie(true);
    if (swfPreview) swfPreview->Stop();
    struct Restore {
        TFlashMainFrm& f;
        bool movieSound;
        ~Restore() {
            f.CustomSoundCheck->SetChecked(movieSound);
            // The player installed its own end-of-sound handler.
            if (SaverUtils::SharedMp3Player)
                SaverUtils::SharedMp3Player->OnPlayEnd = [&f = f](TMPEGPlayer&) { f.MP3PlayEnd(); };
            Application::Guarded([&] { f.PreviewSelectedMovie(true); });
        }
    } restore{*this, movieSound};
    {
        auto player = Form::Create<TSaverMainForm>();
        player->StartedFromEditor = true;
        player->SettingsFile = previewSettings;
        player->ShowModal();
    }
    Application::ProcessMessages();
}

void TFlashMainFrm::nBuildClick() {
    if (FlashListBox->Items().Empty()) {
        Message(Text(3), mbIconInfo);
        SelectTab(0);
        return;
    }
    if (!FirstMissingBuildFile(SaverUtils::DataDir).empty()) {
        Message(Text(5), mbIconInfo);
        return;
    }
    const std::string workDir = ChooseBuildDirectory(SaverUtils::TempDir);
    MakeDirectoryPath(workDir);
    // The working directory lives only while the builder is open.
    struct RemoveAfter {
        std::string dir;
        ~RemoveAfter() { DeletePath(dir); }
    } remove{workDir};
    SaveSettings(workDir + "\\Quenbrook.dat");
    auto builder = Form::Create<TSaverBuildFrm>(this);
    builder->WorkDir = workDir + "\\";
    builder->ShowModal();
}

void TFlashMainFrm::nLoadClick() {
    OpenDialog1->SetInitialDir(SaverUtils::DataDir);
    if (!OpenDialog1->Execute()) return;
    // The sound list is replaced: a sound of the old one must not play on
    // with an index into the new one.
    btnStopClick();
    LoadSettings(OpenDialog1->FileName());
    if (!FlashListBox->Items().Empty() && FlashListBox->SelCount() == 0) {
        FlashListBox->SetItemIndex(0);
        FlashListBox->SetSelected(0, true);
        PreviewSelectedMovie(false);
    }
    SoundListBoxClick();
}

void TFlashMainFrm::nSaveClick() {
    SaveDialog1->SetInitialDir(SaverUtils::DataDir);
    if (!SaveDialog1->Execute()) return;
    SaveSettings(SaveDialog1->FileName());
}

void TFlashMainFrm::nContentClick() {
    using HtmlHelpFn = HWND(WINAPI*)(HWND, LPCSTR, UINT, DWORD_PTR);
    static HMODULE library = LoadLibraryA("hhctrl.ocx");
    if (!library) return;
    auto htmlHelp = reinterpret_cast<HtmlHelpFn>(reinterpret_cast<void*>(GetProcAddress(library, "HtmlHelpA")));
    if (!htmlHelp) return;
    const UINT displayTopic = 0;
    htmlHelp(static_cast<HWND>(Peer()->NativeHandle()), (SaverUtils::DataDir + "Quenbrook.chm").c_str(), displayTopic, 0);
}

void TFlashMainFrm::nAboutClick() {
    auto about = Form::Create<TAboutForm>();
    about->SetCenterOn(this);
    about->ShowModal();
}

void RunEditor() {
    auto editor = Form::Create<TFlashMainFrm>();
    Application::Run(*editor);
}

}  // namespace qb
