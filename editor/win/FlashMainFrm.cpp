#include "editor/win/FlashMainFrm.h"

#include "app/SaverUtils.h"
#include "editor/ExitEvents.h"
#include "editor/ListEdit.h"
#include "editor/MoviePicks.h"
#include "editor/OptionChoices.h"
#include "editor/PreviewPlan.h"
#include "platform/FileSystem.h"
#include "player/MPEGPlayer.h"
#include "player/MovieFiles.h"
#include "player/ShockwaveFlash.h"
#include "player/win/MediaPlayer.h"
#include "ui/Application.h"
#include "ui/win/WinText.h"

#include <windows.h>

namespace qb {

using namespace ui;

QB_CLASS_INFO(TFlashMainFrm, ui::Form) {}

namespace {

std::wstring Wide(const std::string& s) { return win::Widen(s, CP_ACP); }

std::vector<std::string> ListItems(ListBox& list) { return list.Items().Lines(); }

void SetListItems(ListBox& list, const std::vector<std::string>& items) {
    list.Items().BeginUpdate();
    list.Items().Clear();
    for (const std::string& s : items) list.Items().Add(s);
    list.Items().EndUpdate();
}

// Only the focused entry stays selected, as after a click on it.
void SelectOnly(ListBox& list, int index) {
    for (int i = 0; i < list.Items().Count(); ++i)
        if (list.Selected(i) && i != index) list.SetSelected(i, false);
    list.SetItemIndex(index);
    if (index >= 0) list.SetSelected(index, true);
}

bool HasFocusedEntry(ListBox& list) { return list.Items().Count() > 0 && list.ItemIndex() >= 0; }

}  // namespace

TFlashMainFrm::TFlashMainFrm() : MP(std::make_unique<TMediaPlayer>()) {}

TFlashMainFrm::~TFlashMainFrm() {
    // The folders of the two dialogs are kept whatever else happened.
    try {
        WriteBrowsePaths(SaverUtils::SettingsFilePath, {flashPath_, soundPath_});
    } catch (const std::exception&) {
        // Nothing can be reported while the window goes.
    }
    if (SaverUtils::SharedMp3Player) SaverUtils::SharedMp3Player->OnPlayEnd = nullptr;
    SoundTimer->SetEnabled(false);
    swfPreview.reset();
}

void TFlashMainFrm::DoCreate() {
    SaverUtils::SettingsFilePath = SaverUtils::ExeDir + "Quenbrook.dat";
    MultiLan1->LoadLanguageFile(SaverUtils::DataDir + "Language.ini");
    MultiLan1->SetActiveLanguage(2);
    // Before the windows exist: the hint window takes its delay when it is made.
    Application::SetHintPause(50);
    // The small preview lives in the movie page's window.
    HandleNeeded();
    auto* page = static_cast<WinControl*>(FindComponent("0"));
    swfPreview = std::make_unique<TShockwaveFlash>(static_cast<HWND>(page->Peer()->NativeHandle()), 296, 122, 155, 117);
    swfPreview->InputFilterActive = false;
    LoadSettings(SaverUtils::SettingsFilePath);
    const BrowsePaths paths = ReadBrowsePaths(SaverUtils::SettingsFilePath);
    flashPath_ = paths.FlashPath;
    soundPath_ = paths.SoundPath;
    SelectTab(0);
    if (SaverUtils::SharedMp3Player) SaverUtils::SharedMp3Player->OnPlayEnd = [this](TMPEGPlayer&) { MP3PlayEnd(); };
    Form::DoCreate();
}

void TFlashMainFrm::FormShow() {
    if (HasFocusedEntry(*FlashListBox)) {
        SelectOnly(*FlashListBox, FlashListBox->ItemIndex());
        PreviewSelectedMovie(true);
    }
    if (HasFocusedEntry(*SoundListBox)) {
        SelectOnly(*SoundListBox, SoundListBox->ItemIndex());
        SoundListBoxClick();
    }
}

void TFlashMainFrm::SelectTab(int index) {
    TabControl1->SetTabIndex(index);
    MainPageControl->SetActivePageIndex(index);
}

std::string TFlashMainFrm::Text(int n) const { return MultiLan1->GetLString("FlashMainFrm.str_" + std::to_string(n)); }

int TFlashMainFrm::Message(const std::string& text, int flags) {
    return MessageDlg(this, text, SaverUtils::MessageCaption, flags);
}

// ---- settings ---------------------------------------------------------------

void TFlashMainFrm::LoadSettings(const std::string& path) {
    const SaverSettings s = ReadSettings(path, SettingsReader::Editor);
    const SaverOptions d = DefaultOptions(SettingsReader::Editor);
    const SaverOptions& o = s.Options;
    SetListItems(*FlashListBox, s.Movies);
    // A filled list has its first entry focused, not yet selected.
    FlashListBox->SetItemIndex(s.Movies.empty() ? -1 : 0);
    SizeCombo->SetItemIndex(ChoiceIndex(o.MovieSize, SizeCombo->Items().Count(), d.MovieSize));
    QualityCombo->SetItemIndex(ChoiceIndex(o.Quality, QualityCombo->Items().Count(), d.Quality));
    rbNormalize->SetChecked(o.Sequence);
    rbRandomize->SetChecked(!o.Sequence);
    btnBgColor->SetActiveColor(SwapRedBlue(o.BgColor));
    ExitMouseMove->SetChecked(o.MouseMove);
    ExitMouseClick->SetChecked(o.MouseClick);
    ExitKeyPress->SetChecked(o.KeyPress);
    cbShowCursor->SetChecked(o.ShowCursor);
    cbAutoPlay->SetChecked(o.AutoPlay);
    CustomSoundCheck->SetChecked(o.MovieBgSound);
    SoundCheck->SetChecked(o.RandomSound);
    SetListItems(*SoundListBox, s.Sounds);
    SoundListBox->SetItemIndex(s.Sounds.empty() ? -1 : 0);
    QualityComboChange();
    btnBgColorChange();
}

SaverSettings TFlashMainFrm::ShownSettings() const {
    SaverSettings s;
    s.Movies = ListItems(*FlashListBox);
    s.Sounds = ListItems(*SoundListBox);
    SaverOptions& o = s.Options;
    o.MovieSize = SizeCombo->ItemIndex();
    o.Quality = QualityCombo->ItemIndex();
    o.Sequence = rbNormalize->GetChecked();
    o.BgColor = SwapRedBlue(btnBgColor->ActiveColor());
    o.MouseMove = ExitMouseMove->GetChecked();
    o.MouseClick = ExitMouseClick->GetChecked();
    o.KeyPress = ExitKeyPress->GetChecked();
    o.ShowCursor = cbShowCursor->GetChecked();
    o.AutoPlay = cbAutoPlay->GetChecked();
    o.MovieBgSound = CustomSoundCheck->GetChecked();
    o.RandomSound = SoundCheck->GetChecked();
    return s;
}

void TFlashMainFrm::SaveSettings(const std::string& path) { qb::SaveSettings(path, ShownSettings()); }

// ---- the small preview ------------------------------------------------------

void TFlashMainFrm::ShowBlank() {
    swfPreview->InputFilterActive = false;
    swfPreview->SetMovie(Wide(SaverUtils::ExeDir + "blank.swf"));
}

void TFlashMainFrm::PreviewSelectedMovie(bool force) {
    if (!swfPreview) return;
    PreviewRequest request;
    if (HasFocusedEntry(*FlashListBox)) request.Focused = FlashListBox->Items()[FlashListBox->ItemIndex()];
    request.LastPreviewed = lastPreviewed_;
    request.Force = force;
    request.Exists = !request.Focused.empty() && fs::FileExists(request.Focused) && !fs::IsDirectory(request.Focused);
    request.MovieSound = CustomSoundCheck->GetChecked();
    const PreviewPlan plan = PlanPreview(request);

    const std::string workingCopy = SaverUtils::TempDir + "RIRFlash.swf";
    if (plan.Source == PreviewSource::Keep) return;
    if (plan.DropWorkingCopy && fs::FileExists(workingCopy)) fs::DeleteTree(workingCopy);
    if (plan.Source == PreviewSource::Blank) {
        ShowBlank();
        if (request.Focused.empty()) swfPreview->SetBackgroundColor(static_cast<int32_t>(SwapRedBlue(btnBgColor->ActiveColor())));
        return;
    }
    if (plan.Remember) lastPreviewed_ = request.Focused;
    ShowBlank();
    std::string shown = request.Focused;
    switch (plan.Source) {
        case PreviewSource::ProjectorMovie:
            ExtractProjectorMovie(request.Focused, workingCopy);
            shown = workingCopy;
            break;
        case PreviewSource::MutedCopy:
            fs::CopyFileTo(request.Focused, workingCopy);
            // A read-only source must not leave a working copy that cannot be muted or replaced.
            SetFileAttributesA(workingCopy.c_str(), FILE_ATTRIBUTE_ARCHIVE);
            shown = workingCopy;
            break;
        default: break;
    }
    if (plan.Mute) MuteMovie(shown);
    swfPreview->InputFilterActive = false;
    swfPreview->SetMovie(Wide(shown));
    swfPreview->SetBackgroundColor(static_cast<int32_t>(SwapRedBlue(btnBgColor->ActiveColor())));
    swfPreview->SetLoop(true);
    swfPreview->Play();
}

// ---- movies page ------------------------------------------------------------

void TFlashMainFrm::FlashListBoxClick() { PreviewSelectedMovie(false); }

void TFlashMainFrm::btnAddClick() {
    if (!flashPath_.empty()) OpenFlash->SetInitialDir(flashPath_);
    if (OpenFlash->Execute() && !OpenFlash->Files().empty()) {
        flashPath_ = ExtractFilePath(OpenFlash->Files().front());
        const auto picks = ScreenPickedMovies(OpenFlash->Files(), [](const std::string& p) { return IsFlashProjector(p); });
        for (const PickedMovie& m : picks) {
            if (m.Accepted) {
                FlashListBox->Items().Add(m.Path);
            } else {
                Message("\"" + m.Path + Text(0), mbIconInfo);
            }
        }
        if (FlashListBox->ItemIndex() < 0 && FlashListBox->Items().Count() > 0) FlashListBox->SetItemIndex(0);
    }
    if (HasFocusedEntry(*FlashListBox)) {
        SelectOnly(*FlashListBox, FlashListBox->ItemIndex());
        PreviewSelectedMovie(true);
    }
}

void TFlashMainFrm::btnDeleteClick() {
    const int count = FlashListBox->Items().Count();
    std::vector<bool> selected(count);
    for (int i = 0; i < count; ++i) selected[i] = FlashListBox->Selected(i);
    const std::vector<int> order = DeletionOrder(selected);
    if (!order.empty()) {
        for (int i : order) FlashListBox->Items().Delete(i);
        SelectOnly(*FlashListBox, FocusAfterDeletion(order.back(), FlashListBox->Items().Count()));
    }
    PreviewSelectedMovie(true);
}

void TFlashMainFrm::btnClearClick() {
    FlashListBox->Items().Clear();
    FlashListBox->SetItemIndex(-1);
    PreviewSelectedMovie(true);
}

void TFlashMainFrm::MoveMovie(bool up) {
    const int count = FlashListBox->Items().Count();
    const Exchange e = up ? MoveUpExchange(FlashListBox->ItemIndex(), count) : MoveDownExchange(FlashListBox->ItemIndex(), count);
    if (e.Done()) {
        std::vector<std::string> items = ListItems(*FlashListBox);
        ApplyExchange(items, e);
        FlashListBox->Items().Set(e.from, items[e.from]);
        FlashListBox->Items().Set(e.to, items[e.to]);
        // The focus goes with the moved entry, so that pressing again moves it on.
        FlashListBox->SetItemIndex(e.to);
    }
    if (HasFocusedEntry(*FlashListBox)) {
        SelectOnly(*FlashListBox, FlashListBox->ItemIndex());
        PreviewSelectedMovie(false);
    }
}

// ---- options page -----------------------------------------------------------

void TFlashMainFrm::QualityComboChange() {
    const int i = QualityCombo->ItemIndex();
    if (swfPreview && i >= 0 && i < static_cast<int>(SaverUtils::QualityNames.size()))
        swfPreview->SetQuality2(Wide(SaverUtils::QualityNames[i]));
}

void TFlashMainFrm::btnBgColorChange() {
    if (swfPreview) swfPreview->SetBackgroundColor(static_cast<int32_t>(SwapRedBlue(btnBgColor->ActiveColor())));
}

bool TFlashMainFrm::CheckExitEvents() {
    if (ExitMouseMove->GetChecked() || ExitMouseClick->GetChecked() || ExitKeyPress->GetChecked()) return false;
    Message(Text(1), mbOk);
    return true;
}

void TFlashMainFrm::ExitEventClick(CheckBox& box) {
    const ExitBox which = &box == ExitMouseMove ? ExitBox::MouseMove : &box == ExitMouseClick ? ExitBox::MouseClick
                                                                                              : ExitBox::KeyPress;
    const ExitToggleOutcome out =
        CheckExitToggle({ExitMouseMove->GetChecked(), ExitMouseClick->GetChecked(), ExitKeyPress->GetChecked()}, which);
    if (out.Refused) CheckExitEvents();
    ExitMouseMove->SetChecked(out.Events.MouseMove);
    ExitMouseClick->SetChecked(out.Events.MouseClick);
    ExitKeyPress->SetChecked(out.Events.KeyPress);
    if (out.ForceShowCursor) cbShowCursor->SetChecked(true);
}

}  // namespace qb
