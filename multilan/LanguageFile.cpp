#include "multilan/LanguageFile.h"

#include "ui/Strings.h"
#include "ui/Text.h"

namespace qb {

LanguageFile::LanguageFile(std::string_view text) {
    Sec* current = nullptr;  // re-pointed after every push_back
    bool skipping = false;  // inside a repeated section
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        if (end < text.size() && text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ++end;
        start = end + 1;

        if (line.empty() || line[0] == ';') continue;
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            std::string_view name = line.substr(1, line.size() - 2);
            skipping = Find(name) != nullptr;
            if (!skipping) {
                index_.emplace(ui::UpperText(name), sections_.size());
                sections_.push_back({std::string(name), {}});
                current = &sections_.back();  // earlier sections are never written again
            }
            continue;
        }
        if (current && !skipping) current->lines.emplace_back(line);
    }
}

const LanguageFile::Sec* LanguageFile::Find(std::string_view name) const {
    auto it = index_.find(ui::UpperText(name));
    return it == index_.end() ? nullptr : &sections_[it->second];
}

std::vector<std::string> LanguageFile::Section(std::string_view name) const {
    auto* s = Find(name);
    return s ? s->lines : std::vector<std::string>{};
}

bool LanguageFile::Value(std::string_view section, std::string_view key, std::string& value) const {
    auto* s = Find(section);
    if (!s) return false;
    for (auto& line : s->lines) {
        if (line.find('=') == std::string::npos) continue;
        if (ui::SameText(ui::Strings::NameOf(line), key)) {
            value = std::string(ui::Strings::ValueOf(line));
            return true;
        }
    }
    return false;
}

}  // namespace qb
