#include "editor/FileNames.h"

#include <cctype>

namespace qb {

bool HasExtension(std::string_view path, std::string_view ext) {
    if (path.size() < ext.size()) return false;
    std::string_view tail = path.substr(path.size() - ext.size());
    for (size_t i = 0; i < ext.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(tail[i])) != std::tolower(static_cast<unsigned char>(ext[i])))
            return false;
    return true;
}

}  // namespace qb
