#pragma once
#include <cctype>
#include <string>
#include <string_view>

namespace qb {

// Whether the path ends in `ext` (".exe"), in any letter case.
inline bool HasExtension(const std::string& path, std::string_view ext) {
    if (path.size() < ext.size()) return false;
    const size_t at = path.size() - ext.size();
    for (size_t i = 0; i < ext.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(path[at + i])) != std::tolower(static_cast<unsigned char>(ext[i])))
            return false;
    return true;
}

}  // namespace qb
