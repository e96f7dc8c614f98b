#include "multilan/MultiLan.h"

#include <algorithm>

#include "ui/Text.h"

namespace qb {

static const char* const kTableNames[TMultiLan::TableCount] = {
    "Captions", "Charsets", "Collections", "DisplayLabels", "DlgsCaptions", "DoNotTranslage", "ExcludeProperties",
    "Fonts", "Hints", "FontSizes", "LangNames", "Locales", "Multilines", "OtherStrings", "LStrings"};

QB_CLASS_INFO(TMultiLan, ui::Component) {
    ui::Published<TMultiLan>(info)
        .Char("DeliChar", &TMultiLan::DeliChar, &TMultiLan::SetDeliChar)
        .Integer("ActiveLanguage", &TMultiLan::ActiveLanguage, &TMultiLan::SetActiveLanguage);
    for (int t = 0; t < TMultiLan::TableCount; ++t) {
        ui::PropInfo p{kTableNames[t], ui::PropKind::Object};
        p.getObject = [t](ui::Persistent& o) -> ui::Persistent* {
            return const_cast<ui::Strings*>(&static_cast<TMultiLan&>(o).Get(TMultiLan::Table(t)));
        };
        p.setObject = [t](ui::Persistent& o, ui::Persistent* v) {
            if (auto* s = dynamic_cast<ui::Strings*>(v)) static_cast<TMultiLan&>(o).Set(TMultiLan::Table(t), *s);
        };
        info.Add(std::move(p));
    }
    ui::Published<TMultiLan>(info).String("Language", &TMultiLan::Language, &TMultiLan::SetLanguage);
    ui::PropInfo version{"Version", ui::PropKind::String};
    version.getString = [](ui::Persistent&) { return TMultiLan::Version(); };
    info.Add(std::move(version));
}

const char* TMultiLan::TableName(Table t) { return kTableNames[t]; }

TMultiLan::TMultiLan() {
    tables_[LangNames].Add("lan1");
    tables_[LangNames].Add("lan2");
    MultiLanList.push_back(this);
}

TMultiLan::~TMultiLan() { std::erase(MultiLanList, this); }

void TMultiLan::SetActiveLanguage(int n) {
    activeLanguage_ = n;
    if (!Loading()) ApplyLanguage();
}

void TMultiLan::Set(Table t, const ui::Strings& lines) {
    tables_[t].Assign(lines);
    if (t != LangNames && !Loading()) ApplyLanguage();
}

void TMultiLan::Loaded() {
    ui::Component::Loaded();
    if (CurrentLanguage != -1) SetActiveLanguage(CurrentLanguage);
}

void TMultiLan::AssignTo(ui::Persistent& dest) const {
    auto* d = dynamic_cast<TMultiLan*>(&dest);
    if (!d) return;
    d->SetDeliChar(deliChar_);
    d->SetActiveLanguage(activeLanguage_);
    for (Table t : {Captions, Charsets, Collections, DisplayLabels, DlgsCaptions, DoNotTranslage, ExcludeProperties,
                    Fonts, Hints, FontSizes, LangNames}) {
        d->Set(t, tables_[t]);
    }
    d->SetLanguage(language_);
    for (Table t : {Locales, Multilines, OtherStrings, LStrings}) d->Set(t, tables_[t]);
}

size_t TMultiLan::FindDelimiter(std::string_view s) const {
    for (size_t i = 0; i < s.size(); ++i) {
        unsigned char c = (unsigned char)s[i];
        if (s[i] == deliChar_) return i;
        // A GB2312/GBK lead byte takes the next byte with it.
        if (c >= 0x81 && c <= 0xFE && i + 1 < s.size()) ++i;
    }
    return std::string_view::npos;
}

std::string TMultiLan::SelectLanguageText(std::string_view value) const {
    size_t first = FindDelimiter(value);
    if (first == std::string_view::npos) return std::string(value);
    std::string result(value.substr(0, first));
    std::string_view copy = value;
    for (int k = 1; k < activeLanguage_; ++k) {
        size_t at = FindDelimiter(copy);
        if (at == std::string_view::npos) {
            copy = {};
            break;
        }
        copy = copy.substr(at + 1);
    }
    size_t cut = FindDelimiter(copy);
    if (cut != std::string_view::npos) copy = copy.substr(0, cut);
    if (!copy.empty()) result = std::string(copy);
    return result;
}

std::string TMultiLan::DecodeLineBreaks(std::string_view text) {
    std::string s(text);
    for (char& c : s) {
        if (c == '\x19') c = '\r';
        else if (c == '\x1A') c = '\n';
    }
    return s;
}

std::string TMultiLan::GetLString(std::string_view key) const {
    return DecodeLineBreaks(SelectLanguageText(tables_[LStrings].Value(key)));
}

void TMultiLan::ClearTables() {
    for (Table t : {Captions, Fonts, FontSizes, Charsets, Hints, Multilines, OtherStrings, Collections, LStrings})
        tables_[t].Clear();
}

void TMultiLan::PropagateLanguage() {
    auto snapshot = MultiLanList;
    for (auto* m : snapshot) {
        if (m == this) continue;
        // A handler may have freed a window on the way.
        if (std::find(MultiLanList.begin(), MultiLanList.end(), m) == MultiLanList.end()) continue;
        m->SetActiveLanguage(CurrentLanguage);
    }
}

int CharsetFromIdent(std::string_view ident) {
    static const struct {
        const char* name;
        int value;
    } table[] = {{"ANSI_CHARSET", 0},         {"DEFAULT_CHARSET", 1},   {"SYMBOL_CHARSET", 2},
                 {"MAC_CHARSET", 77},         {"SHIFTJIS_CHARSET", 128}, {"HANGEUL_CHARSET", 129},
                 {"JOHAB_CHARSET", 130},      {"GB2312_CHARSET", 134},  {"CHINESEBIG5_CHARSET", 136},
                 {"GREEK_CHARSET", 161},      {"TURKISH_CHARSET", 162}, {"HEBREW_CHARSET", 177},
                 {"ARABIC_CHARSET", 178},     {"BALTIC_CHARSET", 186},  {"RUSSIAN_CHARSET", 204},
                 {"THAI_CHARSET", 222},       {"EASTEUROPE_CHARSET", 238}, {"OEM_CHARSET", 255}};
    for (auto& e : table)
        if (ui::SameText(e.name, ident)) return e.value;
    return 1;
}

}  // namespace qb
