#include "ui/Dialogs.h"

namespace qb::ui {

QB_CLASS_INFO(FileDialog, Component) {
    Published<FileDialog>(info)
        .String("Filter", &FileDialog::Filter, &FileDialog::SetFilter)
        .String("DefaultExt", &FileDialog::DefaultExt, &FileDialog::SetDefaultExt)
        .String("FileName", &FileDialog::FileName, &FileDialog::SetFileName)
        .String("InitialDir", &FileDialog::InitialDir, &FileDialog::SetInitialDir)
        .String("Title", &FileDialog::Title, &FileDialog::SetTitle);
}
QB_CLASS_INFO(OpenDialog, FileDialog) {}
QB_CLASS_INFO(SaveDialog, FileDialog) {}
QB_CLASS_INFO(ColorDialog, Component) {
    Published<ColorDialog>(info).Integer("Color", &ColorDialog::Color, &ColorDialog::SetColor);
}

bool ColorDialog::Execute() { return ExecuteColorDialog(*this); }

bool FileDialog::Execute() { return ExecuteFileDialog(*this); }

void FileDialog::SetResult(std::vector<std::string> files) {
    files_ = std::move(files);
    fileName_ = files_.empty() ? std::string() : files_.front();
}

}  // namespace qb::ui
