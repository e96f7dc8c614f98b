#include "installer/EntryName.h"

#include "installer/LocalFiles.h"

#include <array>

namespace qb::setup {

std::string Folded(std::string_view text) {
    std::string f(text);
    for (char& c : f)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return f;
}

std::string FileNamePart(std::string_view path) {
    const size_t cut = path.find_last_of("\\/:");
    return std::string(cut == std::string_view::npos ? path : path.substr(cut + 1));
}

std::string FoldedExtension(std::string_view name) {
    const size_t dot = name.find_last_of('.');
    return dot == std::string_view::npos ? std::string() : Folded(name.substr(dot));
}

namespace {

bool IsDeviceName(std::string_view name) {
    // "nul.txt" opens the device just as "nul" does.
    const std::string base = Folded(name.substr(0, name.find('.')));
    static constexpr std::array<std::string_view, 6> fixed = {"con", "prn", "aux", "nul", "conin$", "conout$"};
    for (auto d : fixed)
        if (base == d) return true;
    return base.size() == 4 && (base.starts_with("com") || base.starts_with("lpt")) && base[3] >= '0' &&
           base[3] <= '9';
}

}  // namespace

bool IsPlainFileName(std::string_view name) { return IsPlainFileName(name, IsLeadByte); }

bool IsPlainFileName(std::string_view name, bool (*isLeadByte)(unsigned char)) {
    if (name.empty() || name.size() > 200) return false;
    for (size_t i = 0; i < name.size(); ++i) {
        const auto c = static_cast<unsigned char>(name[i]);
        if (isLeadByte(c)) {
            if (++i == name.size()) return false;  // a character cut in half
            continue;
        }
        if (c < 0x20 || std::string_view("<>:\"/\\|?*").find(name[i]) != std::string_view::npos) return false;
    }
    // Windows drops trailing dots and blanks, so "a." would land on "a" and
    // ".." on the parent; leading blanks are kept by no tool consistently.
    if (name.back() == '.' || name.back() == ' ' || name.front() == ' ') return false;
    return !IsDeviceName(name);
}

}  // namespace qb::setup
