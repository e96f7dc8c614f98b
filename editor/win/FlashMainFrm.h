#pragma once
#include <memory>
#include <string>

#include "app/SaverSettings.h"
#include "editor/PlayingSound.h"
#include "multilan/MultiLan.h"
#include "ui/Dialogs.h"
#include "ui/Form.h"
#include "ui/ImageList.h"
#include "ui/Menus.h"
#include "ui/StdControls.h"
#include "ui/Timer.h"
#include "widgets/ColorButton.h"
#include "widgets/ImageButton.h"

namespace qb {

class TShockwaveFlash;
class TMPEGPlayer;
class TMediaPlayer;

// The editor: the movie list, the playing options and the background sounds
// on three pages, the small live preview, saving and registering, the
// full-screen preview, project files and the package builder.
class TFlashMainFrm : public ui::Form {
    QB_CLASS(TFlashMainFrm)
public:
    TFlashMainFrm();
    ~TFlashMainFrm() override;

    void LoadSettings(const std::string& path);
    void SaveSettings(const std::string& path);
    // What the controls show, in the settings file's terms (colour as 0x00RRGGBB).
    SaverSettings ShownSettings() const;
    void PreviewSelectedMovie(bool force);
    // True, after telling the user, when no exit event is left.
    bool CheckExitEvents();
    void InstallScreenSaver();

    // Controls by design name.
    TMultiLan* MultiLan1 = nullptr;
    ui::MainMenu* MainMenu1 = nullptr;
    ui::MenuItem *nFile = nullptr, *nFlash = nullptr, *nOptions = nullptr, *nSound = nullptr, *nExit = nullptr,
                 *Project1 = nullptr, *nBuild = nullptr, *nLoad = nullptr, *nSave = nullptr, *nHelp = nullptr,
                 *nContent = nullptr, *nAbout = nullptr;
    ui::TabControl* TabControl1 = nullptr;
    ui::PageControl* MainPageControl = nullptr;
    ui::ImageList* ImageList1 = nullptr;
    ui::ListBox* FlashListBox = nullptr;
    TTransparentButton *btnAdd = nullptr, *btnDelete = nullptr, *btnClear = nullptr, *btnUp = nullptr,
                       *btnDown = nullptr;
    ui::ComboBox *SizeCombo = nullptr, *QualityCombo = nullptr;
    ui::RadioButton *rbNormalize = nullptr, *rbRandomize = nullptr;
    TColorButton* btnBgColor = nullptr;
    ui::CheckBox *ExitMouseMove = nullptr, *ExitMouseClick = nullptr, *ExitKeyPress = nullptr,
                 *cbShowCursor = nullptr, *cbAutoPlay = nullptr;
    ui::Label* Label7 = nullptr;
    ui::CheckBox *CustomSoundCheck = nullptr, *SoundCheck = nullptr;
    ui::ListBox* SoundListBox = nullptr;
    TTransparentButton *btnAddSound = nullptr, *btnDelSound = nullptr, *btnMusicUp = nullptr,
                       *btnMusicDown = nullptr, *btnPlay = nullptr, *btnStop = nullptr;
    ui::Timer* SoundTimer = nullptr;
    ui::OpenDialog *OpenFlash = nullptr, *op = nullptr, *OpenDialog1 = nullptr;
    ui::SaveDialog* SaveDialog1 = nullptr;

protected:
    void Design() override;
    void DoCreate() override;

private:
    void DesignMenu();
    void DesignMoviesPage(ui::TabSheet& page);
    void DesignOptionsPage(ui::TabSheet& page);
    void DesignSoundsPage(ui::TabSheet& page);
    void DesignBigButtons(ui::TabSheet& page, const std::string& suffix);
    TTransparentButton& ImageButton(ui::WinControl& parent, const char* name, int image, int left, int top, int width);

    void FormShow();
    void SelectTab(int index);
    std::string Text(int n) const;
    int Message(const std::string& text, int flags);

    // Movies page.
    void FlashListBoxClick();
    void btnAddClick();
    void btnDeleteClick();
    void btnClearClick();
    void MoveMovie(bool up);
    void ShowBlank();
    // Options page.
    void QualityComboChange();
    void btnBgColorChange();
    void ExitEventClick(ui::CheckBox& box);
    // Sounds page.
    void SoundListBoxClick();
    void btnAddSoundClick();
    void btnDelSoundClick();
    void MoveSound(bool up);
    void btnPlayClick();
    void btnStopClick();
    void SoundTimerTimer();
    void MP3PlayEnd();
    void SoundEnded();
    // Saving, closing, preview, build, projects, help.
    void btnOKClick();
    void btnPreviewClick();
    void RequestClose();
    void FormCloseQuery(bool& canClose);
    void nBuildClick();
    void nLoadClick();
    void nSaveClick();
    void nContentClick();
    void nAboutClick();

    std::string flashPath_, soundPath_;
    std::string lastPreviewed_;
    PlayingSound playing_;
    // Wave and MIDI sounds (the design's MP).
    std::unique_ptr<TMediaPlayer> MP;
    bool closeQuestion_ = false;
    std::unique_ptr<TShockwaveFlash> swfPreview;
};

// Shows the editor as the program's main window until it closes.
void RunEditor();

}  // namespace qb
