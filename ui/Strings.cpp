#include "ui/Strings.h"

#include "app/Errors.h"
#include "ui/Text.h"

namespace qb::ui {

QB_CLASS_INFO(Strings, Persistent) {
    Published<Strings>(info).String("Text", &Strings::Text, &Strings::SetText);
}

Strings::Strings(std::initializer_list<std::string> lines) {
    for (auto& l : lines) items_.push_back({l, nullptr});
}

void Strings::Check(int i) const {
    if (i < 0 || i >= Count()) throw Exception("List index out of bounds (" + std::to_string(i) + ")");
}

const std::string& Strings::operator[](int i) const {
    Check(i);
    return items_[i].text;
}

void Strings::Set(int i, std::string text) {
    Check(i);
    items_[i].text = std::move(text);
    Changed();
}

void* Strings::Object(int i) const {
    Check(i);
    return items_[i].object;
}

void Strings::SetObject(int i, void* object) {
    Check(i);
    items_[i].object = object;
}

int Strings::Add(std::string text, void* object) {
    items_.push_back({std::move(text), object});
    Changed();
    return Count() - 1;
}

void Strings::Insert(int i, std::string text, void* object) {
    if (i < 0 || i > Count()) throw Exception("List index out of bounds (" + std::to_string(i) + ")");
    items_.insert(items_.begin() + i, {std::move(text), object});
    Changed();
}

void Strings::Delete(int i) {
    Check(i);
    items_.erase(items_.begin() + i);
    Changed();
}

void Strings::Clear() {
    if (items_.empty()) return;
    items_.clear();
    Changed();
}

int Strings::IndexOf(std::string_view text) const {
    for (int i = 0; i < Count(); ++i)
        if (SameText(items_[i].text, text)) return i;
    return -1;
}

std::string_view Strings::NameOf(std::string_view line) {
    auto eq = line.find('=');
    return eq == std::string_view::npos ? std::string_view{} : line.substr(0, eq);
}

std::string_view Strings::ValueOf(std::string_view line) {
    auto eq = line.find('=');
    return eq == std::string_view::npos ? std::string_view{} : line.substr(eq + 1);
}

int Strings::IndexOfName(std::string_view key) const {
    for (int i = 0; i < Count(); ++i) {
        auto& t = items_[i].text;
        if (t.find('=') != std::string::npos && SameText(NameOf(t), key)) return i;
    }
    return -1;
}

std::string Strings::Value(std::string_view key) const {
    int i = IndexOfName(key);
    return i < 0 ? std::string() : std::string(ValueOf(items_[i].text));
}

std::string Strings::Text() const {
    std::string s;
    for (auto& it : items_) s += it.text + "\r\n";
    return s;
}

void Strings::SetText(std::string_view text) {
    items_.clear();
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) end = text.size();
        items_.push_back({std::string(text.substr(start, end - start)), nullptr});
        if (end < text.size() && text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ++end;
        start = end + 1;
    }
    Changed();
}

void Strings::SetCommaText(std::string_view text) {
    items_.clear();
    for (auto& s : ParseCommaText(text)) items_.push_back({std::move(s), nullptr});
    Changed();
}

std::vector<std::string> Strings::Lines() const {
    std::vector<std::string> v;
    for (auto& it : items_) v.push_back(it.text);
    return v;
}

void Strings::Assign(const Persistent& source) {
    if (auto* s = dynamic_cast<const Strings*>(&source)) {
        if (s != this) {
            items_ = s->items_;
            Changed();
        }
        return;
    }
    Persistent::Assign(source);
}

}  // namespace qb::ui
