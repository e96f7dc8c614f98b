#include "multilan/LanguageFile.h"
#include "multilan/MultiLan.h"
#include "platform/File.h"
#include "platform/FileSystem.h"
#include "ui/Text.h"

#include <unordered_map>

namespace qb {

void TMultiLan::LoadLanguageFile(const std::string& path) {
    // A directory of that name is no file (and would read as endless data).
    if (fs::IsDirectory(path)) return;
    auto data = ReadWholeFile(path);
    if (!data) return;  // no such file: the design tables stay
    LoadLanguageText(std::string_view(reinterpret_cast<const char*>(data->data()), data->size()));
}

void TMultiLan::LoadLanguageText(std::string_view text) {
    LanguageFile file(text);
    ClearTables();

    auto fill = [&](Table t, std::string_view section) {
        ui::Strings& table = tables_[t];
        for (auto& line : file.Section(section)) table.Add(line);
    };

    if (Owner()) {
        static const std::pair<Table, const char*> windowTables[] = {
            {Captions, "captions"}, {Fonts, "fonts"},           {FontSizes, "fontsizes"},       {Charsets, "charsets"},
            {Hints, "hints"},       {Multilines, "multilines"}, {OtherStrings, "otherstrings"}, {Collections, "collections"}};
        // Each window keeps only its own lines.
        const std::string prefix = Owner()->ClassName() + ".";
        for (auto& [t, section] : windowTables) {
            ui::Strings kept;
            for (auto& line : file.Section(section))
                if (ui::StartsText(prefix, line)) kept.Add(line);
            tables_[t].Assign(kept);
        }
    }

    // Each line becomes the value of the first line with its key.
    std::unordered_map<std::string, std::string> firstValue;
    const auto lines = file.Section("Language names - for internal use only!");
    for (auto& line : lines)
        if (line.find('=') != std::string::npos)
            firstValue.emplace(ui::UpperText(ui::Strings::NameOf(line)), ui::Strings::ValueOf(line));
    ui::Strings names;
    for (auto& line : lines) {
        auto it = firstValue.find(ui::UpperText(ui::Strings::NameOf(line)));
        names.Add(it == firstValue.end() ? std::string() : it->second);
    }
    tables_[LangNames].Assign(names);

    fill(LStrings, "strings");

    // An empty delimiter has no first character: the current one stays.
    std::string delimiter;
    if (file.Value("options", "DELIMITER", delimiter) && !delimiter.empty()) deliChar_ = delimiter[0];

    std::string language;
    int n = 0;
    if (CurrentLanguage == -1 && file.Value("set", "language", language) && ui::TryStrToInt(language, n))
        CurrentLanguage = n;
    if (CurrentLanguage != -1) SetActiveLanguage(CurrentLanguage);
}

}  // namespace qb
