// The builder window's design data: its components with their design names
// and values, and the language tables that hold when no language file does.
// Chinese texts are GB2312.
#include "builder/win/SaverBuildFrm.h"

#include "multilan/MultiLan.h"
#include "ui/Dialogs.h"
#include "ui/ImageList.h"
#include "ui/StdControls.h"
#include "widgets/ImageButton.h"

namespace qb {

namespace {

template <class T>
T& Place(ui::Form& form, const char* name, int left, int top, int width, int height) {
    T& c = form.Make<T>(name);
    c.SetParent(&form);
    c.SetBounds(left, top, width, height);
    return c;
}

TTransparentButton& Button(ui::Form& form, const char* name, const char* caption, int left, int top, int width,
                           int height) {
    auto& b = Place<TTransparentButton>(form, name, left, top, width, height);
    b.SetCaption(caption);
    b.SetFrameStyle(fsIndent);
    b.SetImageIndex(-1);
    return b;
}

void DesignTables(TMultiLan& lan) {
    lan.SetDeliChar('{');
    lan.SetActiveLanguage(2);
    lan.Set(TMultiLan::LangNames, {"lan1", "lan2"});
    lan.Set(TMultiLan::Captions,
            {"TSaverBuildFrm.TSaverBuildFrm=Quenbrook{",
             "TSaverBuildFrm.Label5=This is OPTIONAL. Use this function to create an EXE\x19\x1A"
             "file and send to your family or friends.{\x19\x1A  \xBB\xB6\xD3\xAD\xCA\xB9\xD3\xC3\xB4\xCB\xB9\xA6"
             "\xC4\xDC\xBD\xAB\xC6\xC1\xB1\xA3\xB4\xF2\xB0\xFC\xB2\xA2\xB7\xA2\xCB\xCD\xB8\xF8\xC4\xFA\xB5\xC4\xC7"
             "\xD7\xC8\xCB\xBA\xCD\xC5\xF3\xD3\xD1",
             "TSaverBuildFrm.btnCancel=&Close{\xB9\xD8\xB1\xD5(&C)",
             "TSaverBuildFrm.Label1=Screen Saver Name  : {\xC6\xC1\xC4\xBB\xB1\xA3\xBB\xA4\xC3\xFB\xB3\xC6 : ",
             "TSaverBuildFrm.btnSend=Zip and Send{\xD1\xB9\xCB\xF5\xB2\xA2\xB7\xA2\xCB\xCD",
             "TSaverBuildFrm.btnBrowser=Browse {\xB6\xA8\xCE\xBB ",
             "TSaverBuildFrm.btnBuild=Build    {\xB4\xB4\xBD\xA8 ",
             "TSaverBuildFrm.btnTest=Explore To{\xE4\xAF\xC0\xC0"});
    lan.Set(TMultiLan::Fonts,
            {"TSaverBuildFrm.TSaverBuildFrm=\xCB\xCE\xCC\xE5", "TSaverBuildFrm.Label5=\xCB\xCE\xCC\xE5"});
    lan.Set(TMultiLan::FontSizes, {"TSaverBuildFrm.TSaverBuildFrm=9", "TSaverBuildFrm.Label5=10"});
    lan.Set(TMultiLan::Charsets,
            {"TSaverBuildFrm.TSaverBuildFrm=GB2312_CHARSET", "TSaverBuildFrm.Label5=GB2312_CHARSET"});
    lan.Set(TMultiLan::OtherStrings,
            {"TSaverBuildFrm.EditName.Text=NewSaver", "TSaverBuildFrm.SD.DefaultExt=Exe",
             "TSaverBuildFrm.SD.Filter=Screen Saver Setup (*.exe)|*.exe{\xC6\xC1\xB1\xA3\xB0\xB2\xD7\xB0\xB3\xCC\xD0"
             "\xF2  (*.exe)|*.exe"});
    // The window's messages, so that it still speaks without a language file.
    lan.Set(TMultiLan::LStrings,
            {"SaverBuildFrm.str_0=Please fill in Screen Saver Name {\xC7\xEB\xCC\xEE\xD0\xB4\xC6\xC1\xB1\xA3\xB5\xC4"
             "\xC3\xFB\xB3\xC6",
             "SaverBuildFrm.str_1= exists, \x19\x1AReplace it?{ \xD2\xD1\xB4\xE6\xD4\xDA\xA3\xAC\xB8\xB2\xB8\xC7\xB4"
             "\xCB\xCE\xC4\xBC\xFE\xC2\xF0\xA3\xBF",
             "SaverBuildFrm.str_2=Build Error{\xB4\xB4\xBD\xA8\xCA\xA7\xB0\xDC",
             "SaverBuildFrm.str_3=Completed{\xCD\xEA\xB3\xC9  ",
             "SaverBuildFrm.str_4=Build Completed{\xB4\xB4\xBD\xA8\xCD\xEA\xB3\xC9"});
}

}  // namespace

void TSaverBuildFrm::Design() {
    SetText("Quenbrook");
    SetBorderStyle(ui::BorderStyle::Dialog);
    SetClientSize(386, 217);
    MultiLan1 = &Make<TMultiLan>("MultiLan1");
    DesignTables(*MultiLan1);
    ImageList1 = &Make<ui::ImageList>("ImageList1", 16, 16);
    ImageList1->AddStripFromResource("BUILDER_PNG");

    Label5 = &Place<ui::Label>(*this, "Label5", 10, 8, 366, 36);
    Label1 = &Place<ui::Label>(*this, "Label1", 10, 60, 128, 16);
    EditName = &Place<ui::Edit>(*this, "EditName", 140, 56, 140, 22);
    EditName->SetText("NewSaver");
    EditName->SetMaxLength(20);
    EditName->OnChange = [this](ui::Component& c) { EditNameChange(c); };
    btnBrowser = &Button(*this, "btnBrowser", "Browse ", 288, 54, 88, 26);
    btnBrowser->SetImageList(ImageList1);
    btnBrowser->SetImageIndex(0);
    btnBrowser->SetTextAlign(ttaRight);
    btnBrowser->OnClick = [this](ui::Component& c) { btnBrowserClick(c); };
    EditPathName = &Place<ui::Panel>(*this, "EditPathName", 10, 92, 366, 24);
    EditPathName->SetBevelOuter(ui::bvLowered);

    btnBuild = &Button(*this, "btnBuild", "Build    ", 10, 128, 88, 26);
    btnBuild->SetImageList(ImageList1);
    btnBuild->SetImageIndex(1);
    btnBuild->SetTextAlign(ttaRight);
    btnBuild->SetShowHint(true);
    btnBuild->OnClick = [this](ui::Component& c) { btnBuildClick(c); };
    pb = &Place<ui::ProgressBar>(*this, "pb", 106, 132, 270, 18);
    pb->SetMin(0);
    pb->SetMax(100);
    pb->SetStep(1);

    btnSend = &Button(*this, "btnSend", "Zip and Send", 10, 176, 116, 28);
    btnSend->OnClick = [this](ui::Component& c) { btnSendClick(c); };
    btnTest = &Button(*this, "btnTest", "Explore To", 135, 176, 116, 28);
    btnTest->OnClick = [this](ui::Component& c) { btnTestClick(c); };
    btnCancel = &Button(*this, "btnCancel", "&Close", 260, 176, 116, 28);
    btnCancel->OnClick = [this](ui::Component& c) { btnCancelClick(c); };

    SD = &Make<ui::SaveDialog>("SD");
    SD->SetDefaultExt("Exe");
    SD->SetOptions(ui::FileDialog::OverwritePrompt | ui::FileDialog::HideReadOnly | ui::FileDialog::EnableSizing);

    OnCloseQuery = [this](ui::Form& f, bool& canClose) { FormCloseQuery(f, canClose); };
}

}  // namespace qb
