#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "ui/Component.h"
#include "ui/Strings.h"

namespace qb {

// A window's texts in every language at once. Table lines are
// "Class.Component=text1{text2{..." with one column per language; the active
// language picks the column. All instances share CurrentLanguage: when one
// window switches, every live window follows, and windows made later adopt it.
class TMultiLan : public ui::Component {
    QB_CLASS(TMultiLan)
public:
    TMultiLan();
    ~TMultiLan() override;

    // Process-wide: the language chosen (-1: none yet) and the live instances
    // in order of construction.
    static inline int CurrentLanguage = -1;
    static inline std::vector<TMultiLan*> MultiLanList;

    char DeliChar() const { return deliChar_; }
    void SetDeliChar(char c) { deliChar_ = c; }
    int ActiveLanguage() const { return activeLanguage_; }
    void SetActiveLanguage(int n);
    const std::string& Language() const { return language_; }
    void SetLanguage(const std::string& s) { language_ = s; }
    static std::string Version() { return "1.50.0000"; }

    // The fifteen tables, in declaration order.
    enum Table {
        Captions, Charsets, Collections, DisplayLabels, DlgsCaptions, DoNotTranslage, ExcludeProperties, Fonts,
        Hints, FontSizes, LangNames, Locales, Multilines, OtherStrings, LStrings, TableCount
    };
    static const char* TableName(Table t);
    const ui::Strings& Get(Table t) const { return tables_[t]; }
    // Replaces the table by a copy of `lines`; every table but LangNames then
    // applies the language again (not while the design data is read).
    void Set(Table t, const ui::Strings& lines);
    void Set(Table t, std::initializer_list<std::string> lines) { Set(t, ui::Strings(lines)); }

    ui::NotifyEvent OnChangeLanguage;

    // The active language's column of a table value.
    std::string SelectLanguageText(std::string_view value) const;
    // 0x19 becomes CR and 0x1A LF, each on its own.
    static std::string DecodeLineBreaks(std::string_view text);
    // The message text for a key, decoded; empty when the key is missing.
    std::string GetLString(std::string_view key) const;
    void ClearTables();
    void PropagateLanguage();

    // Writes the active language's texts, fonts and lists into the owner
    // window's controls. Errors (a bad collection index) pass to the caller.
    void ApplyLanguage();
    // Replaces the tables by this window's lines of a language file; nothing
    // happens when the file does not exist.
    void LoadLanguageFile(const std::string& path);
    // The same from text already read.
    void LoadLanguageText(std::string_view text);

protected:
    void Loaded() override;
    void AssignTo(ui::Persistent& dest) const override;

private:
    // The first position of the delimiter that starts a character (a trail
    // byte of a double-byte character never counts); npos when none.
    size_t FindDelimiter(std::string_view s) const;

    char deliChar_ = '{';
    int activeLanguage_ = 0;
    std::string language_;
    ui::Strings tables_[TableCount];
};

// Character sets by identifier ("GB2312_CHARSET" -> 134, any case); any other
// text gives DEFAULT_CHARSET (1).
int CharsetFromIdent(std::string_view ident);

}  // namespace qb
