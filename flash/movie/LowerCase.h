#pragma once
#include <cctype>
#include <string>

namespace qb::movie {

// Movie names (variables, clips, labels, fonts) compare without case, in
// ASCII as the player does.
inline std::string LowerCase(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

}  // namespace qb::movie
