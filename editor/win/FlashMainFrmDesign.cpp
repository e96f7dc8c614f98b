// The editor's design data: its components with their design names and
// values, created while the form loads.
#include "editor/win/FlashMainFrm.h"

#include <windows.h>

namespace qb {

using namespace ui;

namespace {

// Pictures of toolbar.png, three looks each (rest, hot, pressed).
enum Picture { picUp = 0, picDown = 3, picAdd = 6, picRemove = 9, picClear = 12, picPreview = 15, picSave = 18,
               picExit = 21, picPlay = 24, picStop = 27 };

template <class T>
T& Place(Form& f, WinControl& parent, const std::string& name, int l, int t, int w, int h) {
    T& c = f.Make<T>(name);
    c.SetParent(&parent);
    c.SetBounds(l, t, w, h);
    return c;
}

MenuItem& Item(Form& f, MenuItem& parent, const char* name, const char* caption) {
    MenuItem& m = f.Make<MenuItem>(name);
    m.SetCaption(caption);
    parent.Add(m);
    return m;
}

}  // namespace

TTransparentButton& TFlashMainFrm::ImageButton(WinControl& parent, const char* name, int image, int left, int top,
                                               int width) {
    auto& b = Place<TTransparentButton>(*this, parent, name, left, top, width, 28);
    b.SetImageList(ImageList1);
    b.SetImageIndex(image);
    b.SetNumGlyphs(3);
    b.SetTextAlign(ttaRight);
    b.SetFrameStyle(fsIndent);
    return b;
}

void TFlashMainFrm::Design() {
    SetText("Quenbrook");
    SetBorderStyle(BorderStyle::Single);
    SetCentered(true);
    SetClientSize(459, 312);
    SetShowHint(true);

    MultiLan1 = &Make<TMultiLan>("MultiLan1");
    // The design texts, in force when no language file is found.
    MultiLan1->Set(TMultiLan::Captions,
                   {"TFlashMainFrm.TFlashMainFrm=Quenbrook{", "TFlashMainFrm.Label5=Background Color:{",
                    "TFlashMainFrm.Label4=Sequence:{", "TFlashMainFrm.Label2=Movie Quality:{",
                    "TFlashMainFrm.Label6=Movie Size:{", "TFlashMainFrm.rbNormalize=Normalize{",
                    "TFlashMainFrm.rbRandomize=Randomize{", "TFlashMainFrm.Label3=Screen Saver Exits On :{",
                    "TFlashMainFrm.Label7=Skip Interaction{", "TFlashMainFrm.ExitMouseMove=Mouse Move{",
                    "TFlashMainFrm.ExitMouseClick=Mouse Click{", "TFlashMainFrm.ExitKeyPress=Key Press{",
                    "TFlashMainFrm.cbShowCursor=Show Mouse Cursor{",
                    "TFlashMainFrm.Label1=Add your custom background sounds here:{",
                    "TFlashMainFrm.btnAddSound=&Add File(s){", "TFlashMainFrm.btnDelSound=&Remove{",
                    "TFlashMainFrm.CustomSoundCheck=Enable Flash Movie's Sound and Music{",
                    "TFlashMainFrm.SoundCheck=Choose Sound Files Randomly{", "TFlashMainFrm.nFile=&File{",
                    "TFlashMainFrm.nFlash=&Flash Files{", "TFlashMainFrm.nOptions=&Options{",
                    "TFlashMainFrm.nSound=&Sounds{", "TFlashMainFrm.nExit=&Exit{", "TFlashMainFrm.Project1=&Project{",
                    "TFlashMainFrm.nBuild=&Build and Send{", "TFlashMainFrm.nLoad=&Load Project{",
                    "TFlashMainFrm.nSave=&Save Project As..{", "TFlashMainFrm.nHelp=&Help{",
                    "TFlashMainFrm.nContent=&Content{", "TFlashMainFrm.nAbout=&About...{",
                    "TFlashMainFrm.cbAutoPlay=CheckBox{", "TFlashMainFrm.N1=-{", "TFlashMainFrm.N2=-{",
                    "TFlashMainFrm.N3=-{"});
    MultiLan1->SetActiveLanguage(2);

    ImageList1 = &Make<ImageList>("ImageList1", 24, 24);
    ImageList1->AddStripFromResource("TOOLBAR_PNG");

    DesignMenu();

    TabControl1 = &Place<TabControl>(*this, *this, "TabControl1", 2, 2, 455, 24);
    TabControl1->Tabs().SetCommaText("\"&Flash Files\",&Options,&Sounds");
    TabControl1->OnChange = [this](Component&) { SelectTab(TabControl1->TabIndex()); };
    MainPageControl = &Place<PageControl>(*this, *this, "MainPageControl", 0, 26, 459, 286);
    auto& page0 = Place<TabSheet>(*this, *MainPageControl, "0", 0, 0, 459, 286);
    auto& page1 = Place<TabSheet>(*this, *MainPageControl, "1", 0, 0, 459, 286);
    auto& page2 = Place<TabSheet>(*this, *MainPageControl, "2", 0, 0, 459, 286);
    DesignMoviesPage(page0);
    DesignOptionsPage(page1);
    DesignSoundsPage(page2);
    DesignBigButtons(page0, "");
    DesignBigButtons(page1, "1");
    DesignBigButtons(page2, "2");
    MainPageControl->SetActivePageIndex(0);
    TabControl1->SetTabIndex(0);

    SoundTimer = &Make<Timer>("SoundTimer");
    SoundTimer->SetInterval(200);
    SoundTimer->SetOnTimer([this](Component&) { SoundTimerTimer(); });

    OpenFlash = &Make<OpenDialog>("OpenFlash");
    OpenFlash->SetFilter("Flash Files (*.swf,*.exe)|*.swf;*.exe");
    OpenFlash->SetDefaultExt("swf");
    OpenFlash->SetOptions(FileDialog::HideReadOnly | FileDialog::AllowMultiSelect | FileDialog::EnableSizing);
    op = &Make<OpenDialog>("op");
    op->SetFilter("All Supports Sound Files|*.mp3;*.wav;*.mid;*.rmi|MP3 Files(*.mp3)|*.mp3|Wave Files(*.wav)|*.wav|"
                  "MIDI Files(*.mid)|*.mid;*.rmi");
    op->SetOptions(FileDialog::HideReadOnly | FileDialog::AllowMultiSelect | FileDialog::EnableSizing);
    OpenDialog1 = &Make<OpenDialog>("OpenDialog1");
    OpenDialog1->SetFilter("Zadar Idev Project Files (*.qbk)|*.qbk");
    OpenDialog1->SetDefaultExt("qbk");
    SaveDialog1 = &Make<SaveDialog>("SaveDialog1");
    SaveDialog1->SetFilter("Zadar Idev Project Files (*.qbk)|*.qbk");
    SaveDialog1->SetDefaultExt("qbk");

    OnShow = [this](Component&) { FormShow(); };
    OnCloseQuery = [this](Form&, bool& canClose) { FormCloseQuery(canClose); };
    // The big picture buttons take no focus: their commands have keys of their own.
    OnShortCutKey = [this](unsigned key, bool ctrl) {
        if (!ctrl && key == VK_F5) btnPreviewClick();
        else if (ctrl && key == 'S') btnOKClick();
        else return false;
        return true;
    };
}

void TFlashMainFrm::DesignMenu() {
    MainMenu1 = &Make<MainMenu>("MainMenu1");
    MenuItem& root = MainMenu1->Root();
    nFile = &Item(*this, root, "nFile", "&File");
    nFlash = &Item(*this, *nFile, "nFlash", "&Flash Files");
    nFlash->OnClick = [this](Component&) { SelectTab(0); };
    nOptions = &Item(*this, *nFile, "nOptions", "&Options");
    nOptions->OnClick = [this](Component&) { SelectTab(1); };
    nSound = &Item(*this, *nFile, "nSound", "&Sounds");
    nSound->OnClick = [this](Component&) { SelectTab(2); };
    Item(*this, *nFile, "N1", "-");
    nExit = &Item(*this, *nFile, "nExit", "&Exit");
    nExit->OnClick = [this](Component&) { RequestClose(); };
    Project1 = &Item(*this, root, "Project1", "&Project");
    nBuild = &Item(*this, *Project1, "nBuild", "&Build and Send");
    nBuild->OnClick = [this](Component&) { nBuildClick(); };
    Item(*this, *Project1, "N2", "-");
    nLoad = &Item(*this, *Project1, "nLoad", "&Load Project");
    nLoad->OnClick = [this](Component&) { nLoadClick(); };
    nSave = &Item(*this, *Project1, "nSave", "&Save Project As..");
    nSave->OnClick = [this](Component&) { nSaveClick(); };
    nHelp = &Item(*this, root, "nHelp", "&Help");
    nContent = &Item(*this, *nHelp, "nContent", "&Content");
    nContent->SetShortCut("F1");
    nContent->OnClick = [this](Component&) { nContentClick(); };
    Item(*this, *nHelp, "N3", "-");
    nAbout = &Item(*this, *nHelp, "nAbout", "&About...");
    nAbout->OnClick = [this](Component&) { nAboutClick(); };
    SetMenu(MainMenu1);
}

void TFlashMainFrm::DesignMoviesPage(TabSheet& page) {
    FlashListBox = &Place<ListBox>(*this, page, "FlashListBox", 8, 8, 280, 270);
    FlashListBox->SetMultiSelect(true);
    FlashListBox->OnChange = [this](Component&) { FlashListBoxClick(); };
    const int x = 296, w = 155;
    btnAdd = &ImageButton(page, "btnAdd", picAdd, x, 6, w);
    btnAdd->SetCaption("&Add Files");
    btnAdd->OnClick = [this](Component&) { btnAddClick(); };
    btnDelete = &ImageButton(page, "btnDelete", picRemove, x, 34, w);
    btnDelete->SetCaption("&Remove Files");
    btnDelete->OnClick = [this](Component&) { btnDeleteClick(); };
    btnClear = &ImageButton(page, "btnClear", picClear, x, 62, w);
    btnClear->SetCaption("Remove A&ll");
    btnClear->OnClick = [this](Component&) { btnClearClick(); };
    btnUp = &ImageButton(page, "btnUp", picUp, x, 90, 76);
    btnUp->SetCaption("Move &Up");
    btnUp->OnClick = [this](Component&) { MoveMovie(true); };
    btnDown = &ImageButton(page, "btnDown", picDown, x + 79, 90, 76);
    btnDown->SetCaption("Move &Down");
    btnDown->OnClick = [this](Component&) { MoveMovie(false); };
    // The small preview (swfPreview) is a window of its own, made over this
    // page once the page has its window: x, 122, 155 x 117.
}

void TFlashMainFrm::DesignOptionsPage(TabSheet& page) {
    const int lx = 16, cx = 150;
    Place<Label>(*this, page, "Label6", lx, 16, 130, 16).SetText("Movie Size:");
    SizeCombo = &Place<ComboBox>(*this, page, "SizeCombo", cx, 12, 150, 120);
    SizeCombo->Items().SetCommaText("Original,\"Fit to Screen\",\"Full Screen\"");
    SizeCombo->SetItemIndex(2);
    Place<Label>(*this, page, "Label2", lx, 44, 130, 16).SetText("Movie Quality:");
    QualityCombo = &Place<ComboBox>(*this, page, "QualityCombo", cx, 40, 150, 120);
    QualityCombo->Items().SetCommaText("Low,Medium,High");
    QualityCombo->SetItemIndex(2);
    QualityCombo->OnChange = [this](Component&) { QualityComboChange(); };
    Place<Label>(*this, page, "Label4", lx, 72, 130, 16).SetText("Sequence:");
    rbNormalize = &Place<RadioButton>(*this, page, "rbNormalize", cx, 70, 110, 18);
    rbNormalize->SetText("Normalize");
    rbNormalize->SetChecked(true);
    rbRandomize = &Place<RadioButton>(*this, page, "rbRandomize", cx + 115, 70, 110, 18);
    rbRandomize->SetText("Randomize");
    Place<Label>(*this, page, "Label5", lx, 100, 130, 16).SetText("Background Color:");
    btnBgColor = &Place<TColorButton>(*this, page, "btnBgColor", cx, 96, 70, 22);
    btnBgColor->OnChange = [this](Component&) { btnBgColorChange(); };

    Place<Label>(*this, page, "Label3", lx, 130, 200, 16).SetText("Screen Saver Exits On :");
    ExitMouseMove = &Place<CheckBox>(*this, page, "ExitMouseMove", 32, 150, 160, 18);
    ExitMouseMove->SetText("Mouse Move");
    ExitMouseClick = &Place<CheckBox>(*this, page, "ExitMouseClick", 32, 170, 160, 18);
    ExitMouseClick->SetText("Mouse Click");
    ExitKeyPress = &Place<CheckBox>(*this, page, "ExitKeyPress", 32, 190, 160, 18);
    ExitKeyPress->SetText("Key Press");
    for (CheckBox* box : {ExitMouseMove, ExitMouseClick, ExitKeyPress}) {
        box->SetChecked(true);
        box->OnClick = [this, box](Component&) { ExitEventClick(*box); };
    }
    cbShowCursor = &Place<CheckBox>(*this, page, "cbShowCursor", lx, 216, 200, 18);
    cbShowCursor->SetText("Show Mouse Cursor");
    // The box shows no text of its own: its label beside it says it, with a hint.
    cbAutoPlay = &Place<CheckBox>(*this, page, "cbAutoPlay", lx, 238, 15, 18);
    cbAutoPlay->SetText("CheckBox");
    cbAutoPlay->SetChecked(true);
    Label7 = &Place<Label>(*this, page, "Label7", lx + 18, 240, 180, 16);
    Label7->SetText("Skip Interaction");
    Label7->SetHint("When flash interactive, play it on");
    Label7->OnClick = [this](Component&) { cbAutoPlay->SetChecked(!cbAutoPlay->GetChecked()); };
}

void TFlashMainFrm::DesignSoundsPage(TabSheet& page) {
    CustomSoundCheck = &Place<CheckBox>(*this, page, "CustomSoundCheck", 8, 6, 440, 18);
    CustomSoundCheck->SetText("Enable Flash Movie's Sound and Music");
    CustomSoundCheck->SetChecked(true);
    CustomSoundCheck->OnClick = [this](Component&) { PreviewSelectedMovie(true); };
    Place<Label>(*this, page, "Label1", 8, 30, 280, 16).SetText("Add your custom background sounds here:");
    SoundListBox = &Place<ListBox>(*this, page, "SoundListBox", 8, 48, 280, 204);
    SoundListBox->SetMultiSelect(true);
    SoundListBox->OnChange = [this](Component&) { SoundListBoxClick(); };
    SoundCheck = &Place<CheckBox>(*this, page, "SoundCheck", 8, 258, 280, 18);
    SoundCheck->SetText("Choose Sound Files Randomly");

    const int x = 296, w = 155;
    btnAddSound = &ImageButton(page, "btnAddSound", picAdd, x, 46, w);
    btnAddSound->SetCaption("&Add File(s)");
    btnAddSound->OnClick = [this](Component&) { btnAddSoundClick(); };
    btnDelSound = &ImageButton(page, "btnDelSound", picRemove, x, 74, w);
    btnDelSound->SetCaption("&Remove");
    btnDelSound->OnClick = [this](Component&) { btnDelSoundClick(); };
    btnMusicUp = &ImageButton(page, "btnMusicUp", picUp, x, 102, 76);
    btnMusicUp->SetCaption("Move &Up");
    btnMusicUp->OnClick = [this](Component&) { MoveSound(true); };
    btnMusicDown = &ImageButton(page, "btnMusicDown", picDown, x + 79, 102, 76);
    btnMusicDown->SetCaption("Move &Down");
    btnMusicDown->OnClick = [this](Component&) { MoveSound(false); };
    btnPlay = &ImageButton(page, "btnPlay", picPlay, x, 140, w);
    btnPlay->SetCaption("Pla&y Music");
    btnPlay->SetEnabled(false);
    btnPlay->OnClick = [this](Component&) { btnPlayClick(); };
    btnStop = &ImageButton(page, "btnStop", picStop, x, 168, w);
    btnStop->SetCaption("S&top Playing");
    btnStop->SetEnabled(false);
    btnStop->OnClick = [this](Component&) { btnStopClick(); };
}

void TFlashMainFrm::DesignBigButtons(TabSheet& page, const std::string& suffix) {
    struct Big {
        const char* name;
        int picture;
        const char* hint;
    } buttons[] = {{"btnPreview", picPreview, "Preview"}, {"btnOK", picSave, "Save Current Settings"},
                   {"btnCancel", picExit, "Exit"}};
    int x = 296;
    for (const Big& b : buttons) {
        auto& button = Place<TTransparentButton>(*this, page, b.name + suffix, x, 246, 48, 36);
        button.SetImageList(ImageList1);
        button.SetImageIndex(b.picture);
        button.SetNumGlyphs(3);
        button.SetFrameStyle(fsIndent);
        button.SetHint(b.hint);
        x += 54;
    }
    static_cast<TTransparentButton*>(FindComponent("btnPreview" + suffix))->OnClick = [this](Component&) {
        btnPreviewClick();
    };
    static_cast<TTransparentButton*>(FindComponent("btnOK" + suffix))->OnClick = [this](Component&) { btnOKClick(); };
    static_cast<TTransparentButton*>(FindComponent("btnCancel" + suffix))->OnClick = [this](Component&) {
        RequestClose();
    };
}

}  // namespace qb
