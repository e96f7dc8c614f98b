// Arbitrary bytes as a settings file: every query must hold up, and what the
// object reports must be exactly what a reload of its own text reports, before
// and after edits (the property SaveSettings and the players rely on).
#include "app/ProfileFile.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

// Names, keys and values as a reader sees them must survive Text() -> parse.
void CheckSameAsReload(const qb::ProfileFile& file) {
    const std::string text = file.Text();
    const qb::ProfileFile reloaded = qb::ProfileFile::FromText(text);
    Check(reloaded.Text() == text);
    Check(reloaded.SectionNames() == file.SectionNames());
    for (const std::string& section : file.SectionNames()) {
        const auto keys = file.SectionKeys(section);
        Check(reloaded.SectionKeys(section) == keys);
        for (const std::string& key : keys) {
            Check(reloaded.ReadString(section, key, "\x01") == file.ReadString(section, key, "\x02"));
            Check(reloaded.ReadInteger(section, key, 7) == file.ReadInteger(section, key, 7));
        }
    }
}

// What a reader makes of a written value: blanks dropped, then one pair of
// matching quotes.
std::string AsRead(std::string_view v) {
    while (!v.empty() && (v.front() == ' ' || v.front() == '\t')) v.remove_prefix(1);
    while (!v.empty() && (v.back() == ' ' || v.back() == '\t')) v.remove_suffix(1);
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        v = v.substr(1, v.size() - 2);
    return std::string(v);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    qb::ProfileFile file = qb::ProfileFile::FromText(input);
    CheckSameAsReload(file);

    // Edits named after pieces of the input: the first bytes say which section,
    // key and value to take, so the fuzzer can steer them.
    std::vector<std::string> pieces;
    for (size_t at = 0; at < input.size() && pieces.size() < 16;) {
        const size_t len = std::min<size_t>(data[at] % 24, input.size() - at - 1);
        pieces.emplace_back(input.substr(at + 1, len));
        at += len + 1;
    }
    auto names = file.SectionNames();
    for (size_t i = 0; i + 2 < pieces.size(); i += 3) {
        // Every other edit goes to a section the file already has.
        const bool existing = (i / 3) % 2 == 1 && !names.empty();
        const std::string& section = existing ? names[(i / 3) % names.size()] : pieces[i];
        const std::string& key = pieces[i + 1];
        const std::string& value = pieces[i + 2];
        if (file.WriteString(section, key, value) && key.find('=') == std::string::npos) {
            Check(file.ReadString(section, key, "\x01") == AsRead(value));
            Check(file.ReadString(section, " " + key + "\t", "\x01") == AsRead(value));
        }
        CheckSameAsReload(file);
        if (pieces[i].size() % 5 == 0) {
            file.EraseSection(section);
            Check(file.SectionKeys(section).empty());
            CheckSameAsReload(file);
        }
    }
    return 0;
}
