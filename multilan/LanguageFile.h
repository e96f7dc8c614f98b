#pragma once
#include <string>
#include <unordered_map>
#include <string_view>
#include <vector>

namespace qb {

// The sections of a language file: INI-like text read without trimming
// anything. Lines end at CR LF, CR or LF; empty lines and lines starting with
// ";" are dropped; "[name]" opens a section; lines before the first section
// are dropped. When a section name repeats, only its first section counts.
class LanguageFile {
public:
    explicit LanguageFile(std::string_view text);

    bool HasSection(std::string_view name) const { return Find(name) != nullptr; }
    // All lines of the section in file order (empty when it is missing).
    std::vector<std::string> Section(std::string_view name) const;
    // The value of the first line of the section whose key is `key`, any case;
    // false when the section or key is missing.
    bool Value(std::string_view section, std::string_view key, std::string& value) const;

private:
    struct Sec {
        std::string name;
        std::vector<std::string> lines;
    };
    const Sec* Find(std::string_view name) const;
    std::vector<Sec> sections_;
    std::unordered_map<std::string, size_t> index_;  // upper-cased name -> first section
};

}  // namespace qb
