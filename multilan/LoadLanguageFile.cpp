#include "multilan/LanguageFile.h"
#include "multilan/MultiLan.h"
#include "platform/File.h"
#include "platform/FileSystem.h"
#include "ui/Text.h"

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
        for (auto& [t, section] : windowTables) fill(t, section);
        // Each window keeps only its own lines.
        const std::string prefix = Owner()->ClassName() + ".";
        for (auto& [t, section] : windowTables) {
            ui::Strings& table = tables_[t];
            for (int i = table.Count() - 1; i >= 0; --i)
                if (!ui::StartsText(prefix, table[i])) table.Delete(i);
        }
    }

    ui::Strings lines, names;
    for (auto& line : file.Section("Language names - for internal use only!")) lines.Add(line);
    for (int i = 0; i < lines.Count(); ++i) names.Add(lines.Value(ui::Strings::NameOf(lines[i])));
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
