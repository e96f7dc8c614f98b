#include "app/ProfileFile.h"

#include "app/Errors.h"
#include "platform/File.h"
#include "platform/FileSystem.h"

#include <chrono>
#include <cstdio>
#include <optional>
#include <span>
#include <unordered_set>

namespace qb {

namespace {

constexpr std::string_view kBlanks = " \t";
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

std::string_view Trim(std::string_view s) {
    const auto first = s.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) return {};
    const auto last = s.find_last_not_of(kBlanks);
    return s.substr(first, last - first + 1);
}

// ASCII only: the text is in whatever 8-bit code page the system uses, and
// folding bytes above 0x7F would mangle double-byte (GB2312) names.
std::string Fold(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

// "[name]" with anything after the last ']' ignored; the last one so that a
// name holding ']' reads back as it was written.
std::optional<std::string_view> HeaderName(std::string_view trimmed) {
    if (trimmed.empty() || trimmed.front() != '[') return std::nullopt;
    const auto close = trimmed.rfind(']');
    if (close == 0 || close == std::string_view::npos) return std::nullopt;
    return Trim(trimmed.substr(1, close - 1));
}

std::string_view KeyOf(std::string_view trimmed) {
    if (trimmed.empty() || trimmed.front() == ';') return {};
    const auto eq = trimmed.find('=');
    if (eq == std::string_view::npos) return {};
    return Trim(trimmed.substr(0, eq));
}

std::string_view ValueOf(std::string_view line) {
    std::string_view value = Trim(line.substr(line.find('=') + 1));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return value;
}

int DigitValue(char c, unsigned base) {
    int d = -1;
    if (c >= '0' && c <= '9') d = c - '0';
    else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
    return d >= 0 && static_cast<unsigned>(d) < base ? d : -1;
}

std::optional<int32_t> ParseInteger(std::string_view s) {
    const bool negative = !s.empty() && s.front() == '-';
    if (negative) s.remove_prefix(1);
    unsigned base = 10;
    if (s.size() >= 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
        base = 16;
        s.remove_prefix(2);
    }
    if (s.empty()) return std::nullopt;
    uint64_t v = 0;
    for (char c : s) {
        const int d = DigitValue(c, base);
        if (d < 0) return std::nullopt;
        v = v * base + static_cast<unsigned>(d);
        if (v > 0xFFFFFFFFu) return std::nullopt;
    }
    // Decimal must fit a signed 32-bit value; hex may use all 32 bits and
    // then reads as the signed value with the same bits (0xFFFFFFFF is -1).
    if (base == 10 && v > (negative ? 0x80000000u : 0x7FFFFFFFu)) return std::nullopt;
    uint32_t bits = static_cast<uint32_t>(v);
    if (negative) bits = 0u - bits;
    return static_cast<int32_t>(bits);
}

// Deletes the temporary file of a save unless it became the settings file.
class PendingFile {
public:
    explicit PendingFile(std::string path) : path_(std::move(path)) {}
    ~PendingFile() {
        if (!kept_) std::remove(path_.c_str());
    }
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;
    const std::string& Path() const { return path_; }
    void Keep() { kept_ = true; }

private:
    std::string path_;
    bool kept_ = false;
};

// Beside the target, so that the final rename stays within one volume.
std::string UnusedNameBeside(const std::string& target) {
    auto stamp = static_cast<uint64_t>(
        std::chrono::steady_clock::now().time_since_epoch().count());
    for (;;) {
        std::string candidate = target + "." + std::to_string(stamp % 1000000007u) + ".tmp";
        if (!fs::FileExists(candidate)) return candidate;
        ++stamp;
    }
}

}  // namespace

ProfileFile::ProfileFile(std::string path) : path_(std::move(path)) {
    auto bytes = ReadWholeFile(path_);
    std::string text;
    if (bytes) text.assign(bytes->begin(), bytes->end());
    Parse(text);
}

ProfileFile ProfileFile::FromText(std::string_view text, std::string path) {
    ProfileFile file;
    file.path_ = std::move(path);
    file.Parse(text);
    return file;
}

void ProfileFile::Parse(std::string_view text) {
    sections_.clear();
    sections_.push_back(Section{.preamble = true});
    utf8Mark_ = text.starts_with(kUtf8Mark);
    if (utf8Mark_) text.remove_prefix(kUtf8Mark.size());

    while (!text.empty()) {
        // CR LF, LF and a lone CR all end a line.
        const auto end = text.find_first_of("\r\n");
        std::string_view raw = text.substr(0, end);
        if (end == std::string_view::npos) {
            text = {};
        } else {
            const bool crlf = text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n';
            text.remove_prefix(end + (crlf ? 2 : 1));
        }

        const std::string_view trimmed = Trim(raw);
        if (auto name = HeaderName(trimmed)) {
            sections_.push_back(Section{.header = std::string(raw), .name = std::string(*name)});
            continue;
        }
        Section& section = sections_.back();
        Line line{std::string(raw), std::string(KeyOf(trimmed))};
        if (!line.key.empty()) section.firstEntry.try_emplace(Fold(line.key), section.lines.size());
        section.lines.push_back(std::move(line));
    }
}

std::vector<size_t> ProfileFile::Find(std::string_view name) const {
    name = Trim(name);
    std::vector<size_t> found;
    for (size_t i = 0; i < sections_.size(); ++i)
        if (!sections_[i].preamble && SameName(sections_[i].name, name)) found.push_back(i);
    return found;
}

const ProfileFile::Line* ProfileFile::FindEntry(std::string_view section,
                                                std::string_view key) const {
    const std::string folded = Fold(Trim(key));
    if (folded.empty()) return nullptr;
    for (size_t i : Find(section)) {
        const Section& s = sections_[i];
        if (auto it = s.firstEntry.find(folded); it != s.firstEntry.end()) return &s.lines[it->second];
    }
    return nullptr;
}

std::string ProfileFile::ReadString(std::string_view section, std::string_view key,
                                    std::string_view defaultValue) const {
    const Line* line = FindEntry(section, key);
    return std::string(line ? ValueOf(line->text) : defaultValue);
}

int32_t ProfileFile::ReadInteger(std::string_view section, std::string_view key,
                                 int32_t defaultValue) const {
    const Line* line = FindEntry(section, key);
    if (!line) return defaultValue;
    return ParseInteger(ValueOf(line->text)).value_or(defaultValue);
}

bool ProfileFile::ReadBool(std::string_view section, std::string_view key, bool defaultValue) const {
    return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

std::vector<std::string> ProfileFile::SectionKeys(std::string_view section) const {
    std::vector<std::string> keys;
    std::unordered_set<std::string> seen;
    for (size_t i : Find(section))
        for (const Line& line : sections_[i].lines)
            if (!line.key.empty() && seen.insert(Fold(line.key)).second) keys.push_back(line.key);
    return keys;
}

std::vector<std::string> ProfileFile::SectionNames() const {
    std::vector<std::string> names;
    std::unordered_set<std::string> seen;
    for (const Section& s : sections_)
        if (!s.preamble && seen.insert(Fold(s.name)).second) names.push_back(s.name);
    return names;
}

bool ProfileFile::WriteString(std::string_view section, std::string_view key,
                              std::string_view value) {
    const std::string name(Trim(section));
    const std::string text = std::string(Trim(key)) + "=" + std::string(value);
    // The line must read back as an entry of this section: no line break may
    // split it, and it must not look like a header or a comment. As on
    // reading, the key ends at the first '=' (a path holding '=' is cut there).
    if (name.find_first_of("\r\n") != std::string::npos ||
        text.find_first_of("\r\n") != std::string::npos || HeaderName(Trim(text)))
        return false;
    const std::string entryKey(KeyOf(Trim(text)));
    if (entryKey.empty()) return false;
    const std::string_view rest = std::string_view(text).substr(text.find('=') + 1);

    const std::string folded = Fold(entryKey);
    const auto parts = Find(name);
    for (size_t i : parts) {
        Section& s = sections_[i];
        if (auto it = s.firstEntry.find(folded); it != s.firstEntry.end()) {
            Line& line = s.lines[it->second];
            line.text = line.key + "=" + std::string(rest);
            return true;
        }
    }

    if (parts.empty()) sections_.push_back(Section{.header = "[" + name + "]", .name = name});
    Section& s = sections_[parts.empty() ? sections_.size() - 1 : parts.front()];
    // After the last line with content, so that blank lines that set the
    // section apart from the next one stay below it. Only blank lines follow
    // that point, hence no index in firstEntry moves.
    size_t at = s.lines.size();
    while (at > 0 && Trim(s.lines[at - 1].text).empty()) --at;
    s.lines.insert(s.lines.begin() + static_cast<std::ptrdiff_t>(at), Line{text, entryKey});
    s.firstEntry.emplace(folded, at);
    return true;
}

void ProfileFile::EraseSection(std::string_view section) {
    section = Trim(section);
    std::erase_if(sections_, [&](const Section& s) { return !s.preamble && SameName(s.name, section); });
}

std::string ProfileFile::Text() const {
    std::string out;
    if (utf8Mark_) out += kUtf8Mark;
    for (const Section& s : sections_) {
        if (!s.preamble) out.append(s.header).append("\r\n");
        for (const Line& line : s.lines) out.append(line.text).append("\r\n");
    }
    return out;
}

void ProfileFile::Save() const {
    const std::string text = Text();
    const auto refuse = [this] { throw Exception(FormatMessage1("Unable to write to %s", path_)); };
    if (path_.empty()) refuse();
    // The rename below would replace a read-only file without asking; the
    // system's profile writer refuses one, and so do we. The attribute is
    // checked as well as opening for writing, because an administrator (and
    // root under wine) may open such a file all the same.
    if (fs::FileExists(path_) &&
        (fs::IsReadOnlyFile(path_) || !File::Open(path_, File::Mode::ReadWrite)))
        refuse();

    PendingFile pending(UnusedNameBeside(path_));
    const auto bytes = std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size());
    if (!WriteWholeFile(pending.Path(), bytes)) refuse();
    if (!fs::RenameOver(pending.Path(), path_)) refuse();
    pending.Keep();
}

}  // namespace qb
