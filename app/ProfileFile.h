#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace qb {

// An INI-style profile read and written the way the system's private-profile
// functions treat one: 8-bit lines, "[Section]" headers, "key=value" entries,
// section and key names matched without regard to (ASCII) letter case.
//
// The file is kept line by line, so a rewrite leaves comments, odd lines and
// sections nobody touched exactly as they were (only line ends become CR LF).
//
// Reading rules:
//  - blanks (space, tab) around section names, key names and values are
//    dropped; a value wrapped in a matching pair of ' or " loses them;
//  - the key is everything before the first '=' of the line, so a line
//    without '=' or with an empty key is no entry; lines whose first
//    non-blank character is ';' are comments;
//  - a key that occurs more than once counts at its first occurrence, and a
//    section that occurs more than once reads as one section made of all its
//    parts, in file order.
class ProfileFile {
public:
    // Loads the file; a file that is missing or unreadable reads as empty.
    explicit ProfileFile(std::string path);
    // Parses text that did not come from disk; Save() then goes to `path`.
    static ProfileFile FromText(std::string_view text, std::string path = {});

    const std::string& Path() const { return path_; }

    // The entry's value, or `defaultValue` when the section has no such key.
    // An entry with an empty value reads as empty, not as the default.
    std::string ReadString(std::string_view section, std::string_view key,
                           std::string_view defaultValue) const;
    // Decimal or 0x-hexadecimal, optionally after '-'; anything else, or a
    // number outside 32 bits, gives `defaultValue`. Hex up to 0xFFFFFFFF
    // wraps into the negative range.
    int32_t ReadInteger(std::string_view section, std::string_view key,
                        int32_t defaultValue) const;
    // Any non-zero number is true.
    bool ReadBool(std::string_view section, std::string_view key, bool defaultValue) const;

    // Every key of the section in file order, each spelling once (the first).
    std::vector<std::string> SectionKeys(std::string_view section) const;
    // Every section name in file order, each once.
    std::vector<std::string> SectionNames() const;

    // Replaces the value of an existing key where it stands (keeping the
    // key's spelling in the file), or adds the entry after the section's last
    // line, creating the section at the end of the file. The key is trimmed
    // and, as on reading, ends at its first '='. Answers false, changing
    // nothing, for an entry the format cannot hold: an empty key, a line
    // break in a name or the value, or a key that would read as a header or
    // a comment.
    bool WriteString(std::string_view section, std::string_view key, std::string_view value);
    // Removes every part of the section, header and lines.
    void EraseSection(std::string_view section);

    // The whole file as it would be saved, CR LF after every line.
    std::string Text() const;
    // Writes Text() to Path(). The old file is replaced only once the new
    // text is complete on disk, so a failed save leaves it as it was.
    // Throws qb::Exception "Unable to write to <path>".
    void Save() const;

private:
    struct Line {
        std::string text;  // without its line end
        std::string key;   // trimmed key name; empty when the line is no entry
    };
    struct Section {
        bool preamble = false;  // the lines before the first header
        std::string header = {};  // the header line as written
        std::string name = {};    // trimmed text between the brackets
        std::vector<Line> lines = {};
        std::unordered_map<std::string, size_t> firstEntry = {};  // folded key -> line
    };

    ProfileFile() = default;
    void Parse(std::string_view text);
    std::vector<size_t> Find(std::string_view name) const;  // indices into sections_
    const Line* FindEntry(std::string_view section, std::string_view key) const;

    std::string path_;
    bool utf8Mark_ = false;  // kept for files an editor saved with a byte order mark
    std::vector<Section> sections_;
};

}  // namespace qb
