#pragma once
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/Persistent.h"

namespace qb::ui {

// An ordered list of 8-bit texts, each with an optional attached object
// (not owned). Lines of the form key=value can be looked up by key.
class Strings : public Persistent {
    QB_CLASS(Strings)
public:
    Strings() = default;
    Strings(std::initializer_list<std::string> lines);
    Strings(const Strings& o) : items_(o.items_) {}
    Strings& operator=(const Strings& o) {
        if (this != &o) {
            items_ = o.items_;
            Changed();
        }
        return *this;
    }

    int Count() const { return (int)items_.size(); }
    bool Empty() const { return items_.empty(); }
    // Throws qb::Exception "List index out of bounds (i)" outside the list.
    const std::string& operator[](int i) const;
    void Set(int i, std::string text);  // keeps the attached object
    void* Object(int i) const;
    void SetObject(int i, void* object);

    int Add(std::string text, void* object = nullptr);
    void Insert(int i, std::string text, void* object = nullptr);
    void Delete(int i);
    void Clear();
    int IndexOf(std::string_view text) const;  // case-insensitive

    // key=value access: the key is the text before the first "="; a line
    // without "=" has an empty key and an empty value.
    static std::string_view NameOf(std::string_view line);
    static std::string_view ValueOf(std::string_view line);
    int IndexOfName(std::string_view key) const;  // first line with that key, any case
    std::string Value(std::string_view key) const;  // "" when no line has the key

    // Lines joined by CR LF; setting splits at CR LF, CR or LF.
    std::string Text() const;
    void SetText(std::string_view text);
    void SetCommaText(std::string_view text);
    std::vector<std::string> Lines() const;

    void Assign(const Persistent& source) override;

    // Told after every change (the window mirrors the list); between
    // BeginUpdate and EndUpdate only once, at the end.
    std::function<void()> OnChange;
    void BeginUpdate() { ++updating_; }
    void EndUpdate() {
        if (updating_ > 0 && --updating_ == 0 && pending_) Changed();
    }

private:
    void Changed() {
        pending_ = updating_ > 0;
        if (!pending_ && OnChange) OnChange();
    }
    int updating_ = 0;
    bool pending_ = false;
    void Check(int i) const;
    struct Item {
        std::string text;
        void* object = nullptr;
    };
    std::vector<Item> items_;
};

}  // namespace qb::ui
