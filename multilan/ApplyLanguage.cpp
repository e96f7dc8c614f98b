#include <deque>
#include <functional>
#include <unordered_map>

#include "app/Errors.h"
#include "multilan/MultiLan.h"
#include "ui/Collection.h"
#include "ui/Control.h"
#include "ui/Font.h"
#include "ui/Text.h"

// Writing a language into the owner window: every control is reached through
// its published properties, so a key that names a missing component or
// property, or a property of another kind, is simply skipped.
namespace qb {
namespace {

using ui::PropKind;

void SetStringProp(ui::Persistent& obj, std::string_view prop, const std::string& value) {
    const ui::PropInfo* p = obj.FindProperty(prop);
    if (p && p->kind == PropKind::String && p->setString) p->setString(obj, value);
}

ui::Persistent* ObjectProp(ui::Persistent& obj, std::string_view prop) {
    const ui::PropInfo* p = obj.FindProperty(prop);
    if (!p || p->kind != PropKind::Object || !p->getObject) return nullptr;
    return p->getObject(obj);
}

ui::Font* FontOf(ui::Persistent& obj) { return dynamic_cast<ui::Font*>(ObjectProp(obj, "Font")); }

bool ParentFontOf(ui::Persistent& obj) {
    const ui::PropInfo* p = obj.FindProperty("ParentFont");
    return p && p->getInt && p->getInt(obj) != 0;
}

// Every descendant, breadth first, with a font and a set ParentFont flag.
void WalkDescendants(ui::WinControl& start, const std::function<void(ui::Font&)>& write) {
    std::deque<ui::Control*> queue(start.Children().begin(), start.Children().end());
    while (!queue.empty()) {
        ui::Control* c = queue.front();
        queue.pop_front();
        if (ui::Font* f = FontOf(*c); f && ParentFontOf(*c)) write(*f);
        if (auto* w = dynamic_cast<ui::WinControl*>(c))
            queue.insert(queue.end(), w->Children().begin(), w->Children().end());
    }
}

std::string_view AfterFirstDot(std::string_view k) {
    auto d = k.find('.');
    return d == std::string_view::npos ? std::string_view{} : k.substr(d + 1);
}

int ParseIndex(std::string_view text) {
    int v = 0;
    if (!ui::TryStrToInt(text, v)) throw Exception("'" + std::string(text) + "' is not a valid integer value");
    return v;
}

}  // namespace

void TMultiLan::ApplyLanguage() {
    if (!Owner() || Owner()->Destroying()) return;
    auto* window = dynamic_cast<ui::WinControl*>(Owner());
    if (!window) throw Exception("Invalid class typecast");
    const std::string& N = window->ClassName();
    const std::string prefix = N + ".";

    // Calls fn(key, text) for this window's lines of a table.
    // Where several lines share a key the first one's value counts for all.
    auto each = [&](Table t, const std::function<void(std::string_view, const std::string&)>& fn) {
        const std::vector<std::string> lines = tables_[t].Lines();
        std::unordered_map<std::string, size_t> first;
        for (size_t i = 0; i < lines.size(); ++i)
            if (lines[i].find('=') != std::string::npos) first.emplace(ui::UpperText(ui::Strings::NameOf(lines[i])), i);
        for (auto& line : lines) {
            std::string_view key = ui::Strings::NameOf(line);
            if (!ui::StartsText(prefix, key)) continue;
            fn(key, SelectLanguageText(ui::Strings::ValueOf(lines[first.at(ui::UpperText(key))])));
        }
    };

    // Captions and hints: the window itself, or one of its components.
    for (auto entry : {std::pair{Captions, "Caption"}, std::pair{Hints, "Hint"}}) {
        const Table table = entry.first;
        const char* const prop = entry.second;
        each(table, [&](std::string_view key, const std::string& text) {
            std::string_view r = AfterFirstDot(key);
            if (ui::SameText(r, N)) {
                if (table == Captions) window->SetText(text);
                else window->SetHint(text);
            } else if (ui::Component* c = window->FindComponent(r)) {
                SetStringProp(*c, prop, DecodeLineBreaks(text));
            }
        });
    }

    // Fonts, sizes and character sets: the font of the window or component,
    // then of every descendant that follows its parent's font.
    auto fontTable = [&](Table table, const std::function<void(ui::Font&, const std::string&)>& write) {
        each(table, [&](std::string_view key, const std::string& text) {
            std::string_view r = AfterFirstDot(key);
            auto apply = [&](ui::Font& f) { write(f, text); };
            if (ui::SameText(r, N)) {
                apply(window->GetFont());
                if (!Designing()) WalkDescendants(*window, apply);
            } else if (ui::Component* c = window->FindComponent(r)) {
                if (ui::Font* f = FontOf(*c)) apply(*f);
                if (auto* w = dynamic_cast<ui::WinControl*>(c)) WalkDescendants(*w, apply);
            }
        });
    };
    fontTable(Fonts, [](ui::Font& f, const std::string& t) { f.SetName(DecodeLineBreaks(t)); });
    fontTable(FontSizes, [](ui::Font& f, const std::string& t) {
        int size = 9;
        if (!ui::TryStrToInt(t, size)) size = 9;
        f.SetSize(size);
    });
    fontTable(Charsets, [](ui::Font& f, const std::string& t) { f.SetCharset(CharsetFromIdent(t)); });

    // Window.component.property: split at the last dot.
    auto splitLast = [](std::string_view key, std::string_view& comp, std::string_view& prop) {
        std::string_view r = AfterFirstDot(key);
        auto d = r.rfind('.');
        comp = d == std::string_view::npos ? r : r.substr(0, d);
        auto kd = key.rfind('.');
        prop = key.substr(kd + 1);
    };

    each(Multilines, [&](std::string_view key, const std::string& text) {
        std::string_view comp, prop;
        splitLast(key, comp, prop);
        ui::Component* c = window->FindComponent(comp);
        if (!c) return;
        auto* list = dynamic_cast<ui::Strings*>(ObjectProp(*c, prop));
        if (!list) return;
        std::vector<std::string> items = ui::ParseCommaText(text);
        if ((int)items.size() == list->Count()) {
            list->BeginUpdate();
            struct End {
                ui::Strings& l;
                ~End() { l.EndUpdate(); }
            } end{*list};
            for (int i = list->Count() - 1; i >= 0; --i) list->Set(i, items[i]);
        } else {
            ui::Strings fresh;
            for (auto& s : items) fresh.Add(s);
            list->Assign(fresh);
        }
    });

    each(OtherStrings, [&](std::string_view key, const std::string& text) {
        std::string_view comp, prop;
        splitLast(key, comp, prop);
        if (ui::Component* c = window->FindComponent(comp)) SetStringProp(*c, prop, text);
    });

    // Window.component.[object.]collection-index+?property
    each(Collections, [&](std::string_view key, const std::string& text) {
        std::string_view r = AfterFirstDot(key);
        std::string_view compName = r.substr(0, r.find('.'));
        ui::Component* c = window->FindComponent(compName);
        if (!c) return;
        std::string_view p = AfterFirstDot(r);
        p = p.substr(0, p.find('-'));
        ui::Persistent* holder = c;
        std::string_view collName = p;
        if (auto d = p.find('.'); d != std::string_view::npos) {
            holder = ObjectProp(*c, p.substr(0, d));
            collName = p.substr(d + 1);
            if (!holder) return;
        }
        auto* coll = dynamic_cast<ui::Collection*>(ObjectProp(*holder, collName));
        if (!coll) return;
        size_t minus = key.find('-');
        size_t plus = key.find('+', minus == std::string_view::npos ? 0 : minus);
        std::string_view indexText;
        if (minus != std::string_view::npos && plus != std::string_view::npos)
            indexText = key.substr(minus + 1, plus - minus - 1);
        int index = ParseIndex(indexText);
        ui::CollectionItem& item = coll->Item(index);
        size_t firstPlus = key.find('+');
        std::string_view itemProp = firstPlus + 2 <= key.size() ? key.substr(firstPlus + 2) : std::string_view{};
        SetStringProp(item, itemProp, text);
    });

    if (Designing()) return;
    if (OnChangeLanguage) OnChangeLanguage(*this);
    if (activeLanguage_ != CurrentLanguage) {
        CurrentLanguage = activeLanguage_;
        PropagateLanguage();
    }
}

}  // namespace qb
