#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "ui/Component.h"

namespace qb::ui {

class Form;

// The common open and save dialogs. Filter is "text|patterns|text|patterns".
class FileDialog : public Component {
    QB_CLASS(FileDialog)
public:
    enum Option { OverwritePrompt = 1, HideReadOnly = 2, AllowMultiSelect = 4, FileMustExist = 8, EnableSizing = 16 };
    const std::string& Filter() const { return filter_; }
    void SetFilter(const std::string& f) { filter_ = f; }
    const std::string& DefaultExt() const { return defaultExt_; }
    void SetDefaultExt(const std::string& e) { defaultExt_ = e; }
    const std::string& FileName() const { return fileName_; }
    void SetFileName(const std::string& f) { fileName_ = f; }
    const std::string& InitialDir() const { return initialDir_; }
    void SetInitialDir(const std::string& d) { initialDir_ = d; }
    const std::string& Title() const { return title_; }
    void SetTitle(const std::string& t) { title_ = t; }
    int Options() const { return options_; }
    void SetOptions(int o) { options_ = o; }
    const std::vector<std::string>& Files() const { return files_; }

    // Shows the dialog; true when the user chose a file (FileName, Files).
    bool Execute();
    virtual bool IsSave() const = 0;

    // Set by the window system with what the user chose.
    void SetResult(std::vector<std::string> files);

private:
    std::string filter_, defaultExt_, fileName_, initialDir_, title_;
    int options_ = HideReadOnly | EnableSizing;
    std::vector<std::string> files_;
};

class OpenDialog : public FileDialog {
    QB_CLASS(OpenDialog)
public:
    bool IsSave() const override { return false; }
};

class SaveDialog : public FileDialog {
    QB_CLASS(SaveDialog)
public:
    bool IsSave() const override { return true; }
};

bool ExecuteFileDialog(FileDialog& dialog);

// The system's colour dialog. Color is in the window system's byte order
// (0x00BBGGRR); it is the starting choice and, after Execute, the chosen one.
class ColorDialog : public Component {
    QB_CLASS(ColorDialog)
public:
    uint32_t Color() const { return color_; }
    void SetColor(uint32_t c) { color_ = c; }
    // True when the user confirmed a colour.
    bool Execute();

private:
    uint32_t color_ = 0;
};

bool ExecuteColorDialog(ColorDialog& dialog);

}  // namespace qb::ui
